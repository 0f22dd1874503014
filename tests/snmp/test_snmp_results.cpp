#include <QtTest>

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableView>

#include "FakeSnmp.h"
#include "SnmpAnswers.h"
#include "TestFiles.h"
#include "common/UServices.h"
#include "requests/SnmpRequests.h"
#include "requests/SnmpTableModel.h"
#include "requests/USNMPManagerAccess.h"
#include "snmp/SnmpClient.h"
#include "snmp/USnmpTestResults.h"
#include "snmp/USnmpTools.h"
#include "state/AppState.h"

#include <QHash>
#include <QMutex>
#include <QThread>

#include <atomic>

using kv::SnmpAnswer;
using kv::SnmpRequest;

Q_DECLARE_METATYPE(SnmpAnswer)
Q_DECLARE_METATYPE(SnmpRequest)

namespace {

// Answers chosen per OID (no answer for an OID it does not know), after a
// delay chosen per OID; nothing goes on the network.
struct FakeClient : kvtest::BlockingFake {
    QHash<QString, SnmpAnswer> answers;
    QHash<QString, int> delays;
    int delayMs = 0;
    std::atomic<int> calls{0};
    std::atomic<int> out{0};
    QMutex mutex;
    QStringList versions; // "agent/version/community" of each request
    QHash<QString, kv::SnmpObjectBounds> bounds; // what a loaded module says, by OID

    kv::SnmpObjectBounds objectBounds(const QString& oid) override { return bounds.value(oid); }

    SnmpAnswer get(const kv::SnmpTarget& target, const QString& oid) override
    {
        ++calls;
        ++out;
        {
            QMutexLocker lock(&mutex);
            versions << QStringLiteral("%1/%2/%3").arg(target.agent).arg(target.version).arg(target.community);
        }
        QThread::msleep(ulong(delays.value(oid, delayMs)));
        SnmpAnswer a = answers.value(oid);
        a.ms = delays.value(oid, delayMs);
        --out;
        return a;
    }
};

using kvtest::integer;

SnmpAnswer string(const QByteArray& bytes, const QString& shown = QString())
{
    SnmpAnswer a;
    a.status = SnmpAnswer::Value;
    a.type = QStringLiteral("STRING");
    a.octets = int(bytes.size());
    // As the library prints it: quoted text, or hex pairs for bytes that are not text.
    a.hex = !shown.isNull();
    a.value = a.hex ? shown : QLatin1Char('"') + QString::fromUtf8(bytes) + QLatin1Char('"');
    return a;
}

SnmpAnswer agentError(const char* text)
{
    SnmpAnswer a;
    a.status = SnmpAnswer::AgentError;
    a.error = QString::fromLatin1(text);
    return a;
}

SnmpAnswer noSuchObject()
{
    SnmpAnswer a;
    a.status = SnmpAnswer::NoSuchObject;
    return a;
}

SnmpRequest row(const QString& oid, const char* type = "Int", const char* bytes = "4", const char* mode = "Get",
                const char* version = "2", const char* convert = "None")
{
    return kvtest::requestRow(QStringLiteral("127.0.0.9"), oid, type, bytes, mode, version, convert);
}

// A results window without the request dialog, on the default texts.
struct ResultsFixture {
    QTemporaryDir dir;
    kv::AppState state{dir.path()};
    FakeClient client;
    QPointer<TFSnmpTestResults> window;

