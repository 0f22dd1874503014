#include "common/UServices.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace kv {

namespace {

// A modal box with the buttons named in the user's language; Escape gives
// the last button (OK, or No).
int showBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
            const QList<QPair<QMessageBox::StandardButton, QString>>& buttons, QMessageBox::StandardButton byDefault)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    // Texts come from language files, names and paths the user typed and
    // system messages: shown as they are, never read as markup.
    box.setTextFormat(Qt::PlainText);
    for (const auto& [which, caption] : buttons)
        box.addButton(which)->setText(caption);
    box.setDefaultButton(byDefault);
    box.setEscapeButton(buttons.constLast().first);
    return box.exec();
}

} // namespace

void QtMessageService::error(QWidget* parent, const QString& text)
{
    showBox(parent, QMessageBox::Critical, m_texts.errorTitle, text, {{QMessageBox::Ok, m_texts.ok}}, QMessageBox::Ok);
}

void QtMessageService::warning(QWidget* parent, const QString& text)
{
    showBox(parent, QMessageBox::Warning, m_texts.warningTitle, text, {{QMessageBox::Ok, m_texts.ok}},
            QMessageBox::Ok);
}

bool QtMessageService::question(QWidget* parent, const QString& text, Default byDefault)
{
    return showBox(parent, QMessageBox::Question, m_texts.questionTitle, text,
                   {{QMessageBox::Yes, m_texts.yes}, {QMessageBox::No, m_texts.no}},
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

QString QtFileDialogs::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                       const QString& filter)
{
    QFileDialog dlg(parent, caption, dir, filter);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().constFirst();
}

void DesktopUrlOpener::openUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

} // namespace kv
