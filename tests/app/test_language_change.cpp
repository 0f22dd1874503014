#include <QtTest>

#include "TestFiles.h"
#include "AppFixture.h"
#include "app/UAbout.h"
#include "app/UNew_Project.h"
#include "app/UOpenConf.h"
#include "app/USoftOptions.h"
#include "app/UTessaraneFirmWare.h"
#include "commparams/UParGen.h"
#include "requests/USNMPManagerAccess.h"
#include "gsdml/UProfinetFileName.h"
#include "lang/Language.h"
#include "update/UBoot.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

namespace {

const QString kFixtures = QStringLiteral(KV_FIXTURES_DIR "/options_languages");
const QString kShipped = QStringLiteral(KV_FIXTURES_DIR "/../../languages");

QString labelText(QWidget* w, const char* name)
{
    auto* l = w->findChild<QLabel*>(QLatin1String(name));
    return l ? l->text() : QStringLiteral("<missing>");
}

QString buttonText(QWidget* w, const char* name)
{
    auto* b = w->findChild<QPushButton*>(QLatin1String(name));
    return b ? b->text() : QStringLiteral("<missing>");
}

// A workspace whose LANGUAGE holds English.lng and Zeta.lng.
struct LanguageFixture : AppFixture {
    LanguageFixture()
    {
        state->CreateWorkspace();
        for (const char* n : {"English.lng", "Zeta.lng"})
            QFile::copy(kFixtures + QLatin1Char('/') + QLatin1String(n), state->LanguageDir + QLatin1Char('/') + QLatin1String(n));
    }
};

// Acts on the modal dialog that the next exec() opens.
void onNextModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        QVERIFY(w);
        act(w);
    });
}

} // namespace

class TestLanguageChange : public QObject {
    Q_OBJECT
private slots:
    void confirmedChangeRelabelsLiveWindows();
    void okStoresLanguageAndTimerRule();
    void vanishedLanguageFallsBackToEnglish();
    void shippedLanguageFiles();
    void shippedFilesNeverOverwriteUserChanges();
    void messagesFollowTheLanguage();
};

void TestLanguageChange::confirmedChangeRelabelsLiveWindows()
{
    LanguageFixture fx;
    TFTessaraneFirmWare w(*fx.state, fx.services);
    TFSoftOptions* options = w.optionsDialog();
    TFAbout* about = w.aboutDialog();
    about->show();
    QCOMPARE(labelText(about, "Label7"), QStringLiteral("EN-T 1"));
    about->hide();

    options->show();
    QCOMPARE(options->SL_Languages(), (QStringList{QStringLiteral("English.lng"), QStringLiteral("Zeta.lng")}));
    fx.messages.answers = {true};
    options->LangClick(2);
    QCOMPARE(fx.messages.texts(), QStringList{QStringLiteral("Do you want to change the Language from English to Zeta?")});

    // Every window that follows the language shows the new texts at once.
    QCOMPARE(buttonText(&w, "Btn_New"), QStringLiteral("Zeta new"));
    QCOMPARE(w.newProjectDialog()->windowTitle(), QStringLiteral("Zeta new caption"));
    QCOMPARE(w.openDialog()->windowTitle(), QStringLiteral("Zeta open caption"));
    QCOMPARE(options->windowTitle(), QStringLiteral("Zeta options"));
    QCOMPARE(labelText(options, "L_Sel_Lang"), QStringLiteral("Zeta selected: Zeta"));
    QCOMPARE(labelText(options, "L_Page_Lang"), QStringLiteral("Zeta page 1 of 1"));
    QCOMPARE(w.parGenDialog()->windowTitle(), QStringLiteral("Zeta communication"));
    QCOMPARE(w.snmpDialog()->windowTitle(), QStringLiteral("Zeta requests"));
    // The update dialog at its next show, the GSDML name dialog never, and
    // the configuration labels when a configuration is next created or opened.
    QCOMPARE(w.bootDialog()->windowTitle(), QStringLiteral("Update Device by Ethernet (UDP)"));
    QCOMPARE(w.profinetNameDialog()->windowTitle(), QStringLiteral("PROFINET XML File Name"));
    QCOMPARE(labelText(&w, "L_Name_Conf"), QStringLiteral("None Configuration Opened "));

    // Cancel keeps the texts; the stored language stays the old one.
    QTest::mouseClick(options->findChild<QPushButton*>(QStringLiteral("Btn_Cancel")), Qt::LeftButton);
    QCOMPARE(fx.state->Settings.LanguageName, QStringLiteral("English"));
    QCOMPARE(buttonText(&w, "Btn_New"), QStringLiteral("Zeta new"));
    options->show();
    QCOMPARE(labelText(options, "L_Sel_Lang"), QStringLiteral("Zeta selected: English"));
    options->hide();

    w.bootDialog()->show();
    QCOMPARE(w.bootDialog()->windowTitle(), QStringLiteral("Zeta update"));
    w.bootDialog()->hide();
    about->show();
    QCOMPARE(labelText(about, "Label7"), QStringLiteral("ZETA 7"));
    QCOMPARE(about->windowTitle(), QStringLiteral("About..."));
    about->hide();

    onNextModal([](QWidget* dlg) {
        dlg->findChild<QLineEdit*>(QStringLiteral("E_New_Proj"))->setText(QStringLiteral("Plant1"));
        static_cast<TFNew_Project*>(dlg)->Btn_OKClick();
    });
    w.Create_New_Project();
    QCOMPARE(labelText(&w, "L_Name_Conf"), QStringLiteral("Zeta opened: "));
}

