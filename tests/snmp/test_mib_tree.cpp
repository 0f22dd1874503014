// The offline MIB tree: the search over names, OIDs and descriptions, and
// rows filled from chosen objects in a real request dialog as one step of
// undo, with the objects that fill no row named.
#include <QtTest>

#include "FakeSnmp.h"
#include "TestFiles.h"
#include "common/UServices.h"
#include "common/UStyle.h"
#include "requests/SnmpRequests.h"
#include "requests/SnmpTableModel.h"
#include "requests/USNMPManagerAccess.h"
#include "snmp/MibLibrary.h"
#include "snmp/UMibTree.h"
#include "snmp/USnmpTools.h"
#include "lang/Language.h"
#include "state/AppState.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeView>
#include <QUndoStack>

namespace {

const QString kPower = QStringLiteral("1.3.6.1.4.1.64998.1");
const QString kGateway = QStringLiteral("1.3.6.1.4.1.64998.2");
const QString kOutletIndex = QStringLiteral("1.3.6.1.4.1.64998.3.1.1");
const QString kOutletName = QStringLiteral("1.3.6.1.4.1.64998.3.1.2");
const QString kOutletCurrent = QStringLiteral("1.3.6.1.4.1.64998.3.1.3");

kv::SnmpRequest agentRow()
{
    kv::SnmpRequest r = kv::SnmpRequest::ResetRow();
    r.IP_Address = QStringLiteral("192.0.2.7");
    r.Version = QStringLiteral("2");
    r.Community_String = QStringLiteral("Harbour");
    r.Time = QStringLiteral("1000");
    r.Position = QStringLiteral("0");
    return r;
}

kv::SnmpRequest heldRow()
{
    kv::SnmpRequest r = agentRow();
    r.OID = QStringLiteral("1.3.6.1.2.1.1.3.0");
    r.Type = QStringLiteral("Int");
    r.Mode = QStringLiteral("Set");
    r.Number_Bytes = QStringLiteral("4");
    r.Mnemonic = QStringLiteral("uptime");
    return r;
}

// A request dialog over a table of its own: row 3 names an agent, row 6
// holds a request; the tree window opened from it with Ctrl+Shift+L.
struct DialogFixture {
    QTemporaryDir dir;
    kv::ScriptedMessageService messages;
    kv::UiServices services;
    kv::AppState state{dir.path()};
    kvtest::BlockingFake client;
    kv::SnmpWindows tools{state, client};
    QVector<kv::SnmpRequest> table{QVector<kv::SnmpRequest>(kv::SnmpMaxRows, kv::SnmpRequest::ResetRow())};
    std::unique_ptr<TFSNMPManagerAccess> dialog;
    QTableView* grid = nullptr;

    DialogFixture()
    {
        services.messages = &messages;
        services.snmp = &tools;
        QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/P/bin"));
        state.OpenProject(QStringLiteral("P"));
        for (int r = 0; r < 6; ++r)
            table[r] = agentRow();
        table[5] = heldRow();
        writeFile(state.SnmpManagerPath, kv::SnmpRequestsXml(table));
        dialog = std::make_unique<TFSNMPManagerAccess>(state, services);
        dialog->FormShow();
        dialog->show();
        grid = dialog->findChild<QTableView*>(QStringLiteral("ACG_SNMP"));
    }

    // Opens the tree from the grid, on row `row` (1..512).
    TFMibTree* openTree(int row)
    {
        dialog->activateWindow();
        if (!QTest::qWaitFor([this] { return QApplication::activeWindow() == dialog.get(); }))
            return nullptr;
        grid->setFocus();
        grid->setCurrentIndex(dialog->tableModel()->index(row - 1, kv::ColOid));
        QTest::keySequence(grid, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
        QTest::qWait(20);
        return kv::ShownChildWindow<TFMibTree>(dialog.get());
    }

    const QVector<kv::SnmpRequest>& rows() const { return dialog->tableModel()->rows(); }
};

void typeIndex(TFMibTree* w, const QString& text)
{
    auto* index = w->findChild<QLineEdit*>(QStringLiteral("E_Index"));
    index->selectAll();
    QTest::keyClicks(index, text);
}

void clickAdd(TFMibTree* w)
{
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Btn_Add")), Qt::LeftButton);
    QTest::qWait(20);
}

} // namespace

class TestMibTree : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The shipped base and the fixture only: the system's folders are
        // replaced by an empty one.
        QVERIFY(m_empty.isValid());
        qputenv("MIBDIRS", QDir::toNativeSeparators(m_empty.path()).toLocal8Bit());
        kv::MibLibrary::SetFolders({QStringLiteral(KV_FIXTURES_DIR "/mib_tree"), QStringLiteral(KV_BIN_DIR "/MIBS_BASE")});
        kv::MibLibrary::Reload();
    }

    void search_data();
    void search();
    void detailsOfTheChosenObject();
    void addFillsRowsAsOneStep();
    void addRefusedWhole_data();
    void addRefusedWhole();
    void indexMustBeAnOid();
    void followsAReload();
    void captionsFit_data();
    void captionsFit();