    ResultsFixture()
    {
        window = new TFSnmpTestResults(state, client);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    ~ResultsFixture()
    {
        delete window.data();
    }
    QTableView* table() const { return window->findChild<QTableView*>(QStringLiteral("ACG_Results")); }
    QString label(const char* name) const { return window->findChild<QLabel*>(QLatin1String(name))->text(); }
    QPushButton* button() const { return window->findChild<QPushButton*>(QStringLiteral("Btn_Cancel")); }
    QString cell(int line, int column) const
    {
        return table()->model()->index(line, column).data().toString();
    }
    QStringList column(int column) const
    {
        QStringList c;
        for (int i = 0; i < table()->model()->rowCount(); ++i)
            c << cell(i, column);
        return c;
    }
    void run(const QVector<SnmpRequest>& rows, const QVector<int>& numbers)
    {
        window->show();
        window->start(rows, numbers);
        QTRY_VERIFY_WITH_TIMEOUT(!window->running(), 5000);
        QTest::qWait(20); // anything queued behind the end
    }
};

enum { ColRow, ColAgent, ColOid, ColName, ColValue, ColMs, ColVerdict };

// An object a loaded module defines (FakeClient::bounds).
const QString kLevel = QStringLiteral("1.3.6.1.4.1.64999.1.1.0");

const QString kWaiting = QStringLiteral("Waiting for an answer...");
const QString kNotTested = QStringLiteral("Not tested: the test was cancelled.");

} // namespace

class TestSnmpResults : public QObject {
    Q_OBJECT
private slots:
    void verdicts_data();
    void verdicts();
    void linesInRowOrder();
    void cancelInTheMiddle();
    void closeWhileRequestsAreOut();
    void fromTheDialog_data();
    void fromTheDialog();
    void afterTheTableChanged_data();
    void afterTheTableChanged();
};

void TestSnmpResults::verdicts_data()
{
    QTest::addColumn<SnmpRequest>("request");
    QTest::addColumn<SnmpAnswer>("answer");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<bool>("sent");

    const QString oid = QStringLiteral("1.3.6.1.2.1.1.7.0");
    QTest::newRow("fits") << row(oid, "Int", "1") << integer("INTEGER", 72) << QStringLiteral("INTEGER 72")
                          << QStringLiteral("Answered, and the value fits the row.") << true;
    QTest::newRow("fits today only")
        << row(oid, "Int", "1") << integer("Counter32", 72) << QStringLiteral("Counter32 72")
        << QStringLiteral("Fits today only: 72 fits in 1 byte today; a Counter32 needs 4.") << true;
    QTest::newRow("fits today only, by its module")
        << row(kLevel, "Int", "2") << integer("INTEGER", 70) << QStringLiteral("INTEGER 70")
        << QStringLiteral("Fits today only: 70 fits in 2 bytes today; KV-TEST-MIB::kvLevel with SYNTAX Integer32 "
                          "(0..100000) needs 4.")
        << true;
    QTest::newRow("integer needs two bytes")
        << row(oid, "Int", "1") << integer("INTEGER", -129) << QStringLiteral("INTEGER -129")
        << QStringLiteral("Too long: the value needs 2 bytes, but Num Bytes allows 1; it would be cut.") << true;
    QTest::newRow("string longer than the row")
        << row(oid, "String", "4") << string("abcdef") << QStringLiteral("STRING \"abcdef\"")
        << QStringLiteral("Too long: the value needs 6 bytes, but Num Bytes allows 4; it would be cut.") << true;
    QTest::newRow("conversion: bytes not compared")
        << row(oid, "Int", "1", "Get", "2", "Float * 10") << integer("Gauge32", 70000) << QStringLiteral("Gauge32 70000")
        << QStringLiteral("Answered, and the value fits the row.") << true;
    QTest::newRow("Int gets a string")
        << row(oid, "Int", "4") << string("abc") << QStringLiteral("STRING \"abc\"")
        << QStringLiteral("Wrong type: the agent sends STRING, but Type Int needs an integer (INTEGER, Counter32, "
                          "Gauge32, TimeTicks, Unsigned32 or Counter64).")
        << true;
    QTest::newRow("String gets a counter")
        << row(oid, "String", "4", "Set") << integer("Counter32", 5) << QStringLiteral("Counter32 5")
        << QStringLiteral("Wrong type: the agent sends Counter32, but Type String needs an OCTET STRING.") << true;
    QTest::newRow("bytes that are not text")
        << row(oid, "String", "4") << string(QByteArray("\x01\x0A", 2), QStringLiteral("01 0A"))
        << QStringLiteral("Hex-STRING 01 0A") << QStringLiteral("Answered, and the value fits the row.") << true;
    QTest::newRow("no such object") << row(oid, "Int", "4", "Get", "1") << noSuchObject() << QString()
                                    << QStringLiteral("The agent has no such object or instance.") << true;
    QTest::newRow("no answer")
        << row(oid) << SnmpAnswer() << QString()
        << QStringLiteral("No answer within 1000 ms, nor to the retry: a wrong address, a wrong community or an agent "
                          "that is down. SNMPv1/v2c cannot tell these apart.")
        << true;
    QTest::newRow("agent error")
        << row(oid) << agentError("(genError) A general failure occured") << QString()
        << QStringLiteral("The agent answers with an error: (genError) A general failure occured") << true;
    QTest::newRow("trap") << row(oid, "Int", "4", "Trap") << integer("INTEGER", 1) << QString()
                          << QStringLiteral("Not testable: a trap row sends to the agent, it reads nothing.") << false;
    QTest::newRow("version 3") << row(oid, "Int", "4", "Get", "3") << integer("INTEGER", 1) << QString()
                               << QStringLiteral("Not testable: the table holds no SNMPv3 credentials.") << false;
    QTest::newRow("bad row") << row(QStringLiteral("1.3.6..1")) << integer("INTEGER", 1) << QString()
                             << QStringLiteral("Error row 7!! OID string cannot contains two or more consecutive \".\"") << false;
}

void TestSnmpResults::verdicts()
{
    QFETCH(SnmpRequest, request);
    QFETCH(SnmpAnswer, answer);
    QFETCH(QString, value);
    QFETCH(QString, verdict);
    QFETCH(bool, sent);

    ResultsFixture f;
    f.client.answers.insert(request.OID, answer);
    kv::SnmpObjectBounds level;
    level.known = true;
    level.name = QStringLiteral("KV-TEST-MIB::kvLevel");
    level.syntax = QStringLiteral("Integer32 (0..100000)");
    level.intBytes = 4;
    f.client.bounds.insert(kLevel, level);
    f.client.delayMs = 3;
    f.run({request}, {7});
    QCOMPARE(f.client.calls.load(), sent ? 1 : 0);
    QCOMPARE(f.table()->model()->rowCount(), 1);
    QCOMPARE(f.cell(0, ColRow), QStringLiteral("7"));
    QCOMPARE(f.cell(0, ColAgent), QStringLiteral("127.0.0.9"));
    QCOMPARE(f.cell(0, ColOid), request.OID);
    // The name where a loaded module defines the object.
    QCOMPARE(f.cell(0, ColName), request.OID == kLevel ? level.name : QString());
    QCOMPARE(f.cell(0, ColValue), value);
    QCOMPARE(f.cell(0, ColMs), sent ? QStringLiteral("3") : QString());
    QCOMPARE(f.cell(0, ColVerdict), verdict);
    // The whole sentence shows: its line is as high as the wrapped text.
    const QModelIndex v = f.table()->model()->index(0, ColVerdict);
    QVERIFY(f.table()->rowHeight(0) >= f.table()->sizeHintForIndex(v).height());
    QCOMPARE(f.label("L_Count"), QStringLiteral("1 of 1 rows tested"));
    // A row that fits today only counts among those that do not fit.
    if (verdict.startsWith(QLatin1String("Fits today only")))
        QCOMPARE(f.label("L_Summary"), QStringLiteral("0 fit, 1 do not, 0 cannot be tested."));
    QCOMPARE(f.window->findChild<QLabel*>(QStringLiteral("L_SetNote"))->isVisible(),
             request.Mode == QLatin1String("Set"));
}

void TestSnmpResults::linesInRowOrder()
{
    ResultsFixture f;
    // Row 3 answers last, row 20 first: the lines stay in row order.
    const QString slow = QStringLiteral("1.3.6.1.2.1.1.3.0");
    const QString fast = QStringLiteral("1.3.6.1.2.1.1.7.0");
    f.client.answers.insert(slow, integer("Timeticks", 100));
    f.client.answers.insert(fast, integer("INTEGER", 72));
    f.client.delays.insert(slow, 150);
    f.client.delays.insert(fast, 1);
    QVector<SnmpRequest> rows{row(slow), row(fast, "Int", "4", "Set", "1"), row(fast, "Int", "4", "Trap"),
                              row(QStringLiteral("1.3.6.1.2.1.1.99.0")), row(fast, "String", "4")};
    rows[1].Community_String = QStringLiteral("Marble");
    const QStringList order{QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("9"), QStringLiteral("11"),
                            QStringLiteral("20")};
    // Every row is listed at once, waiting; the answers fill in their lines.
    f.window->show();
    f.window->start(rows, {3, 20, 5, 9, 11});
    QCOMPARE(f.column(ColRow), order);
    QCOMPARE(f.column(ColVerdict), QStringList(5, kWaiting));
    QCOMPARE(f.cell(0, ColAgent), QStringLiteral("127.0.0.9"));
    QCOMPARE(f.cell(0, ColOid), slow);
    QCOMPARE(f.label("L_Count"), QStringLiteral("0 of 5 rows tested"));
    QTRY_COMPARE(f.label("L_Count"), QStringLiteral("4 of 5 rows tested"));
    QCOMPARE(f.cell(0, ColVerdict), kWaiting); // row 3, the slow one
    QCOMPARE(f.cell(1, ColVerdict), QStringLiteral("Not testable: a trap row sends to the agent, it reads nothing."));
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->running(), 5000);
    QTest::qWait(20);
    QCOMPARE(f.column(ColRow), order);
    QVERIFY(!f.column(ColVerdict).contains(kWaiting));
    // Each request with its row's version and community.
    f.client.versions.sort();
    QCOMPARE(f.client.versions, (QStringList{QStringLiteral("127.0.0.9/1/Marble"), QStringLiteral("127.0.0.9/2/public"),
                                             QStringLiteral("127.0.0.9/2/public"), QStringLiteral("127.0.0.9/2/public")}));
    QCOMPARE(f.label("L_Count"), QStringLiteral("5 of 5 rows tested"));
    QCOMPARE(f.label("L_Summary"), QStringLiteral("2 fit, 2 do not, 1 cannot be tested."));
    QVERIFY(f.window->findChild<QLabel*>(QStringLiteral("L_SetNote"))->isVisible());
    QCOMPARE(f.label("L_SetNote"), QStringLiteral("Set rows are only read from their agent here, never written."));
    QCOMPARE(f.button()->text(), QStringLiteral("Close"));

