#include "Bench.h"
#include "GapMeter.h"

#include "documents/SnmpRequests.h"
#include "snmp/FakeSnmp.h"
#include "snmp/SnmpWalk.h"
#include "snmp/USnmpBrowser.h"
#include "state/AppState.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {

// An agent of `size` objects under 1.3.6.1.2.1 that answers a step in about
// a millisecond, as one on loopback does; names for every object, as the
// browser shows where MIB files know them.
class ManyObjects : public kvtest::BlockingFake {
public:
    explicit ManyObjects(int size)
        : m_size(size)
    {
    }
    kv::SnmpNextStep next(const kv::SnmpTarget&, const QString& from, int count) override
    {
        QThread::usleep(1000);
        const QStringList parts = from.split(QLatin1Char('.'));
        int first = parts.size() > 6 ? parts[6].toInt() + 1 : 1;
        kv::SnmpNextStep step;
        step.status = first > m_size ? kv::SnmpNextStep::EndOfView : kv::SnmpNextStep::Objects;
        for (int i = first; i <= m_size && step.objects.size() < count; ++i) {
            kv::SnmpObject o;
            o.oid = QStringLiteral("1.3.6.1.2.1.%1.0").arg(i);
            o.value.status = kv::SnmpAnswer::Value;
            o.value.type = QStringLiteral("STRING");
            o.value.value = QStringLiteral("object number %1 of the test agent").arg(i);
            step.objects << o;
        }
        return step;
    }
    QString objectName(const QString& oid) override { return QStringLiteral("KV-TEST-MIB::kvObject.") + oid.section(QLatin1Char('.'), 6); }

private:
    int m_size;
};

} // namespace

KV_BENCH(benchSnmpWalk, "snmp walk: browser filling with 2,000 objects")
{
    const int size = ctx.quick ? 200 : 2000;
    QTemporaryDir dir;
    kv::AppState state(dir.path());
    ManyObjects agent(size);
    kv::SnmpRequest row = kv::SnmpRequest::ResetRow();
    row.IP_Address = QStringLiteral("127.0.0.1");
    row.Version = QStringLiteral("2");
    row.Community_String = QStringLiteral("public");
    std::vector<double> totals, longest;
    for (int rep = 0; rep < ctx.repetitions(5); ++rep) {
        TFSnmpBrowser browser(state, agent, row, 1);
        GapMeter gaps;
        QEventLoop loop;
        QObject::connect(&browser.walk(), &kv::SnmpWalk::finished, &loop, &QEventLoop::quit);
        gaps.start();
        browser.show(); // the walk starts with the window
        loop.exec();
        const double total = gaps.stop();
        if (browser.objectCount() != size)
            std::printf("snmp walk: %d objects listed, %d expected\n", browser.objectCount(), size);
        totals.push_back(total);
        longest.push_back(gaps.longestMs());
    }
    const QString n = QString::number(size);
    ctx.report(QStringLiteral("walk of %1 objects, total (median)").arg(n), BenchContext::median(totals), QStringLiteral("ms"));
    ctx.report(QStringLiteral("walk of %1 objects, longest gap of a 10 ms timer (worst)").arg(n),
               *std::max_element(longest.begin(), longest.end()), QStringLiteral("ms"));
}
