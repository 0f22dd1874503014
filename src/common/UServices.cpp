#include "common/UServices.h"

#include "common/UStyle.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>

namespace kv {

namespace {

// The application's style, except that the message box icons are drawn as
// the rest of the look is, at the box's pixel ratio: the styles' own are
// small bitmaps that blur at a scale factor of 1.5 or 2.
class MessageBoxStyle : public QProxyStyle {
public:
    MessageBoxStyle()
        : QProxyStyle(QStyleFactory::create(QApplication::style()->name()))
    {
    }
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override
    {
        switch (which) {
        case SP_MessageBoxQuestion:
            return GlyphIcon(Glyph::Question);
        case SP_MessageBoxWarning:
            return GlyphIcon(Glyph::Warning);
        case SP_MessageBoxCritical:
            return GlyphIcon(Glyph::Error);
        case SP_MessageBoxInformation:
            return GlyphIcon(Glyph::Info);
        default:
            return QProxyStyle::standardIcon(which, option, widget);
        }
    }
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        // The size the styles' bitmaps had, which the drawn icons keep.
        if (metric == PM_MessageBoxIconSize)
            return 32;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// A modal box with the buttons named in the user's language; Escape gives
// the last button (OK, or No).
int showBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
            const QList<QPair<QMessageBox::StandardButton, QString>>& buttons, QMessageBox::StandardButton byDefault)
{
    MessageBoxStyle style; // outlives the box
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent);
    box.setStyle(&style);
    box.setIcon(icon);
    // Texts come from language files, names and paths the user typed and
    // system messages: shown as they are, never read as markup.
    box.setTextFormat(Qt::PlainText);
    for (const auto& [which, caption] : buttons) {
        QPushButton* b = box.addButton(which);
        b->setText(caption);
        // Where the platform gives the buttons icons, the drawn ones.
        if (!b->icon().isNull())
            b->setIcon(GlyphIcon(which == QMessageBox::No ? Glyph::Cancel : Glyph::Ok));
    }
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

QStringList QtFileDialogs::getOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                            const QString& filter)
{
    QFileDialog dlg(parent, caption, dir, filter);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFiles);
    if (dlg.exec() != QDialog::Accepted)
        return QStringList();
    return dlg.selectedFiles();
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