    // A second test in the same window starts afresh.
    f.run({row(fast)}, {1});
    QCOMPARE(f.column(ColRow), QStringList{QStringLiteral("1")});
    QVERIFY(!f.window->findChild<QLabel*>(QStringLiteral("L_SetNote"))->isVisible());
    QCOMPARE(f.label("L_Summary"), QStringLiteral("1 fit, 0 do not, 0 cannot be tested."));
}

void TestSnmpResults::cancelInTheMiddle()
{
    ResultsFixture f;
    f.client.delayMs = 40;
    QVector<SnmpRequest> rows;
    QVector<int> numbers;
    for (int i = 1; i <= 300; ++i) {
        rows << row(QStringLiteral("1.3.6.1.4.1.9.%1").arg(i));
        numbers << i;
        f.client.answers.insert(rows.last().OID, integer("INTEGER", i));
    }
    f.window->show();
    f.window->start(rows, numbers);
    QVERIFY(f.window->running());
    QCOMPARE(f.button()->text(), QStringLiteral("Cancel"));
    const auto answered = [&f] { return int(f.column(ColVerdict).filter(QStringLiteral("fits")).size()); };
    QTRY_VERIFY(answered() >= 32);
    QTest::mouseClick(f.button(), Qt::LeftButton);
    const int shown = answered();
    QVERIFY(!f.window->running());
    QTRY_COMPARE(f.client.out.load(), 0); // those already out end, and are dropped
    QTest::qWait(100);
    QCOMPARE(answered(), shown);
    QVERIFY(shown < 300);
    // The lines of rows not tested stay, and say why.
    QCOMPARE(f.table()->model()->rowCount(), 300);
    QCOMPARE(f.column(ColVerdict).count(kNotTested), 300 - shown);
    QCOMPARE(f.cell(299, ColVerdict), kNotTested);
    QVERIFY(f.client.calls.load() < 300);
    QCOMPARE(f.label("L_Count"), QStringLiteral("%1 of 300 rows tested").arg(shown));
    QCOMPARE(f.label("L_Summary"), QStringLiteral("Cancelled: %1 rows were not tested. %2 fit, 0 do not, 0 cannot be tested.")
                                       .arg(300 - shown)
                                       .arg(shown));
    // The window stays: its lines can be looked at, then Close closes it.
    QVERIFY(f.window->isVisible());
    QCOMPARE(f.button()->text(), QStringLiteral("Close"));
    f.table()->setFocus();
    QTest::keyClick(f.table(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(f.table()->currentIndex().row(), 299);
    QTest::mouseClick(f.button(), Qt::LeftButton);
    QTRY_VERIFY(f.window.isNull());
}

void TestSnmpResults::closeWhileRequestsAreOut()
{
    ResultsFixture f;
    f.client.delayMs = 600; // agents that take their time
    QVector<SnmpRequest> rows;
    QVector<int> numbers;
    for (int i = 1; i <= 40; ++i) {
        rows << row(QStringLiteral("1.3.6.1.4.1.9.%1").arg(i));
        numbers << i;
    }
    f.window->show();
    f.window->start(rows, numbers);
    QTRY_COMPARE(f.client.out.load(), 4); // one agent, asked gently
    // Esc closes the window at once; the requests out end on their own.
    QElapsedTimer t;
    t.start();
    QTest::keyClick(f.table(), Qt::Key_Escape);
    QTRY_VERIFY(f.window.isNull());
    QVERIFY2(t.elapsed() < 400, qPrintable(QString::number(t.elapsed())));
    QTRY_COMPARE_WITH_TIMEOUT(f.client.out.load(), 0, 2000);
    QTest::qWait(100); // the run is deleted once idle, before the client goes
    QCOMPARE(f.client.calls.load(), 4);
}

namespace {

// The request dialog on a temporary configuration with the test tools over
// the fake client.
struct DialogFixture {
    QTemporaryDir dir;
    kv::ScriptedMessageService messages;
    kv::ScriptedFileDialogs files;
    FakeClient client;
    kv::AppState state{dir.path()};
    kv::SnmpWindows windows{state, client};
    kv::UiServices services;
    std::unique_ptr<TFSNMPManagerAccess> dialog;
    QTableView* grid = nullptr;

    DialogFixture()
    {
        services.messages = &messages;
        services.files = &files;
        services.snmp = &windows;
        QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/P/bin"));
        state.OpenProject(QStringLiteral("P"));
        dialog = std::make_unique<TFSNMPManagerAccess>(state, services);
        grid = dialog->findChild<QTableView*>(QStringLiteral("ACG_SNMP"));
    }
    // Rows 1..5, row 4 not enabled.
    bool show()
    {
        QVector<SnmpRequest> t(kv::SnmpMaxRows, SnmpRequest::ResetRow());
        for (int i = 1; i <= 5; ++i) {
            t[i - 1] = row(QStringLiteral("1.3.6.1.2.1.1.%1.0").arg(i));
            client.answers.insert(t[i - 1].OID, integer("INTEGER", i));
        }
        t[3].Enable = QStringLiteral("N");
        writeFile(state.SnmpManagerPath, kv::SnmpRequestsXml(t));
        if (!dialog->FormShow())
            return false;
        dialog->show();
        dialog->activateWindow();
        return QTest::qWaitForWindowActive(dialog.get());
    }
    QList<TFSnmpTestResults*> shownResults() const
    {
        QList<TFSnmpTestResults*> shown;
        for (TFSnmpTestResults* w : dialog->findChildren<TFSnmpTestResults*>()) {
            if (w->isVisible())
                shown << w;
        }
        return shown;
    }
};

} // namespace

void TestSnmpResults::fromTheDialog_data()
{
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<int>("lastRow");
    QTest::addColumn<int>("lastColumn");
    QTest::addColumn<QStringList>("tested");
    QTest::newRow("rows 2 and 3 selected") << 2 << 3 << int(kv::SnmpFieldCount)
                                           << QStringList{QStringLiteral("2"), QStringLiteral("3")};
    QTest::newRow("two cells of row 4") << 4 << 4 << int(kv::ColVersion) << QStringList{QStringLiteral("4")};
    QTest::newRow("one cell: every enabled row")
        << 2 << 2 << int(kv::ColEnable)
        << QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("5")};
}

void TestSnmpResults::fromTheDialog()
{
    QFETCH(int, firstRow);
    QFETCH(int, lastRow);
    QFETCH(int, lastColumn);
    QFETCH(QStringList, tested);

    DialogFixture f;
    QVERIFY(f.show());
    f.dialog->showCells(firstRow, kv::ColEnable, lastRow, lastColumn);
    f.grid->setFocus();
    QTest::keyClick(f.grid, Qt::Key_T, Qt::ControlModifier);
    QTRY_COMPARE(f.shownResults().size(), 1);
    TFSnmpTestResults* w = f.shownResults().constFirst();
    QTRY_VERIFY(!w->running());
    QTest::qWait(20);
    auto* table = w->findChild<QTableView*>(QStringLiteral("ACG_Results"));
    QStringList rows;
    for (int i = 0; i < table->model()->rowCount(); ++i)
        rows << table->model()->index(i, ColRow).data().toString();
    QCOMPARE(rows, tested);

    // Ctrl+T again in the grid: the same window, tested afresh, in front.
    f.dialog->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), f.dialog.get());
    f.grid->setFocus();
    QTest::keyClick(f.grid, Qt::Key_T, Qt::ControlModifier);
    QTest::qWait(50);
    QCOMPARE(f.shownResults(), QList<TFSnmpTestResults*>{w});
    QTRY_VERIFY(!w->running());
    QCOMPARE(f.client.calls.load(), 2 * tested.size());

    // A double click on the last line selects its row in the grid.
    const QRect cell = table->visualRect(table->model()->index(table->model()->rowCount() - 1, ColVerdict));
    // A double click is a click and a second press soon after.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::qWait(20);
    const int last = tested.constLast().toInt();
    QCOMPARE(f.grid->currentIndex().row(), last - 1);
    const QModelIndexList selected = f.grid->selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), int(kv::SnmpFieldCount));
    for (const QModelIndex& i : selected)
        QCOMPARE(i.row(), last - 1);
    // Enter on the first line, from the keyboard.
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(table, Qt::Key_Return);
    QTest::qWait(20);
    QCOMPARE(f.grid->currentIndex().row(), tested.constFirst().toInt() - 1);

    // Closing the dialog closes its results.
    QPointer<TFSnmpTestResults> results(w);
    f.dialog->reject();
    QTRY_VERIFY(results.isNull());
}

