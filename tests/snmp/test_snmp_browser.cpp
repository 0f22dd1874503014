#include <QtTest>

#include "FakeSnmp.h"
#include "TestFiles.h"
#include "common/UServices.h"
#include "requests/SnmpRequests.h"
#include "requests/SnmpTableModel.h"
#include "requests/USNMPManagerAccess.h"
#include "snmp/SnmpWalk.h"
#include "snmp/USnmpBrowser.h"
#include "snmp/USnmpTools.h"
#include "state/AppState.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QUndoStack>

namespace {

// An agent of a few objects, with names for some of them; no traffic.
class FakeAgent : public kvtest::BlockingFake {
public:
    QStringList oids{QStringLiteral("1.3.6.1.2.1.1.0"), QStringLiteral("1.3.6.1.2.1.2.0"),
                     QStringLiteral("1.3.6.1.2.1.3.1"), QStringLiteral("1.3.6.1.2.1.3.2"),
                     QStringLiteral("1.3.6.1.4.1.1.0")};
    QStringList asked; // agent and community of each step
    kv::SnmpNextStep next(const kv::SnmpTarget& target, const QString& from, int count) override
    {
        asked << target.agent + QLatin1Char('/') + target.community + QLatin1Char('/') + QString::number(target.version);
        kv::SnmpNextStep step;
        step.status = kv::SnmpNextStep::EndOfView;
        for (const QString& o : oids) {
            if (step.objects.size() < count && kv::OidBefore(from, o)) {
                kv::SnmpObject object;
                object.oid = o;
                object.value.status = kv::SnmpAnswer::Value;
                object.value.type = QStringLiteral("INTEGER");
                object.value.value = QString::number(step.objects.size() + 40);
                step.objects << object;
                step.status = kv::SnmpNextStep::Objects;
            }
        }
        return step;
    }
    QString objectName(const QString& oid) override
    {
        if (oid == QLatin1String("1.3.6.1.2.1.2.0"))
            return QStringLiteral("KV-TEST-MIB::kvOffset.0");
        if (oid == QLatin1String("1.3.6.1.2.1.1.0"))
            return QStringLiteral("KV-TEST-MIB::kvGreeting.0");
        return QString();
    }
};

kv::SnmpRequest row(const QString& agent, const QString& version)
{
    kv::SnmpRequest r = kv::SnmpRequest::ResetRow();
    r.IP_Address = agent;
    r.Version = version;
    r.Community_String = QStringLiteral("Marble");
    r.OID = QStringLiteral("1.3.6.1.2.1.9.0");
    r.Type = QStringLiteral("Int");
    r.Mode = QStringLiteral("Get");
    r.Time = QStringLiteral("1000");
    r.Position = QStringLiteral("0");
    r.Number_Bytes = QStringLiteral("4");
    r.ConvertFrom = QStringLiteral("None");
    return r;
}

QStringList listed(TFSnmpBrowser& b)
{
    auto* view = b.findChild<QTableView*>(QStringLiteral("TV_Objects"));
    QStringList out;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        out << view->model()->index(r, 0).data().toString();
    return out;
}

bool walkDone(TFSnmpBrowser& b)
{
    return QTest::qWaitFor([&] { return !b.walk().running(); }, 5000);
}

// The browser alone over the fake agent, shown.
struct BrowserFixture {
    QTemporaryDir dir;
    kv::AppState state{dir.path()};
    FakeAgent agent;
    TFSnmpBrowser b;

    BrowserFixture(const QString& address, const QString& version, int number)
        : b(state, agent, row(address, version), number)
    {
        b.show();
    }
};

} // namespace

class TestSnmpBrowser : public QObject {
    Q_OBJECT
private slots:
    void chooseFromTheDialog();
    void startOid_data();
    void startOid();
    void rowsThatCannotBeWalked_data();
    void rowsThatCannotBeWalked();
    void enterTakesTheObject();
};