private:
    QTemporaryDir m_empty;
    QTemporaryDir m_stateDir;
    kv::AppState m_state{m_stateDir.path()};
};

// Typed as a user types it: the matches show with the path to them, opened.
void TestMibTree::search_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown"); // in tree order, the match last
    const QString top = QStringLiteral("1.3.6.1.4.1.64998");
    const QStringList entry{top, top + QStringLiteral(".3"), top + QStringLiteral(".3.1")};
    QTest::newRow("name, any case") << QStringLiteral("OUTLETcur") << entry + QStringList{kOutletCurrent};
    QTest::newRow("OID") << QStringLiteral("64998.3.1.2") << entry + QStringList{kOutletName};
    QTest::newRow("OID with its leading dot") << QStringLiteral(".1.3.6.1.4.1.64998.2") << QStringList{top, kGateway};
    QTest::newRow("word of a description") << QStringLiteral("socket") << entry + QStringList{kOutletName};
    QTest::newRow("word after a line break") << QStringLiteral("inlet") << QStringList{top, kPower};
    QTest::newRow("nothing") << QStringLiteral("kvtNoSuchThing") << QStringList();
}

void TestMibTree::search()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    TFMibTree w(m_state, nullptr);
    w.refreshTree();
    w.show();
    QTest::keyClicks(w.findChild<QLineEdit*>(QStringLiteral("E_Search")), typed);
    QCoreApplication::processEvents();
    QCOMPARE(w.shownOids(), shown);
    auto* view = w.findChild<QTreeView*>(QStringLiteral("TV_Mib"));
    if (!shown.isEmpty()) {
        QVERIFY(w.selectOid(shown.constLast()));
        // Every level above the match is open: the match itself is on screen.
        for (QModelIndex i = view->currentIndex().parent(); i.isValid(); i = i.parent())
            QVERIFY2(view->isExpanded(i), qPrintable(i.data().toString()));
        QVERIFY(view->visualRect(view->currentIndex()).isValid());
    }
    // Cleared, the whole tree is back.
    w.findChild<QLineEdit*>(QStringLiteral("E_Search"))->clear();
    QCoreApplication::processEvents();
    QVERIFY(w.shownOids().contains(kOutletCurrent));
    QVERIFY(w.shownOids().contains(QStringLiteral("1.3.6.1.2.1.1.1"))); // sysDescr of the base
}

void TestMibTree::detailsOfTheChosenObject()
{
    TFMibTree w(m_state, nullptr);
    w.refreshTree();
    w.show();
    QVERIFY(w.selectOid(kOutletName));
    QCoreApplication::processEvents();
    const auto text = [&w](const char* name) { return w.findChild<QLabel*>(QString::fromLatin1(name))->text(); };
    QCOMPARE(text("L_Name"), QStringLiteral("KVTREE-MIB::kvtOutletName"));
    QCOMPARE(text("L_Oid"), kOutletName);
    QCOMPARE(text("L_Syntax"), QStringLiteral("DisplayString: OCTET STRING (SIZE (0..20))"));
    QCOMPARE(text("L_Access"), QStringLiteral("read-only"));
    QCOMPARE(text("L_Status"), QStringLiteral("current"));
    QVERIFY(w.selectOid(kPower));
    QCoreApplication::processEvents();
    QCOMPARE(text("L_Syntax"), QStringLiteral("Gauge32 (0..65535)"));
    QCOMPARE(text("L_Units"), QStringLiteral("W"));
    // The file's indentation of the second line is not the text's.
    QCOMPARE(w.findChild<QPlainTextEdit*>(QStringLiteral("M_Description"))->toPlainText(),
             QStringLiteral("The power the outlets draw together.\nMeasured at the inlet, every second."));
    QVERIFY(w.selectOid(QStringLiteral("1.3.6.1.6.3.1.1.6.1"))); // snmpSetSerialNo: TestAndIncr's range
    QCoreApplication::processEvents();
    QCOMPARE(text("L_Syntax"), QStringLiteral("TestAndIncr: INTEGER (0..2147483647)"));
}

