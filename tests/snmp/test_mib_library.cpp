// The "MIB Library" window over the request dialog: modules added to a
// temporary workspace's MIBS folder as a user adds them (file dialog and
// questions scripted), their states, replacing, and removing.
#include <QtTest>

#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include "FakeSnmp.h"
#include "TestFiles.h"
#include "common/UServices.h"
#include "lang/Language.h"
#include "requests/SnmpRequests.h"
#include "requests/USNMPManagerAccess.h"
#include "snmp/MibLibrary.h"
#include "snmp/UMibLibrary.h"
#include "snmp/USnmpTools.h"
#include "state/AppState.h"

namespace {

const QString kFixtures = QStringLiteral(KV_FIXTURES_DIR);
const QString kVendor = kFixtures + QStringLiteral("/mib_vendor/ACME-UPS-MIB");
const QString kTestMib = kFixtures + QStringLiteral("/mib_modules/KVTEST-MIB");
const QString kBadSyntax = kFixtures + QStringLiteral("/mib_broken/KVBAD-SYNTAX-MIB");
const QString kBadImport = kFixtures + QStringLiteral("/mib_broken/KVBAD-IMPORT-MIB");

// The request dialog of a temporary workspace, its MIB library made of the
// workspace's MIBS, the shipped base and a stand-in for the system's folder.
struct LibraryFixture {
    QTemporaryDir dir;
    kv::ScriptedMessageService messages;
    kv::ScriptedFileDialogs files;
    kvtest::BlockingFake client;
    kv::AppState state{dir.path()};
    kv::SnmpWindows windows{state, client};
    kv::UiServices services;
    std::unique_ptr<TFSNMPManagerAccess> dialog;

    explicit LibraryFixture(const QString& language = QString())
    {
        services.messages = &messages;
        services.files = &files;
        services.snmp = &windows;
        QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/P/bin"));
        state.CreateWorkspace();
        state.OpenProject(QStringLiteral("P"));
        if (!language.isEmpty()) {
            QString version;
            kv::ReadLanguageFile(QStringLiteral(KV_SOURCE_DIR "/languages/") + language, state.Lang, version);
        }
        kv::MibLibrary::SetFolders({state.MibsDir, QStringLiteral(KV_BIN_DIR "/MIBS_BASE")});
        kv::MibLibrary::Reload();
        dialog = std::make_unique<TFSNMPManagerAccess>(state, services);
    }
    ~LibraryFixture() { dialog.reset(); }

    QString mibs(const QString& name) const { return QDir(state.MibsDir).filePath(name); }