// Ctrl+B on a row of the request dialog, a filter typed, an object double
// clicked: its OID is in the row's OID cell, as one step of undo.
void TestSnmpBrowser::chooseFromTheDialog()
{
    QTemporaryDir dir;
    kv::ScriptedMessageService messages;
    kv::UiServices services;
    services.messages = &messages;
    kv::AppState state(dir.path());
    QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/P/bin"));
    state.OpenProject(QStringLiteral("P"));
    FakeAgent agent;
    kv::SnmpWindows tools(state, agent);
    services.snmp = &tools;
    QVector<kv::SnmpRequest> table(kv::SnmpMaxRows, kv::SnmpRequest::ResetRow());
    table[0] = row(QStringLiteral("10.0.0.1"), QStringLiteral("2"));
    table[1] = row(QStringLiteral("10.0.0.002"), QStringLiteral("1"));
    writeFile(state.SnmpManagerPath, kv::SnmpRequestsXml(table));

    TFSNMPManagerAccess dialog(state, services);
    QVERIFY(dialog.FormShow());
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* grid = dialog.findChild<QTableView*>(QStringLiteral("ACG_SNMP"));
    grid->setFocus();
    grid->setCurrentIndex(dialog.tableModel()->index(1, kv::ColMnemonic));

    QString seenAgent;
    int shownAfterFilter = -1;
    QString drove;
    QTimer::singleShot(0, [&] {
        auto* b = qobject_cast<TFSnmpBrowser*>(QApplication::activeModalWidget());
        if (!b) {
            drove = QStringLiteral("no browser: ") + (QApplication::activeModalWidget() ? QApplication::activeModalWidget()->objectName() : QStringLiteral("none"));
            return;
        }
        // Whatever happens here, the browser does not stay open.
        auto close = qScopeGuard([b] {
            if (b->isVisible())
                b->reject();
        });
        if (!QTest::qWaitForWindowActive(b) || !walkDone(*b)) {
            drove = QStringLiteral("the walk did not end");
            return;
        }
        seenAgent = b->findChild<QLabel*>(QStringLiteral("L_Agent"))->text();
        // The default start: everything below 1.3.6.1.2.1, nothing after it.
        if (listed(*b).size() != 4) {
            drove = QStringLiteral("listed: ") + listed(*b).join(QLatin1Char(','));
            return;
        }
        // Typed as a user types: the filter box has the focus.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("kvoff"));
        QTest::qWait(20);
        shownAfterFilter = b->shownCount();
        auto* view = b->findChild<QTableView*>(QStringLiteral("TV_Objects"));
        const QRect cell = view->visualRect(view->model()->index(0, 1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        drove = QStringLiteral("done");
    });
    QTest::keySequence(grid, QKeySequence(Qt::CTRL | Qt::Key_B));
    QTest::qWait(20);
    QCOMPARE(drove, QStringLiteral("done"));
    QCOMPARE(seenAgent, QStringLiteral("Row 2: agent 10.0.0.002, SNMPv1, community Marble"));
    // Asked as the device asks it: the row's address, community and version.
    QCOMPARE(agent.asked.value(0), QStringLiteral("10.0.0.002/Marble/1"));
    QCOMPARE(shownAfterFilter, 1);
    QCOMPARE(dialog.tableModel()->rows().at(1).OID, QStringLiteral("1.3.6.1.2.1.2.0"));
    QCOMPARE(dialog.undoStack()->count(), 1);
    QCOMPARE(grid->currentIndex(), dialog.tableModel()->index(1, kv::ColOid));

    // The offscreen platform does not give the dialog back its activation
    // when the browser closes, as a desktop does.
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTRY_VERIFY(grid->hasFocus());
    QTest::keySequence(grid, QKeySequence(Qt::CTRL | Qt::Key_Z));
    QTest::qWait(20);
    QCOMPARE(dialog.tableModel()->rows().at(1).OID, QStringLiteral("1.3.6.1.2.1.9.0"));
    QTest::keySequence(grid, QKeySequence(Qt::CTRL | Qt::Key_Y));
    QTest::qWait(20);
    QCOMPARE(dialog.tableModel()->rows().at(1).OID, QStringLiteral("1.3.6.1.2.1.2.0"));

    // Closing the browser without a choice changes nothing.
    QTimer::singleShot(0, [&] {
        if (auto* b = qobject_cast<TFSnmpBrowser*>(QApplication::activeModalWidget()))
            QTest::keyClick(b, Qt::Key_Escape);
    });
    QTest::keySequence(grid, QKeySequence(Qt::CTRL | Qt::Key_B));
    QTest::qWait(20);
    QCOMPARE(dialog.undoStack()->count(), 1);
    QCOMPARE(dialog.tableModel()->rows().at(1).OID, QStringLiteral("1.3.6.1.2.1.2.0"));
}

void TestSnmpBrowser::startOid_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("objects");
    QTest::addColumn<QString>("status");
    QTest::newRow("a subtree") << QStringLiteral("1.3.6.1.2.1.3")
                               << QStringList{QStringLiteral("1.3.6.1.2.1.3.1"), QStringLiteral("1.3.6.1.2.1.3.2")}
                               << QStringLiteral("Walk complete.");
    QTest::newRow("blanks around it") << QStringLiteral(" 1.3.6.1.4 ") << QStringList{QStringLiteral("1.3.6.1.4.1.1.0")}
                                      << QStringLiteral("Walk complete.");
    QTest::newRow("nothing below") << QStringLiteral("1.3.6.1.9") << QStringList{} << QStringLiteral("Walk complete.");
    const QString bad = QStringLiteral("The start OID must be numbers joined by dots, such as 1.3.6.1.2.1.");
    QTest::newRow("a name") << QStringLiteral("system") << QStringList{} << bad;
    QTest::newRow("one number") << QStringLiteral("1") << QStringList{} << bad;
    QTest::newRow("trailing dot") << QStringLiteral("1.3.6.") << QStringList{} << bad;
}

// A start typed over the default and Enter: the list holds that walk alone.
void TestSnmpBrowser::startOid()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, objects);
    QFETCH(QString, status);
    BrowserFixture f(QStringLiteral("127.0.0.1"), QStringLiteral("2"), 1);
    TFSnmpBrowser& b = f.b;
    QVERIFY(QTest::qWaitForWindowExposed(&b));
    QVERIFY(walkDone(b));
    QCOMPARE(listed(b).size(), 4);
    auto* start = b.findChild<QLineEdit*>(QStringLiteral("E_StartOid"));
    start->setFocus();
    start->selectAll();
    QTest::keyClicks(start, typed);
    QTest::keyClick(start, Qt::Key_Return);
    QVERIFY(walkDone(b));
    QTest::qWait(20);
    QCOMPARE(b.findChild<QLabel*>(QStringLiteral("L_Status"))->text(), status);
    if (status.startsWith(QLatin1String("Walk")))
        QCOMPARE(listed(b), objects);
}

