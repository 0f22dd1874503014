#include "TestFiles.h"
#include "gsdml/UProfinetFileName.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kName = QStringLiteral("GSDML-V2.31-Tolvex-KD52013_abc-20250309.xml");
const QString kOverwriteText = QStringLiteral("overwrite?");

// A workspace with one open configuration, scripted services and the dialog
// created on the 9th of March 2025.
struct Fixture {
    QTemporaryDir tmp;
    kv::AppState state{tmp.path()};
    kv::ScriptedMessageService messages;
    kv::ScriptedFileDialogs files;
    kv::UiServices services;
    std::unique_ptr<TFProfinetFileName> dlg;
    QString folder; // where the user picks in the save dialog

    Fixture()
    {
        state.CreateWorkspace();
        QDir(state.ProjectsDir).mkpath(QStringLiteral("P/bin"));
        state.OpenProject(QStringLiteral("P"));
        state.Lang.Put(1105, kOverwriteText);
        services.messages = &messages;
        services.files = &files;
        dlg = std::make_unique<TFProfinetFileName>(state, services, QDate(2025, 3, 9));
        folder = tmp.filePath(QStringLiteral("out"));
        QDir().mkpath(folder);
        // A different file name typed in the save dialog: only its folder counts.
        files.answer = folder + QStringLiteral("/typed-by-user.xml");
    }
    QString target() const { return folder + QLatin1Char('/') + kName; }
    QLineEdit* edit() const { return dlg->findChild<QLineEdit*>(QStringLiteral("E_XML_User")); }
};

} // namespace

class TestProfinetFileName : public QObject {
    Q_OBJECT
private slots:
    void form();
    void composeName_data();
    void composeName();
    void userPartKeptBetweenShows();
    void refusedUserPart_data();
    void refusedUserPart();
    void saveWritesInChosenFolder();
    void overwriteQuestion_data();
    void overwriteQuestion();
    void saveCancelled();
    void saveErrors_data();
    void saveErrors();
};

void TestProfinetFileName::form()
{
    Fixture f;
    QCOMPARE(f.dlg->size(), QSize(540, 205));
    QCOMPARE(f.dlg->findChild<QLabel*>(QStringLiteral("L_XML_Fix1"))->text(),
             QStringLiteral("GSDML-V2.31-Tolvex-KD52013"));
    QCOMPARE(f.dlg->findChild<QLabel*>(QStringLiteral("L_XML_Fix2"))->text(), QStringLiteral("-20250309.xml"));
    QCOMPARE(f.dlg->findChild<QLabel*>(QStringLiteral("L_SW_Code"))->text(), QStringLiteral("KV52013"));
    QCOMPARE(f.edit()->toolTip(), QStringLiteral("Insert the User Part of GDXML PROFINET File"));
    QCOMPARE(f.dlg->findChild<QPushButton*>(QStringLiteral("Btn_OK"))->toolTip(),
             QStringLiteral("Confirm and Save the GDXML PROFINET File"));
    QCOMPARE(f.dlg->findChild<QPushButton*>(QStringLiteral("Btn_Cancel"))->toolTip(),
             QStringLiteral("Exit without Save the GDXML PROFINET File"));
    // The row reads like the file name: fixed part, user part, fixed part.
    const QWidget* fix1 = f.dlg->findChild<QLabel*>(QStringLiteral("L_XML_Fix1"));
    const QWidget* fix2 = f.dlg->findChild<QLabel*>(QStringLiteral("L_XML_Fix2"));
    QVERIFY(fix1->geometry().right() < f.edit()->geometry().left());
    QVERIFY(f.edit()->geometry().right() < fix2->geometry().left());
    QVERIFY(fix2->geometry().right() < 540);
    QCOMPARE(TFProfinetFileName::FixedPart2(QDate(2031, 12, 1)), QStringLiteral("-20311201.xml"));
}

void TestProfinetFileName::composeName_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("name");
    const QString f1 = QStringLiteral("GSDML-V2.31-Tolvex-KD52013");
    const QString f2 = QStringLiteral("-20250309.xml");
    QTest::newRow("empty") << QString() << f1 + f2;
    QTest::newRow("blank") << QStringLiteral(" \t ") << f1 + f2;
    QTest::newRow("plain") << QStringLiteral("abc") << f1 + QStringLiteral("_abc") + f2;
    QTest::newRow("leading underscore") << QStringLiteral("_abc") << f1 + QStringLiteral("_abc") + f2;
    QTest::newRow("leading space kept") << QStringLiteral(" abc") << f1 + QStringLiteral("_ abc") + f2;
    QTest::newRow("trailing space kept") << QStringLiteral("a b ") << f1 + QStringLiteral("_a b ") + f2;
}

void TestProfinetFileName::composeName()
{
    QFETCH(QString, user);
    QFETCH(QString, name);
    Fixture f;
    f.edit()->setText(user);
    f.dlg->Btn_OK_Click();
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QCOMPARE(f.dlg->Name_File_XML(), name);
    QVERIFY(f.messages.log.isEmpty());
}