    // Chooses these files in the file dialog of "Add files...".
    void add(TFMibLibrary* w, const QStringList& chosen)
    {
        files.openAnswers = chosen;
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Btn_Add")), Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    // Opens the request dialog and, with Ctrl+L from its grid, the library.
    TFMibLibrary* open()
    {
        if (!dialog->FormShow())
            return nullptr;
        dialog->show();
        // Ctrl+L again comes from the dialog, not from the library's window.
        QApplication::setActiveWindow(dialog.get());
        if (!QTest::qWaitForWindowActive(dialog.get()))
            return nullptr;
        dialog->findChild<QTableView*>(QStringLiteral("ACG_SNMP"))->setFocus();
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(Qt::CTRL | Qt::Key_L));
        QCoreApplication::processEvents();
        TFMibLibrary* shown = nullptr;
        for (TFMibLibrary* w : dialog->findChildren<TFMibLibrary*>()) {
            if (w->isVisible()) {
                if (shown)
                    return nullptr; // one window, not two
                shown = w;
            }
        }
        return shown;
    }
};

QPushButton* button(TFMibLibrary* w, const char* name)
{
    return w->findChild<QPushButton*>(QString::fromLatin1(name));
}

void click(TFMibLibrary* w, const char* name)
{
    QPushButton* b = button(w, name);
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
    QCoreApplication::processEvents();
}

QString cell(TFMibLibrary* w, const QString& module, int column)
{
    const int line = w->lineOf(module);
    return line < 0 ? QString() : w->modules()->item(line, column)->text();
}

bool shownAsFailed(TFMibLibrary* w, const QString& module)
{
    const int line = w->lineOf(module);
    const QTableWidgetItem* state = line < 0 ? nullptr : w->modules()->item(line, TFMibLibrary::ColState);
    return state && state->background().style() != Qt::NoBrush && !state->icon().isNull();
}

QStringList selectedModules(TFMibLibrary* w)
{
    QStringList names;
    for (const QModelIndex& i : w->modules()->selectionModel()->selectedRows())
        names << w->modules()->item(i.row(), TFMibLibrary::ColModule)->text();
    names.sort();
    return names;
}

void selectModules(TFMibLibrary* w, const QStringList& modules)
{
    QTableWidget* list = w->modules();
    list->clearSelection();
    for (const QString& m : modules) {
        const int line = w->lineOf(m);
        QVERIFY2(line >= 0, qPrintable(m));
        list->selectionModel()->select(list->model()->index(line, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

} // namespace

class TestMibLibrary : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The system's folders are replaced by one of the test's own.
        QVERIFY(m_system.isValid());
        QVERIFY(QFile::copy(kFixtures + QStringLiteral("/mib_override/KVOVR-MIB"), m_system.filePath(QStringLiteral("KVOVR-MIB"))));
        qputenv("MIBDIRS", QDir::toNativeSeparators(m_system.path()).toLocal8Bit());
    }

    void addVendorModule_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QStringList>("headers");
        QTest::newRow("English") << QString() << QStringLiteral("loaded")
                                 << QStringList{QStringLiteral("Name"), QStringLiteral("File"), QStringLiteral("State")};
        QTest::newRow("Deutsch") << QStringLiteral("Deutsch.lng") << QStringLiteral("geladen")
                                 << QStringList{QStringLiteral("Name"), QStringLiteral("Datei"), QStringLiteral("Zustand")};
    }

    // A vendor's module copied in through the window loads on the shipped
    // base alone, and its objects are known at once.
    void addVendorModule()
    {
        QFETCH(QString, language);
        QFETCH(QString, loaded);
        QFETCH(QStringList, headers);
        LibraryFixture f(language);
        TFMibLibrary* w = f.open();
        QVERIFY(w);
        QStringList shownHeaders;
        for (int c = 0; c < w->modules()->columnCount(); ++c)
            shownHeaders << w->modules()->horizontalHeaderItem(c)->text();
        QCOMPARE(shownHeaders, headers);
        QCOMPARE(cell(w, QStringLiteral("ACME-UPS-MIB"), TFMibLibrary::ColModule), QString());
        kv::MibObject o;
        QVERIFY(!kv::MibLibrary::Find(QStringLiteral("upsLastTest"), &o, nullptr));

        f.add(w, {kVendor});
        QCOMPARE(f.messages.texts(), QStringList());
        QCOMPARE(readAll(f.mibs(QStringLiteral("ACME-UPS-MIB"))), readAll(kVendor));
        QCOMPARE(cell(w, QStringLiteral("ACME-UPS-MIB"), TFMibLibrary::ColState), loaded);
        QCOMPARE(cell(w, QStringLiteral("ACME-UPS-MIB"), TFMibLibrary::ColFile),
                 QDir::toNativeSeparators(f.mibs(QStringLiteral("ACME-UPS-MIB"))));
        QVERIFY(!shownAsFailed(w, QStringLiteral("ACME-UPS-MIB")));
        // The user's module comes first, chosen, and can be removed.
        QCOMPARE(w->lineOf(QStringLiteral("ACME-UPS-MIB")), 0);
        QCOMPARE(selectedModules(w), QStringList{QStringLiteral("ACME-UPS-MIB")});
        QVERIFY(button(w, "Btn_Remove")->isEnabled());
        QVERIFY(kv::MibLibrary::Find(QStringLiteral("upsLastTest"), &o, nullptr));
        QCOMPARE(o.fullName(), QStringLiteral("ACME-UPS-MIB::upsLastTest"));

        // Ctrl+L again: the same window, to the front.
        QCOMPARE(f.open(), w);
    }

    // Broken modules are listed with what is wrong, and stand out.
    void brokenModulesSayWhy()
    {
        LibraryFixture f;
        TFMibLibrary* w = f.open();
        QVERIFY(w);
        f.add(w, {kBadSyntax, kBadImport});
        QCOMPARE(f.messages.texts(), QStringList());
        QCOMPARE(selectedModules(w), (QStringList{QStringLiteral("KVBAD-IMPORT-MIB"), QStringLiteral("KVBAD-SYNTAX-MIB")}));

        const QString syntaxFile = cell(w, QStringLiteral("KVBAD-SYNTAX-MIB"), TFMibLibrary::ColFile);
        QCOMPARE(syntaxFile, QDir::toNativeSeparators(f.mibs(QStringLiteral("KVBAD-SYNTAX-MIB"))) + QStringLiteral(":10"));
        const QString syntaxState = cell(w, QStringLiteral("KVBAD-SYNTAX-MIB"), TFMibLibrary::ColState);
        QVERIFY2(syntaxState.startsWith(QStringLiteral("Expected \")\"")), qPrintable(syntaxState));
        QCOMPARE(cell(w, QStringLiteral("KVBAD-IMPORT-MIB"), TFMibLibrary::ColState),
                 QStringLiteral("missing imports: KV-ABSENT-MIB"));
        QVERIFY(shownAsFailed(w, QStringLiteral("KVBAD-SYNTAX-MIB")));
        QVERIFY(shownAsFailed(w, QStringLiteral("KVBAD-IMPORT-MIB")));
        QVERIFY(!shownAsFailed(w, QStringLiteral("SNMPv2-TC")));
    }

    // A module already in MIBS is replaced only on Yes (No is the default),
    // and in its own file: one module never lies in two files.
    void replacingAsksFirst()
    {
        LibraryFixture f;
        TFMibLibrary* w = f.open();
        QVERIFY(w);
        f.add(w, {kTestMib});
        const QByteArray old = readAll(f.mibs(QStringLiteral("KVTEST-MIB")));
        QVERIFY(!old.isEmpty());

        // The same module from a file of another name, with one more object.
        QTemporaryDir elsewhere;
        const QString newer = elsewhere.filePath(QStringLiteral("kvtest-v2.mib"));
        QByteArray text = old;
        text.replace("\nEND", "\nkvExtra OBJECT-TYPE\n    SYNTAX      Integer32 (0..9)\n    MAX-ACCESS  read-only\n"
                              "    STATUS      current\n    DESCRIPTION \"Added.\"\n    ::= { kvScalars 99 }\n\nEND");
        QVERIFY(text != old);
        writeFile(newer, text);

        f.messages.answers = {false};
        f.add(w, {newer});
        QCOMPARE(f.messages.log.size(), 1);
        QCOMPARE(f.messages.log[0].kind, QStringLiteral("question"));
        QCOMPARE(f.messages.log[0].byDefault, kv::IMessageService::Default::No);
        QCOMPARE(f.messages.log[0].text,
                 QStringLiteral("KVTEST-MIB is already in the MIBS folder, in %1. Replace it with %2?")
                     .arg(QDir::toNativeSeparators(f.mibs(QStringLiteral("KVTEST-MIB"))), QDir::toNativeSeparators(newer)));
        QCOMPARE(readAll(f.mibs(QStringLiteral("KVTEST-MIB"))), old);
        QCOMPARE(QDir(f.state.MibsDir).entryList(QDir::Files), QStringList{QStringLiteral("KVTEST-MIB")});
        kv::MibObject o;
        QVERIFY(!kv::MibLibrary::Find(QStringLiteral("kvExtra"), &o, nullptr));

        f.messages.log.clear();
        f.messages.answers = {true};
        f.add(w, {newer});
        QCOMPARE(f.messages.log.size(), 1);
        QCOMPARE(readAll(f.mibs(QStringLiteral("KVTEST-MIB"))), text);
        QCOMPARE(QDir(f.state.MibsDir).entryList(QDir::Files), QStringList{QStringLiteral("KVTEST-MIB")});
        QVERIFY(kv::MibLibrary::Find(QStringLiteral("kvExtra"), &o, nullptr));
        QCOMPARE(cell(w, QStringLiteral("KVTEST-MIB"), TFMibLibrary::ColState), QStringLiteral("loaded"));

        // Another module under the file name of one in MIBS asks too, naming
        // the module it would replace.
        const QString sameName = elsewhere.filePath(QStringLiteral("KVTEST-MIB"));
        QVERIFY(QFile::copy(kBadImport, sameName));
        f.messages.log.clear();
        f.messages.answers = {false};
        f.add(w, {sameName});
        QCOMPARE(f.messages.log.size(), 1);
        QVERIFY2(f.messages.log[0].text.startsWith(QStringLiteral("KVTEST-MIB is already")), qPrintable(f.messages.log[0].text));
        QCOMPARE(readAll(f.mibs(QStringLiteral("KVTEST-MIB"))), text);
    }

    // Files that are not copied say which and why, and change nothing.
    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("size"); // grown to this with zeros; 0: as it is
        QTest::addColumn<QString>("message"); // after the file's name
        QTest::newRow("no module header") << QByteArray("Release notes\r\n-- KVTEST-MIB DEFINITIONS ::= BEGIN\r\n") << qint64(0)
                                          << QStringLiteral(" is not a MIB module: there is no \"NAME DEFINITIONS ::= BEGIN\" "
                                                            "near its start. It was not copied.");
        QTest::newRow("too large") << QByteArray("KVTEST-MIB DEFINITIONS ::= BEGIN\n") << qint64(17 * 1024 * 1024)
                                   << QStringLiteral(": File too large");
    }

