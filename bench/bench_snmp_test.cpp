#include "Bench.h"
#include "GapMeter.h"

#include "requests/SnmpRequests.h"
#include "snmp/SnmpAgent.h"
#include "snmp/SnmpClient.h"
#include "snmp/USnmpTestResults.h"
#include "state/AppState.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// Get rows over three objects of the agent: an integer, time ticks and a
// text, each in a row that it fits.
QVector<kv::SnmpRequest> getRows(const QString& agent, int count)
{
    struct Object {
        const char* oid;
        const char* type;
        const char* bytes;
    };
    const Object objects[] = {{"1.3.6.1.2.1.1.7.0", "Int", "1"},
                              {"1.3.6.1.2.1.1.3.0", "Int", "4"},
                              {"1.3.6.1.2.1.1.1.0", "String", "64"}};
    QVector<kv::SnmpRequest> rows(count);
    for (int i = 0; i < count; ++i) {
        const Object& o = objects[i % 3];
        kv::SnmpRequest& r = rows[i];
        r.Enable = QStringLiteral("Y");
        r.IP_Address = agent;
        r.Version = i % 2 ? QStringLiteral("1") : QStringLiteral("2");
        r.Community_String = QStringLiteral("public");
        r.OID = QString::fromLatin1(o.oid);
        r.Type = QString::fromLatin1(o.type);
        r.Mode = QStringLiteral("Get");
        r.On_Change = QStringLiteral("N");
        r.On_Command = QStringLiteral("N");
        r.On_Timer = QStringLiteral("Y");
        r.Time = QStringLiteral("1000");
        r.Position = QString::number(i * 4);
        r.Number_Bytes = QString::fromLatin1(o.bytes);
        r.ConvertFrom = QStringLiteral("None");
        r.Cancel = QStringLiteral("N");
    }
    return rows;
}

// Rows spread over agents: row i goes to agents[i % agents.size()].
QVector<kv::SnmpRequest> rowsOn(const QStringList& agents, int count)
{
    QVector<kv::SnmpRequest> rows = getRows(agents.first(), count);
    for (int i = 0; i < count; ++i)
        rows[i].IP_Address = agents[i % agents.size()];
    return rows;
}

// Loopback addresses nobody answers on (no agent is started there).
QStringList silentAgents(int count, int third)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << QStringLiteral("127.0.%1.%2").arg(third + i / 250).arg(1 + i % 250);
    return out;
}

struct WindowRun {
    double totalMs = 0;
    double longestGapMs = 0;
    QStringList verdicts; // the verdict column, in row order
};

// One test in a shown results window, until every result is shown; with
// cancelAfterMs, Cancel is clicked then and *cancelMs receives the time
// until the window says it has stopped.
WindowRun runWindow(kv::AppState& state, kv::ISnmpClient& client, const QVector<kv::SnmpRequest>& rows,
                    int cancelAfterMs = -1, double* cancelMs = nullptr)
{
    QVector<int> numbers;
    for (int i = 1; i <= rows.size(); ++i)
        numbers << i;
    TFSnmpTestResults window(state, client);
    window.show();
    QApplication::processEvents();
    GapMeter gaps;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!window.running())
            loop.quit();
    });
    poll.start(1);
    QElapsedTimer clock;
    if (cancelAfterMs >= 0) {
        QTimer::singleShot(cancelAfterMs, &window, [&] {
            clock.start();
            window.Btn_CancelClick();
        });
    }
    gaps.start();
    window.start(rows, numbers);
    loop.exec();
    WindowRun r;
    if (cancelMs)
        *cancelMs = double(clock.nsecsElapsed()) / 1e6;
    r.totalMs = gaps.stop();
    r.longestGapMs = gaps.longestMs();
    const QAbstractItemModel* model = window.findChild<QTableView*>(QStringLiteral("ACG_Results"))->model();
    for (int i = 0; i < model->rowCount(); ++i)
        r.verdicts << model->index(i, 5).data().toString();
    return r;
}

} // namespace