void TestLanguageChange::okStoresLanguageAndTimerRule()
{
    LanguageFixture fx;
    {
        TFTessaraneFirmWare w(*fx.state, fx.services);
        fx.state->Settings.EnableInternet = true;
        fx.state->Settings.EnableUpdate = true;
        w.ApplyTimerRule();
        QVERIFY(w.Timer_Update()->isActive());

        fx.messages.answers = {true};
        onNextModal([](QWidget* dlg) {
            auto* options = qobject_cast<TFSoftOptions*>(dlg);
            QVERIFY(options);
            options->LangClick(2);
            options->findChild<QCheckBox*>(QStringLiteral("CB_En_Con"))->click();
            options->Btn_OKClick();
        });
        w.findChild<QPushButton*>(QStringLiteral("Btn_Opz"))->click();

        QCOMPARE(fx.state->Settings.LanguageName, QStringLiteral("Zeta"));
        QVERIFY(!fx.state->Settings.EnableInternet);
        QVERIFY(fx.state->Settings.EnableUpdate);
        QVERIFY(!w.Timer_Update()->isActive());
        const QByteArray saved = readAll(fx.path(QStringLiteral("Tessaran.xml")));
        QVERIFY2(saved.contains("<language>Zeta</language>"), saved.constData());
        QVERIFY2(saved.contains("<enable_internet>0</enable_internet><enable_update>1</enable_update>"), saved.constData());
    }
    // The next start comes up in the stored language.
    TFTessaraneFirmWare again(*fx.state, fx.services);
    QCOMPARE(buttonText(&again, "Btn_New"), QStringLiteral("Zeta new"));
    QCOMPARE(fx.state->LangFileVersion, QStringLiteral("ZETA 7"));
}

void TestLanguageChange::vanishedLanguageFallsBackToEnglish()
{
    LanguageFixture fx;
    TFTessaraneFirmWare w(*fx.state, fx.services);
    TFSoftOptions* options = w.optionsDialog();
    fx.messages.answers = {true};
    options->show();
    options->LangClick(2);
    QCOMPARE(buttonText(&w, "Btn_New"), QStringLiteral("Zeta new"));

    options->hide();
    options->show();
    QVERIFY(QFile::remove(fx.state->LanguageDir + QStringLiteral("/Zeta.lng")));
    fx.messages.answers = {true};
    options->LangClick(2);
    QCOMPARE(buttonText(&w, "Btn_New"), QStringLiteral("New Configuration"));
    QCOMPARE(fx.state->LangFileVersion, QStringLiteral("EN-T 1"));
    QCOMPARE(fx.state->Settings.LanguageName, QStringLiteral("English"));
}