    void refusedFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(qint64, size);
        QFETCH(QString, message);
        LibraryFixture f;
        TFMibLibrary* w = f.open();
        QVERIFY(w);
        f.add(w, {kTestMib});
        const QByteArray old = readAll(f.mibs(QStringLiteral("KVTEST-MIB")));

        QTemporaryDir elsewhere;
        const QString file = elsewhere.filePath(QStringLiteral("KVTEST-MIB.txt"));
        writeFile(file, content);
        if (size)
            QVERIFY(QFile::resize(file, size));
        f.add(w, {file, kVendor});
        QCOMPARE(f.messages.texts(), QStringList{QDir::toNativeSeparators(file) + message});
        QCOMPARE(readAll(f.mibs(QStringLiteral("KVTEST-MIB"))), old);
        // The other file chosen with it is copied all the same.
        QCOMPARE(QDir(f.state.MibsDir).entryList(QDir::Files),
                 (QStringList{QStringLiteral("ACME-UPS-MIB"), QStringLiteral("KVTEST-MIB")}));
        QCOMPARE(cell(w, QStringLiteral("ACME-UPS-MIB"), TFMibLibrary::ColState), QStringLiteral("loaded"));
    }

    // A module the engineer copies into MIBS by hand, with the window open,
    // is read when the window (or the tree) comes up again; a file changed
    // in place too.
    void handCopiedModuleIsRead()
    {
        LibraryFixture f;
        TFMibLibrary* w = f.open();
        QVERIFY(w);
        QCOMPARE(w->lineOf(QStringLiteral("ACME-UPS-MIB")), -1);
        QVERIFY(QFile::copy(kVendor, f.mibs(QStringLiteral("ACME-UPS-MIB"))));
        QCOMPARE(f.open(), w);
        QCOMPARE(cell(w, QStringLiteral("ACME-UPS-MIB"), TFMibLibrary::ColState), QStringLiteral("loaded"));
        kv::MibObject o;
        QVERIFY(kv::MibLibrary::Find(QStringLiteral("upsLastTest"), &o, nullptr));

        // Nothing changed: not read again.
        const int generation = kv::MibLibrary::Generation();
        QCOMPARE(f.open(), w);
        QCOMPARE(kv::MibLibrary::Generation(), generation);

        // Broken in place (same name): its state follows.
        QFile file(f.mibs(QStringLiteral("ACME-UPS-MIB")));
        QVERIFY(file.open(QIODevice::Append));
        file.write("\nthis is not a definition\n");
        file.close();
        QCOMPARE(f.open(), w);
        QVERIFY(shownAsFailed(w, QStringLiteral("ACME-UPS-MIB")));
    }

    // Remove deletes the chosen modules' files from MIBS after a question;
    // modules of the shipped base and the system's folders cannot be chosen
    // for it.
    void removeDeletes()
    {
        LibraryFixture f;
        TFMibLibrary* w = f.open();
        QVERIFY(w);
        f.add(w, {kTestMib, kVendor, kBadImport});
        QCOMPARE(QDir(f.state.MibsDir).entryList(QDir::Files).size(), 3);

        const auto removable = [&](const QStringList& modules) {
            selectModules(w, modules);
            return button(w, "Btn_Remove")->isEnabled();
        };
        QVERIFY(!removable({QStringLiteral("SNMPv2-TC")}));
        QVERIFY(!removable({QStringLiteral("KVOVR-MIB")}));
        QVERIFY(!removable({QStringLiteral("KVTEST-MIB"), QStringLiteral("SNMPv2-SMI")}));
        QVERIFY(!removable({}));
        QVERIFY(removable({QStringLiteral("KVTEST-MIB"), QStringLiteral("KVBAD-IMPORT-MIB")}));

        f.messages.answers = {false};
        click(w, "Btn_Remove");
        QCOMPARE(f.messages.log.size(), 1);
        QCOMPARE(f.messages.log[0].byDefault, kv::IMessageService::Default::No);
        QCOMPARE(f.messages.log[0].text,
                 QStringLiteral("Delete the files of KVBAD-IMPORT-MIB, KVTEST-MIB from the MIBS folder?"));
        QCOMPARE(QDir(f.state.MibsDir).entryList(QDir::Files).size(), 3);

        f.messages.answers = {true};
        click(w, "Btn_Remove");
        QCOMPARE(QDir(f.state.MibsDir).entryList(QDir::Files), QStringList{QStringLiteral("ACME-UPS-MIB")});
        QCOMPARE(w->lineOf(QStringLiteral("KVTEST-MIB")), -1);
        QCOMPARE(w->lineOf(QStringLiteral("KVBAD-IMPORT-MIB")), -1);
        QCOMPARE(cell(w, QStringLiteral("ACME-UPS-MIB"), TFMibLibrary::ColState), QStringLiteral("loaded"));
        kv::MibObject o;
        QVERIFY(!kv::MibLibrary::Find(QStringLiteral("kvPackets"), &o, nullptr));
        QVERIFY(!button(w, "Btn_Remove")->isEnabled());
    }

private:
    QTemporaryDir m_system;
};

QTEST_MAIN(TestMibLibrary)
#include "test_mib_library.moc"