void TestProfinetFileName::userPartKeptBetweenShows()
{
    Fixture f;
    f.dlg->show();
    QTest::keyClicks(f.edit(), QStringLiteral("abc"));
    f.dlg->Btn_OK_Click();
    f.dlg->show();
    QCOMPARE(f.edit()->text(), QStringLiteral("abc"));
    f.edit()->setText(QStringLiteral("xyz"));
    f.dlg->reject();
    f.dlg->show();
    QCOMPARE(f.edit()->text(), QStringLiteral("xyz"));
    // Shown again: in the middle of the screen, and what is typed replaces
    // the kept part.
    const QPoint middle = f.dlg->screen()->availableGeometry().center();
    QVERIFY2((f.dlg->geometry().center() - middle).manhattanLength() <= 4, "not centred on the screen");
    QVERIFY(f.edit()->hasSelectedText() && f.edit()->selectedText() == QStringLiteral("xyz"));
    f.dlg->hide();
}

void TestProfinetFileName::refusedUserPart_data()
{
    QTest::addColumn<QString>("user");
    QTest::newRow("slash") << QStringLiteral("../abc");
    QTest::newRow("backslash") << QStringLiteral("..\\abc");
}

// Only the folder chosen in the save dialog may receive the file.
void TestProfinetFileName::refusedUserPart()
{
    QFETCH(QString, user);
    Fixture f;
    f.edit()->setText(user);
    f.dlg->Btn_OK_Click();
    QCOMPARE(f.dlg->result(), int(QDialog::Rejected));
    QVERIFY(f.dlg->Name_File_XML().isEmpty());
    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log.at(0).kind, QStringLiteral("error"));
    QVERIFY(f.messages.log.at(0).text.contains(QStringLiteral("not valid")));

    // The same name handed straight to the save step writes nothing.
    const QString name = QStringLiteral("GSDML-V2.31-Tolvex-KD52013_") + user + QStringLiteral("-20250309.xml");
    f.dlg->Save_Profinet_XML(name);
    QCOMPARE(f.files.calls, 0);
    QCOMPARE(f.messages.log.size(), 2);
    QCOMPARE(QDir(f.tmp.path()).entryList(QDir::Files), QStringList());
    QCOMPARE(QDir(f.folder).entryList(QDir::Files), QStringList());
}

void TestProfinetFileName::saveWritesInChosenFolder()
{
    Fixture f;
    writeFile(f.state.ParGenPath, "<Par_Gen><PROFINET_NAME_STA>gw1</PROFINET_NAME_STA></Par_Gen>");
    f.dlg->Save_Profinet_XML(kName);

    QCOMPARE(f.files.calls, 1);
    QCOMPARE(f.files.lastDir, f.state.ActiveProjectDir);
    QCOMPARE(f.files.lastFilter, QStringLiteral("PROFINET XML (") + kName + QLatin1Char(')'));
    QCOMPARE(f.files.lastProposedName, kName);
    QVERIFY(f.messages.log.isEmpty());
    const QByteArray doc = readAll(f.target());
    QVERIFY(doc.startsWith("\xEF\xBB\xBF<?xml"));
    QVERIFY(doc.contains("ImplementationType=\"gw1\" DNS_CompatibleName=\"gw1\""));
    QVERIFY(!QFile::exists(f.folder + QStringLiteral("/typed-by-user.xml")));
}

void TestProfinetFileName::overwriteQuestion_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes writes") << true;
    QTest::newRow("no keeps the old file") << false;
}

void TestProfinetFileName::overwriteQuestion()
{
    QFETCH(bool, yes);
    Fixture f;
    writeFile(f.target(), "old");
    f.messages.answers = {yes};
    f.dlg->Save_Profinet_XML(kName);

    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log.at(0).kind, QStringLiteral("question"));
    QCOMPARE(f.messages.log.at(0).text, kOverwriteText);
    QVERIFY(f.messages.log.at(0).byDefault == kv::IMessageService::Default::No); // Enter keeps the old file
    const QByteArray doc = readAll(f.target());
    if (yes)
        QVERIFY(doc.endsWith("</ISO15745Profile>\r\n"));
    else
        QCOMPARE(doc, QByteArray("old"));
}

void TestProfinetFileName::saveCancelled()
{
    Fixture f;
    f.files.answer.clear();
    f.dlg->Save_Profinet_XML(kName);
    QCOMPARE(f.files.calls, 1);
    QVERIFY(f.messages.log.isEmpty());
    QCOMPARE(QDir(f.folder).entryList(QDir::Files), QStringList());
}

void TestProfinetFileName::saveErrors_data()
{
    QTest::addColumn<QByteArray>("parGen");   // empty: no ParGen.xml
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<QString>("messageHas");
    QTest::newRow("ParGen.xml not well-formed") << QByteArray("<Par_Gen><a></Par_Gen>") << true
                                                << QStringLiteral("ParGen.xml");
    QTest::newRow("folder gone") << QByteArray() << false << kName;
}

// Each failure is one error box with the file and the reason; nothing written.
void TestProfinetFileName::saveErrors()
{
    QFETCH(QByteArray, parGen);
    QFETCH(bool, folderExists);
    QFETCH(QString, messageHas);
    Fixture f;
    if (!parGen.isEmpty())
        writeFile(f.state.ParGenPath, parGen);
    if (!folderExists)
        QVERIFY(QDir(f.folder).removeRecursively());
    f.dlg->Save_Profinet_XML(kName);

    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log.at(0).kind, QStringLiteral("error"));
    QVERIFY2(f.messages.log.at(0).text.contains(messageHas), qPrintable(f.messages.log.at(0).text));
    QVERIFY(!QFile::exists(f.target()));
}

QTEST_MAIN(TestProfinetFileName)
#include "test_profinetfilename.moc"