KV_BENCH(benchSnmpTestSilent, "snmp test: 512 rows to 512 silent loopback agents, results window; cancel")
{
    QTemporaryDir dir;
    kv::AppState state(dir.path());
    const std::unique_ptr<kv::ISnmpClient> client = kv::MakeSnmpClient();
    const QVector<kv::SnmpRequest> rows = rowsOn(silentAgents(kv::SnmpMaxRows, 1), kv::SnmpMaxRows);
    std::vector<double> totals, longest, cancels;
    int answered = 0;
    for (int rep = 0; rep < ctx.repetitions(3); ++rep) {
        const WindowRun r = runWindow(state, *client, rows);
        totals.push_back(r.totalMs);
        longest.push_back(r.longestGapMs);
        answered += int(kv::SnmpMaxRows - r.verdicts.filter(QStringLiteral("No answer within")).size());
        double cancelMs = 0;
        const WindowRun c = runWindow(state, *client, rows, 300, &cancelMs);
        cancels.push_back(cancelMs);
        longest.push_back(c.longestGapMs);
    }
    ctx.report(QStringLiteral("512 rows to 512 silent agents, total (median)"), BenchContext::median(totals), QStringLiteral("ms"));
    ctx.report(QStringLiteral("512 silent agents, longest gap of a 10 ms timer (worst)"),
               *std::max_element(longest.begin(), longest.end()), QStringLiteral("ms"));
    ctx.report(QStringLiteral("cancel 300 ms into it, until the window has stopped (worst)"),
               *std::max_element(cancels.begin(), cancels.end()), QStringLiteral("ms"));
    ctx.report(QStringLiteral("rows that did not say no-answer"), answered, QStringLiteral("x"));
}

KV_BENCH(benchSnmpTestMixed, "snmp test: 512 rows on 16 loopback agents of which 4 are silent, results window")
{
    // Twelve agents that answer, four addresses nobody answers on.
    std::vector<std::unique_ptr<kvtest::SnmpAgent>> live;
    QStringList agents;
    for (int i = 0; i < 12; ++i) {
        live.push_back(std::make_unique<kvtest::SnmpAgent>(QStringLiteral("127.0.0.%1").arg(72 + i)));
        if (!live.back()->skip.isEmpty()) {
            std::printf("snmp test, 16 agents: skipped, %s\n", live.back()->skip.toUtf8().constData());
            return;
        }
        agents << live.back()->address;
    }
    agents << silentAgents(4, 5);
    QTemporaryDir dir;
    kv::AppState state(dir.path());
    const std::unique_ptr<kv::ISnmpClient> client = kv::MakeSnmpClient();
    const QVector<kv::SnmpRequest> rows = rowsOn(agents, kv::SnmpMaxRows);
    std::vector<double> totals, longest;
    int wrong = 0;
    for (int rep = 0; rep < ctx.repetitions(3); ++rep) {
        const WindowRun r = runWindow(state, *client, rows);
        totals.push_back(r.totalMs);
        longest.push_back(r.longestGapMs);
        wrong = int(r.verdicts.size()) - int(r.verdicts.filter(state.Text(1153)).size()) - 4 * 32;
    }
    ctx.report(QStringLiteral("512 rows on 16 agents, 4 silent, total (median)"), BenchContext::median(totals), QStringLiteral("ms"));
    ctx.report(QStringLiteral("16 agents, longest gap of a 10 ms timer (worst)"), *std::max_element(longest.begin(), longest.end()),
               QStringLiteral("ms"));
    ctx.report(QStringLiteral("rows of live agents that did not answer and fit"), wrong, QStringLiteral("x"));
}

KV_BENCH(benchSnmpTest, "snmp test: 512 Get rows against a loopback agent, results window")
{
    kvtest::SnmpAgent agent(QStringLiteral("127.0.0.71"));
    if (!agent.skip.isEmpty()) {
        std::printf("snmp test: skipped, %s\n", agent.skip.toUtf8().constData());
        return;
    }
    const int count = ctx.quick ? 64 : kv::SnmpMaxRows;
    const QVector<kv::SnmpRequest> rows = getRows(agent.address, count);

    QTemporaryDir dir;
    kv::AppState state(dir.path());
    const std::unique_ptr<kv::ISnmpClient> client = kv::MakeSnmpClient();
    std::vector<double> totals, longest;
    int notFitting = 0;
    for (int rep = 0; rep < ctx.repetitions(5); ++rep) {
        const WindowRun r = runWindow(state, *client, rows);
        totals.push_back(r.totalMs);
        longest.push_back(r.longestGapMs);
        notFitting = count - int(r.verdicts.count(state.Text(1153)));
    }
    const QString n = QString::number(count);
    ctx.report(QStringLiteral("test of %1 rows, total (median)").arg(n), BenchContext::median(totals), QStringLiteral("ms"));
    ctx.report(QStringLiteral("test of %1 rows, longest gap of a 10 ms timer (worst)").arg(n),
               *std::max_element(longest.begin(), longest.end()), QStringLiteral("ms"));
    ctx.report(QStringLiteral("rows that did not answer and fit"), notFitting, QStringLiteral("x"));
}