void TestLanguageChange::shippedLanguageFiles()
{
    const kv::LanguageFile english = kv::ReadLanguageFileContents(kShipped + QStringLiteral("/English.lng"));
    const kv::LanguageFile german = kv::ReadLanguageFileContents(kShipped + QStringLiteral("/Deutsch.lng"));
    QVERIFY2(english.readable, qPrintable(english.error));
    QVERIFY2(german.readable, qPrintable(german.error));
    QCOMPARE(english.ignoredLines, 0);
    QCOMPARE(german.ignoredLines, 0);
    QVERIFY(english.hasVersion && !english.version.isEmpty());
    QVERIFY(german.hasVersion && !german.version.isEmpty());

    // The template holds the default text of every entry it names, and the
    // translation covers exactly the same entries.
    QVERIFY(english.entries.size() > 250);
    for (auto it = english.entries.cbegin(); it != english.entries.cend(); ++it) {
        QVERIFY2(it.value() == kv::DefaultText(it.key()), qPrintable(QString::number(it.key())));
        QVERIFY2(it.value() != QLatin1String(" "), qPrintable(QString::number(it.key())));
    }
    // ...and names every entry the product shows, new ones included.
    const QVector<QString>& defaults = kv::DefaultTexts();
    for (int i = 0; i < defaults.size(); ++i) {
        if (defaults.at(i) != QLatin1String(" ") && defaults.at(i) != QLatin1String("Reserved"))
            QVERIFY2(english.entries.contains(i), qPrintable(QStringLiteral("English.lng lacks %1").arg(i)));
    }
    QCOMPARE(german.entries.keys(), english.entries.keys());
    // Placeholders that the caller fills in (%1: a row number) survive the
    // translation.
    const QRegularExpression placeholder(QStringLiteral("%\\d"));
    for (auto it = english.entries.cbegin(); it != english.entries.cend(); ++it) {
        QStringList want, got;
        for (auto m = placeholder.globalMatch(it.value()); m.hasNext();)
            want << m.next().captured();
        for (auto m = placeholder.globalMatch(german.entries.value(it.key())); m.hasNext();)
            got << m.next().captured();
        want.sort();
        got.sort();
        QVERIFY2(got == want, qPrintable(QString::number(it.key())));
    }
    // Texts that a caller completes keep their blanks in the translation.
    for (int i : {9, 11, 304, 305, 306, 316, 317, 637}) {
        QVERIFY2(german.entries.value(i).endsWith(QLatin1Char(' ')), qPrintable(QString::number(i)));
        QCOMPARE(german.entries.value(i).startsWith(QLatin1Char(' ')), english.entries.value(i).startsWith(QLatin1Char(' ')));
    }

    for (const char* flag : {"English.bmp", "Deutsch.bmp", "DefaultFlag.bmp"})
        QVERIFY2(!QImage(kShipped + QLatin1Char('/') + QLatin1String(flag)).isNull(), flag);
}