// Four objects chosen on row 3 with the index 3: the scalar and the column
// fill rows 3 and 4 with row 3's agent, the two others are named with their
// reasons; Ctrl+Z in the grid takes both rows back, Ctrl+Y fills them again.
void TestMibTree::addFillsRowsAsOneStep()
{
    DialogFixture f;
    TFMibTree* w = f.openTree(3);
    QVERIFY(w);
    for (const QString& oid : {kOutletName, kGateway, kPower, kOutletIndex})
        QVERIFY(w->selectOid(oid, true));
    typeIndex(w, QStringLiteral("3"));
    const QVector<kv::SnmpRequest> before = f.rows();
    clickAdd(w);

    kv::SnmpRequest power = agentRow();
    power.OID = kPower + QStringLiteral(".0");
    power.Type = QStringLiteral("Int");
    power.Number_Bytes = QStringLiteral("2");
    power.Mode = QStringLiteral("Get");
    power.Mnemonic = QStringLiteral("kvtPower");
    kv::SnmpRequest name = agentRow();
    name.OID = kOutletName + QStringLiteral(".3");
    name.Type = QStringLiteral("String");
    name.Number_Bytes = QStringLiteral("20");
    name.Mode = QStringLiteral("Get");
    name.Mnemonic = QStringLiteral("kvtOutletName.3");
    QVector<kv::SnmpRequest> after = before;
    after[2] = power;
    after[3] = name;
    QCOMPARE(f.rows(), after);
    QCOMPARE(f.dialog->undoStack()->count(), 1);
    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log.at(0).kind, QStringLiteral("warning"));
    const QString said = f.messages.log.at(0).text;
    QVERIFY2(said.contains(QStringLiteral("kvtGateway: its syntax IpAddress")), qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("kvtOutletIndex: not-accessible")), qPrintable(said));
    QVERIFY2(!said.contains(QStringLiteral("kvtPower")), qPrintable(said));

    // Back in the grid, the tree still open beside it.
    f.dialog->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), f.dialog.get());
    f.grid->setFocus();
    QTest::keySequence(f.grid, QKeySequence(Qt::CTRL | Qt::Key_Z));
    QTest::qWait(20);
    QCOMPARE(f.rows(), before);
    QTest::keySequence(f.grid, QKeySequence(Qt::CTRL | Qt::Key_Y));
    QTest::qWait(20);
    QCOMPARE(f.rows(), after);

    // The window belongs to this showing of the table: gone with it.
    QPointer<TFMibTree> tree(w);
    f.dialog->reject();
    QTRY_VERIFY(tree.isNull());
}

// Nothing is half added: not past row 512, and not over a request the
// engineer keeps.  Answered Yes, the request is replaced.
void TestMibTree::addRefusedWhole_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("said"); // the start of the message
    QTest::addColumn<bool>("added");
    QTest::newRow("past row 512") << 512 << QList<bool>() << QStringLiteral("2 rows from row 512 on would run past row 512") << false;
    QTest::newRow("over row 6, kept") << 5 << QList<bool>{false} << QStringLiteral("These rows hold requests that the added rows replace: 6.") << false;
    QTest::newRow("over row 6, replaced") << 5 << QList<bool>{true} << QStringLiteral("These rows hold requests that the added rows replace: 6.") << true;
}

void TestMibTree::addRefusedWhole()
{
    QFETCH(int, row);
    QFETCH(QList<bool>, answers);
    QFETCH(QString, said);
    QFETCH(bool, added);
    DialogFixture f;
    f.messages.answers = answers;
    TFMibTree* w = f.openTree(row);
    QVERIFY(w);
    QVERIFY(w->selectOid(kPower, true));
    QVERIFY(w->selectOid(kOutletCurrent, true));
    const QVector<kv::SnmpRequest> before = f.rows();
    clickAdd(w);
    QCOMPARE(f.messages.log.size(), 1);
    QVERIFY2(f.messages.log.at(0).text.startsWith(said), qPrintable(f.messages.log.at(0).text));
    QCOMPARE(f.dialog->undoStack()->count(), added ? 1 : 0);
    if (!added) {
        QCOMPARE(f.rows(), before);
        return;
    }
    QCOMPARE(f.messages.log.at(0).byDefault, kv::IMessageService::Default::No);
    QCOMPARE(f.rows().at(5).OID, kOutletCurrent + QStringLiteral(".1"));
    QCOMPARE(f.rows().at(5).Mode, QStringLiteral("Get"));
    QCOMPARE(f.rows().at(5).Mnemonic, QStringLiteral("kvtOutletCurrent.1"));
}

