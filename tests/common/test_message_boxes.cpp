#include <QtTest>

#include "common/UServices.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTextDocumentFragment>

// The real message boxes: their titles and buttons in the user's language,
// and the button that Enter or Escape presses.
class TestMessageBoxes : public QObject {
    Q_OBJECT
private slots:
    void question_data();
    void question();
    void oneButtonBox_data();
    void oneButtonBox();
};

namespace {

const kv::MessageTexts kGerman{QStringLiteral("Fehler"), QStringLiteral("Warnung"), QStringLiteral("Bestätigen"),
                               QStringLiteral("OK"), QStringLiteral("Ja"), QStringLiteral("Nein")};

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    QSize iconAtScale2; // device pixels of the box's icon at a scale factor of 2
};

// Reads the box once it is up, then presses key in it.
void answerWith(int key, SeenBox& seen)
{
    QTimer::singleShot(0, [key, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.title = box->windowTitle();
        seen.icon = box->icon();
        const QStyle::StandardPixmap which[] = {QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxWarning,
                                                QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxQuestion};
        if (box->icon() >= QMessageBox::Information && box->icon() <= QMessageBox::Question)
            seen.iconAtScale2 = box->style()->standardIcon(which[box->icon() - 1], nullptr, box).pixmap(QSize(32, 32), 2.0).size();
        // As the user reads it: a text that looks like markup stays as typed.
        seen.text = box->textFormat() == Qt::PlainText ? box->text() : QTextDocumentFragment::fromHtml(box->text()).toPlainText();
        for (QAbstractButton* b : box->buttons())
            seen.buttons << b->text();
        seen.buttons.sort();
        if (box->defaultButton())
            seen.defaultButton = box->defaultButton()->text();
        QTest::keyClick(box, Qt::Key(key));
    });
}

} // namespace

void TestMessageBoxes::question_data()
{
    QTest::addColumn<bool>("defaultNo");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("answer");
    QTest::newRow("Enter, default No") << true << int(Qt::Key_Return) << false;
    QTest::newRow("Enter, default Yes") << false << int(Qt::Key_Return) << true;
    QTest::newRow("Escape is No") << false << int(Qt::Key_Escape) << false;
}

void TestMessageBoxes::question()
{
    QFETCH(bool, defaultNo);
    QFETCH(int, key);
    QFETCH(bool, answer);
    kv::QtMessageService messages;
    messages.setTexts(kGerman);
    SeenBox seen;
    answerWith(key, seen);
    const bool yes = messages.question(nullptr, QStringLiteral("Zeile 512 geht verloren?"),
                                       defaultNo ? kv::IMessageService::Default::No : kv::IMessageService::Default::Yes);
    QCOMPARE(yes, answer);
    QCOMPARE(seen.title, QStringLiteral("Bestätigen"));
    QCOMPARE(seen.icon, QMessageBox::Question);
    // Drawn for the scale, not a 32-pixel bitmap blown up.
    QCOMPARE(seen.iconAtScale2, QSize(64, 64));
    QCOMPARE(seen.buttons, (QStringList{QStringLiteral("Ja"), QStringLiteral("Nein")}));
    QCOMPARE(seen.defaultButton, defaultNo ? QStringLiteral("Nein") : QStringLiteral("Ja"));
}

void TestMessageBoxes::oneButtonBox_data()
{
    QTest::addColumn<bool>("error");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");
    QTest::newRow("error") << true << QStringLiteral("Fehler") << int(QMessageBox::Critical);
    QTest::newRow("warning") << false << QStringLiteral("Warnung") << int(QMessageBox::Warning);
}

void TestMessageBoxes::oneButtonBox()
{
    QFETCH(bool, error);
    QFETCH(QString, title);
    QFETCH(int, icon);
    kv::QtMessageService messages;
    messages.setTexts(kGerman);
    SeenBox seen;
    answerWith(Qt::Key_Escape, seen);
    const QString text = QStringLiteral("Fehler! Projekt <b>ungültig</b>");
    if (error)
        messages.error(nullptr, text);
    else
        messages.warning(nullptr, text);
    QCOMPARE(seen.title, title);
    QCOMPARE(int(seen.icon), icon);
    QCOMPARE(seen.iconAtScale2, QSize(64, 64));
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
}

QTEST_MAIN(TestMessageBoxes)
#include "test_message_boxes.moc"