void TestSnmpResults::afterTheTableChanged_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("stale"); // the whole window, else row 2's line alone
    QTest::newRow("row inserted") << QStringLiteral("insert") << true;
    QTest::newRow("row deleted, then undone") << QStringLiteral("delete+undo") << true;
    QTest::newRow("row pasted") << QStringLiteral("paste row") << true;
    QTest::newRow("cell typed") << QStringLiteral("type") << false;
}

// The results window stays open while the table is edited: a result never
// shows a row that is not the one tested.
void TestSnmpResults::afterTheTableChanged()
{
    QFETCH(QString, change);
    QFETCH(bool, stale);

    DialogFixture f;
    QVERIFY(f.show());
    f.dialog->showCells(1, kv::ColEnable, 3, kv::SnmpFieldCount);
    f.grid->setFocus();
    QTest::keyClick(f.grid, Qt::Key_T, Qt::ControlModifier);
    QTRY_COMPARE(f.shownResults().size(), 1);
    TFSnmpTestResults* w = f.shownResults().constFirst();
    QTRY_VERIFY(!w->running());
    auto* table = w->findChild<QTableView*>(QStringLiteral("ACG_Results"));
    auto* note = w->findChild<QLabel*>(QStringLiteral("L_Stale"));
    QVERIFY(!note->isVisible());

    f.dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
    const auto clickButton = [&f](const char* name) {
        QTest::mouseClick(f.dialog->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
        QTest::qWait(20);
    };
    f.dialog->showCells(2, kv::ColMnemonic, 2, kv::ColMnemonic);
    if (change == QLatin1String("insert")) {
        clickButton("Btn_InsRow");
    } else if (change == QLatin1String("delete+undo")) {
        f.messages.answers = {true};
        clickButton("Btn_DelRow");
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    } else if (change == QLatin1String("paste row")) {
        f.dialog->showCells(1, kv::ColMnemonic, 1, kv::ColMnemonic);
        clickButton("Btn_CopyRow");
        f.dialog->showCells(2, kv::ColMnemonic, 2, kv::ColMnemonic);
        f.messages.answers = {true};
        clickButton("Btn_PasteRow");
    } else {
        f.grid->setFocus();
        QTest::keyClick(f.grid, Qt::Key_X);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QTest::qWait(20);
    QCOMPARE(f.dialog->tableModel()->rows().at(0).OID, QStringLiteral("1.3.6.1.2.1.1.1.0")); // changed below row 1

    // Enter on the line of row 2, with the grid elsewhere.
    f.dialog->showCells(5, kv::ColOid, 5, kv::ColOid);
    table->setFocus();
    table->setCurrentIndex(table->model()->index(1, ColRow));
    QCOMPARE(table->model()->index(1, ColRow).data().toString(), QStringLiteral("2"));
    QTest::keyClick(table, Qt::Key_Return);
    QTest::qWait(20);
    const QColor grey(125, 125, 125);
    if (stale) {
        QVERIFY(w->rowsStale());
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), QStringLiteral("Rows of the table were inserted, deleted, pasted or imported after this "
                                              "test: these results may now belong to other rows. Test again (Ctrl+T) "
                                              "for current results."));
        QCOMPARE(f.grid->currentIndex(), f.dialog->tableModel()->index(4, kv::ColOid)); // no jump
        QCOMPARE(table->model()->index(0, ColVerdict).data(Qt::ForegroundRole).value<QColor>(), grey);
    } else {
        QVERIFY(!note->isVisible());
        QCOMPARE(f.grid->currentIndex().row(), 1); // the row is still row 2
        QCOMPARE(table->model()->index(1, ColVerdict).data(Qt::ForegroundRole).value<QColor>(), grey);
        QVERIFY(table->model()->index(1, ColValue).data(Qt::ToolTipRole).toString().endsWith(
            QStringLiteral("This row was changed after it was tested: the result is for the row as it was. Test again "
                           "(Ctrl+T) for its current result.")));
        QVERIFY(table->model()->index(0, ColVerdict).data(Qt::ForegroundRole).value<QColor>() != grey);
    }

    // A new test is current again.
    f.dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
    f.dialog->showCells(1, kv::ColEnable, 3, kv::SnmpFieldCount);
    f.grid->setFocus();
    QTest::keyClick(f.grid, Qt::Key_T, Qt::ControlModifier);
    QTRY_VERIFY(!w->running());
    QTest::qWait(20);
    QVERIFY(!w->rowsStale());
    QVERIFY(!note->isVisible());
    QVERIFY(table->model()->index(1, ColVerdict).data(Qt::ForegroundRole).value<QColor>() != grey);
}

QTEST_MAIN(TestSnmpResults)
#include "test_snmp_results.moc"