// The index box takes OID digits only; a text that is not yet an index
// leaves nothing to add.
void TestMibTree::indexMustBeAnOid()
{
    DialogFixture f;
    TFMibTree* w = f.openTree(1);
    QVERIFY(w);
    QVERIFY(w->selectOid(kOutletName));
    auto* add = w->findChild<QPushButton*>(QStringLiteral("Btn_Add"));
    auto* index = w->findChild<QLineEdit*>(QStringLiteral("E_Index"));
    QVERIFY(add->isEnabled());
    typeIndex(w, QStringLiteral("2.x-7"));
    QCOMPARE(index->text(), QStringLiteral("2.7"));
    typeIndex(w, QStringLiteral("4."));
    QVERIFY(!add->isEnabled());
    typeIndex(w, QStringLiteral("99999999999"));
    QVERIFY(!add->isEnabled());
    typeIndex(w, QStringLiteral("12.0"));
    QVERIFY(add->isEnabled());
    clickAdd(w);
    QCOMPARE(f.rows().at(0).OID, kOutletName + QStringLiteral(".12.0"));
    QCOMPARE(f.rows().at(0).Mnemonic, QStringLiteral("kvtOutletName.12.0"));
}

// The library read again while the window is open (a module added in the
// library window): the window takes the new tree when it comes to the
// front, keeps the chosen object, and shows definitions from the new read.
void TestMibTree::followsAReload()
{
    TFMibTree w(m_state, nullptr);
    w.refreshTree();
    w.show();
    QVERIFY(w.selectOid(kOutletName));
    const QString kvtest = QStringLiteral("1.3.6.1.4.1.64999.1.2"); // KVTEST-MIB::kvSmall
    QVERIFY(!w.shownOids().contains(kvtest));
    kv::MibLibrary::SetFolders({QStringLiteral(KV_FIXTURES_DIR "/mib_tree"), QStringLiteral(KV_FIXTURES_DIR "/mib_modules"),
                                QStringLiteral(KV_BIN_DIR "/MIBS_BASE")});
    kv::MibLibrary::Reload();
    auto restore = qScopeGuard([] {
        kv::MibLibrary::SetFolders({QStringLiteral(KV_FIXTURES_DIR "/mib_tree"), QStringLiteral(KV_BIN_DIR "/MIBS_BASE")});
        kv::MibLibrary::Reload();
    });
    w.activateWindow();
    QTRY_VERIFY(w.shownOids().contains(kvtest));
    auto* view = w.findChild<QTreeView*>(QStringLiteral("TV_Mib"));
    QCOMPARE(view->currentIndex().data().toString(), QStringLiteral("kvtOutletName"));
    QVERIFY(w.selectOid(kvtest));
    QCoreApplication::processEvents();
    QCOMPARE(w.findChild<QLabel*>(QStringLiteral("L_Syntax"))->text(), QStringLiteral("Integer32 (0..200)"));
}

void TestMibTree::captionsFit_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << QString();
    QTest::newRow("German") << QStringLiteral("Deutsch.lng");
}

// Every caption whole, as the window opens and at its narrowest, an object
// with a long definition chosen.
void TestMibTree::captionsFit()
{
    QFETCH(QString, language);
    QTemporaryDir dir;
    kv::AppState state(dir.path());
    if (!language.isEmpty()) {
        QString version;
        kv::ReadLanguageFile(QStringLiteral(KV_SOURCE_DIR "/languages/") + language, state.Lang, version);
    }
    TFMibTree w(state, nullptr);
    w.refreshTree();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.selectOid(kPower));
    QTest::qWait(50);
    const QString out = qEnvironmentVariable("KV_GRAB_DIR");
    const auto captionsWhole = [&w] {
        for (const QPushButton* b : w.findChildren<QPushButton*>())
            QVERIFY2(b->sizeHint().width() <= b->width(), qPrintable(b->text()));
        for (const QLabel* l : w.findChildren<QLabel*>()) {
            if (l->wordWrap() || l->text().isEmpty())
                continue;
            QVERIFY2(l->sizeHint().width() <= l->width(), qPrintable(l->text()));
            QVERIFY2(l->mapTo(&w, QPoint(l->sizeHint().width(), 0)).x() <= w.width(), qPrintable(l->text()));
        }
    };
    captionsWhole();
    if (!out.isEmpty())
        w.grab().save(out + QStringLiteral("/mib_tree_") + QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".png"));
    w.resize(w.minimumSize());
    QTest::qWait(50);
    captionsWhole();
    if (!out.isEmpty())
        w.grab().save(out + QStringLiteral("/mib_tree_narrow_") + QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".png"));
}

QTEST_MAIN(TestMibTree)
#include "test_mib_tree.moc"
