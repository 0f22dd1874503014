#include <QtTest>

#include "common/UServices.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

// The real message boxes: their titles and buttons in the user's language,
// and the button that Enter or Escape presses.
class TestMessageBoxes : public QObject {
    Q_OBJECT
private slots:
    void question_data();
    void question();
    void errorBox();
};

namespace {

const kv::MessageTexts kGerman{QStringLiteral("Fehler"), QStringLiteral("Warnung"), QStringLiteral("Bestätigen"),
                               QStringLiteral("OK"), QStringLiteral("Ja"), QStringLiteral("Nein")};

struct SeenBox {
    QString title;
    QStringList buttons;
    QString defaultButton;
};

// Reads the box once it is up, then presses key in it.
void answerWith(int key, SeenBox& seen)
{
    QTimer::singleShot(0, [key, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.title = box->windowTitle();
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
    QCOMPARE(seen.buttons, (QStringList{QStringLiteral("Ja"), QStringLiteral("Nein")}));
    QCOMPARE(seen.defaultButton, defaultNo ? QStringLiteral("Nein") : QStringLiteral("Ja"));
}

void TestMessageBoxes::errorBox()
{
    kv::QtMessageService messages;
    messages.setTexts(kGerman);
    SeenBox seen;
    answerWith(Qt::Key_Return, seen);
    messages.error(nullptr, QStringLiteral("Fehler! Projekt ungültig"));
    QCOMPARE(seen.title, QStringLiteral("Fehler"));
    QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
}

QTEST_MAIN(TestMessageBoxes)
#include "test_message_boxes.moc"
