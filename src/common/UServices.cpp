#include "common/UServices.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace kv {

void QtMessageService::error(QWidget* parent, const QString& text)
{
    QMessageBox::critical(parent, QStringLiteral("Error"), text, QMessageBox::Ok);
}

void QtMessageService::warning(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, QStringLiteral("Warning"), text, QMessageBox::Ok);
}

bool QtMessageService::question(QWidget* parent, const QString& text, Default byDefault)
{
    return QMessageBox::question(parent, QStringLiteral("Confirm"), text, QMessageBox::Yes | QMessageBox::No,
                                 byDefault == Default::No ? QMessageBox::No : QMessageBox::Yes)
        == QMessageBox::Yes;
}

QString QtFileDialogs::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                       const QString& filter, const QString& proposedName)
{
    QFileDialog dlg(parent, caption, dir, filter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    dlg.selectFile(proposedName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().constFirst();
}

void DesktopUrlOpener::openUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

} // namespace kv