void TestSnmpBrowser::rowsThatCannotBeWalked_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("version");
    QTest::newRow("SNMPv3") << QStringLiteral("127.0.0.1") << QStringLiteral("3");
    QTest::newRow("no version") << QStringLiteral("127.0.0.1") << QString();
    QTest::newRow("no address") << QString() << QStringLiteral("2");
    QTest::newRow("three numbers") << QStringLiteral("127.0.1") << QStringLiteral("2");
}

void TestSnmpBrowser::rowsThatCannotBeWalked()
{
    QFETCH(QString, address);
    QFETCH(QString, version);
    BrowserFixture f(address, version, 7);
    TFSnmpBrowser& b = f.b;
    QVERIFY(QTest::qWaitForWindowExposed(&b));
    QTest::qWait(20);
    QVERIFY(f.agent.asked.isEmpty());
    QVERIFY(!b.findChild<QPushButton*>(QStringLiteral("Btn_Walk"))->isEnabled());
    QVERIFY(b.findChild<QLabel*>(QStringLiteral("L_Status"))->text().startsWith(QLatin1String("This row cannot be browsed")));
}

// Enter on an object of the list takes its OID, as a double click does.
void TestSnmpBrowser::enterTakesTheObject()
{
    BrowserFixture f(QStringLiteral("127.0.0.1"), QStringLiteral("2"), 1);
    TFSnmpBrowser& b = f.b;
    QVERIFY(QTest::qWaitForWindowActive(&b));
    QVERIFY(walkDone(b));
    QTest::qWait(20);
    auto* view = b.findChild<QTableView*>(QStringLiteral("TV_Objects"));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Return);
    QTest::qWait(20);
    QVERIFY(!b.isVisible());
    QCOMPARE(b.result(), int(QDialog::Accepted));
    QCOMPARE(view->currentIndex().row(), 2);
    QCOMPARE(b.chosenOid(), QStringLiteral("1.3.6.1.2.1.3.1"));
}

QTEST_MAIN(TestSnmpBrowser)
#include "test_snmp_browser.moc"