void TestLanguageChange::shippedFilesNeverOverwriteUserChanges()
{
    const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
    if (cmake.isEmpty())
        QSKIP("cmake is not on the path");
    QTemporaryDir tmp;
    const QString src = tmp.path() + QStringLiteral("/src");
    const QString dest = tmp.path() + QStringLiteral("/LANGUAGE");
    QVERIFY(QDir().mkpath(src));
    const auto run = [&] {
        QProcess p;
        p.start(cmake, {QStringLiteral("-DKV_LANG_SRC=") + src, QStringLiteral("-DKV_LANG_DEST=") + dest,
                        QStringLiteral("-DKV_LANG_STAMP=") + tmp.path() + QStringLiteral("/stamp"), QStringLiteral("-P"),
                        QStringLiteral(KV_FIXTURES_DIR "/../../cmake/Languages.cmake")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
    };
    const auto shipped = [&](const char* name) { return src + QLatin1Char('/') + QLatin1String(name); };
    const auto copied = [&](const char* name) { return dest + QLatin1Char('/') + QLatin1String(name); };

    writeFile(shipped("A.lng"), "STR0 = one\r\n");
    writeFile(shipped("B.lng"), "STR0 = one\r\n");
    writeFile(shipped("C.lng"), "STR0 = one\r\n");
    run();
    QCOMPARE(readAll(copied("A.lng")), QByteArray("STR0 = one\r\n"));

    // A changed here by the user, C removed by the user, B untouched; then a
    // new release of all three.
    writeFile(copied("A.lng"), "STR0 = mine\r\n");
    QVERIFY(QFile::remove(copied("C.lng")));
    for (const char* n : {"A.lng", "B.lng", "C.lng"})
        writeFile(shipped(n), "STR0 = two\r\n");
    writeFile(copied("D.lng"), "STR0 = user's own\r\n");
    writeFile(shipped("D.lng"), "STR0 = two\r\n");
    run();
    QCOMPARE(readAll(copied("A.lng")), QByteArray("STR0 = mine\r\n"));
    QCOMPARE(readAll(copied("B.lng")), QByteArray("STR0 = two\r\n"));
    QCOMPARE(readAll(copied("C.lng")), QByteArray("STR0 = two\r\n"));
    QCOMPARE(readAll(copied("D.lng")), QByteArray("STR0 = user's own\r\n"));
    QCOMPARE(QDir(dest).entryList(QDir::Files).size(), 4); // no temporary file left behind
}

void TestLanguageChange::messagesFollowTheLanguage()
{
    AppFixture fx;
    fx.state->CreateWorkspace();
    for (const char* n : {"English.lng", "Deutsch.lng"})
        QVERIFY(QFile::copy(kShipped + QLatin1Char('/') + QLatin1String(n), fx.state->LanguageDir + QLatin1Char('/') + QLatin1String(n)));
    TFTessaraneFirmWare w(*fx.state, fx.services);
    const auto boxTexts = [&fx] {
        const kv::MessageTexts& t = fx.messages.boxTexts();
        return QStringList{t.errorTitle, t.warningTitle, t.questionTitle, t.ok, t.yes, t.no};
    };
    QCOMPARE(boxTexts(), (QStringList{QStringLiteral("Error"), QStringLiteral("Warning"), QStringLiteral("Confirm"),
                                      QStringLiteral("OK"), QStringLiteral("Yes"), QStringLiteral("No")}));

    // The shipped German chosen in the options dialog: titles and buttons of
    // every later box are German at once.
    TFSoftOptions* options = w.optionsDialog();
    options->show();
    QCOMPARE(options->SL_Languages().value(0), QStringLiteral("Deutsch.lng"));
    fx.messages.answers = {true};
    options->LangClick(1);
    options->hide();
    QCOMPARE(boxTexts(), (QStringList{QStringLiteral("Fehler"), QStringLiteral("Warnung"), QStringLiteral("Bestätigen"),
                                      QStringLiteral("OK"), QStringLiteral("Ja"), QStringLiteral("Nein")}));

    // So is the settings error, with the system's reason on the next line.
    fx.messages.log.clear();
    QVERIFY(QDir().mkdir(fx.state->SettingsPath())); // a directory in the file's place
    w.Save_Setting();
    QCOMPARE(fx.messages.log.size(), 1);
    const QStringList lines = fx.messages.log.at(0).text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), QStringLiteral("Die Einstellungen konnten nicht gespeichert werden."));
    QVERIFY2(lines.at(1).contains(QStringLiteral("Tessaran.xml")), qPrintable(lines.at(1)));
}

QTEST_MAIN(TestLanguageChange)
#include "test_language_change.moc"
