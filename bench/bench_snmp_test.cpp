#include "Bench.h"
#include "GapMeter.h"

#include "documents/SnmpRequests.h"
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

} // namespace

KV_BENCH(benchSnmpTest, "snmp test: 512 Get rows against a loopback agent, results window")
{
    kvtest::SnmpAgent agent(QStringLiteral("127.0.0.71"));
    if (!agent.skip.isEmpty()) {
        std::printf("snmp test: skipped, %s\n", agent.skip.toUtf8().constData());
        return;
    }
    const int count = ctx.quick ? 64 : kv::SnmpMaxRows;
    const QVector<kv::SnmpRequest> rows = getRows(agent.address, count);
    QVector<int> numbers;
    for (int i = 1; i <= count; ++i)
        numbers << i;

    QTemporaryDir dir;
    kv::AppState state(dir.path());
    const std::unique_ptr<kv::ISnmpClient> client = kv::MakeSnmpClient();
    std::vector<double> totals, longest;
    int notFitting = 0;
    for (int rep = 0; rep < ctx.repetitions(5); ++rep) {
        TFSnmpTestResults window(state, *client);
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
        gaps.start();
        window.start(rows, numbers);
        loop.exec();
        const double total = gaps.stop();
        totals.push_back(total);
        longest.push_back(gaps.longestMs());

        const auto* table = window.findChild<QTableView*>(QStringLiteral("ACG_Results"));
        const QAbstractItemModel* model = table->model();
        notFitting = count - model->rowCount();
        for (int i = 0; i < model->rowCount(); ++i) {
            if (model->index(i, 5).data().toString() != state.Text(1153))
                ++notFitting;
        }
    }
    const QString n = QString::number(count);
    ctx.report(QStringLiteral("test of %1 rows, total (median)").arg(n), BenchContext::median(totals), QStringLiteral("ms"));
    ctx.report(QStringLiteral("test of %1 rows, longest gap of a 10 ms timer (worst)").arg(n),
               *std::max_element(longest.begin(), longest.end()), QStringLiteral("ms"));
    ctx.report(QStringLiteral("rows that did not answer and fit"), notFitting, QStringLiteral("x"));
}
