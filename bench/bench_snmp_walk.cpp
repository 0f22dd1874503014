#include "Bench.h"
#include "GapMeter.h"

#include "requests/SnmpRequests.h"
#include "snmp/FakeSnmp.h"
#include "snmp/SnmpAgent.h"
#include "snmp/SnmpWalk.h"
#include "snmp/USnmpBrowser.h"
#include "state/AppState.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>

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

namespace {

// The process's resident memory in MB (Linux; 0 where /proc is not there).
double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

} // namespace

KV_BENCH(benchSnmpWalkBigValues, "snmp walk: browser over an agent answering 65,000-byte strings (snmpd, SNMPv1)")
{
    // Extend commands whose output is 65,000 bytes each: one object each
    // under nsExtendOutputFull, walked with GETNEXT (a GETBULK of them would
    // not fit a datagram).
    const int count = ctx.quick ? 20 : 200;
    QTemporaryDir scripts;
    const QString big = scripts.filePath(QStringLiteral("big.sh"));
    QFile script(big);
    if (!script.open(QIODevice::WriteOnly))
        return;
    script.write("#!/bin/sh\nhead -c 65000 /dev/zero | tr '\\000' x\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther);
    QByteArray conf;
    for (int i = 1; i <= count; ++i)
        conf += "extend b" + QByteArray::number(i) + ' ' + big.toUtf8() + '\n';
    kvtest::SnmpAgent agent(QStringLiteral("127.0.0.90"), conf);
    if (!agent.skip.isEmpty()) {
        std::printf("snmp walk of big values: skipped, %s\n", agent.skip.toUtf8().constData());
        return;
    }
    QTemporaryDir dir;
    kv::AppState state(dir.path());
    const std::unique_ptr<kv::ISnmpClient> client = kv::MakeSnmpClient();
    kv::SnmpRequest row = kv::SnmpRequest::ResetRow();
    row.IP_Address = agent.address;
    row.Version = QStringLiteral("1");
    row.Community_String = QStringLiteral("public");
    std::vector<double> totals, longest, grown;
    for (int rep = 0; rep < ctx.repetitions(3); ++rep) {
        const double before = residentMb();
        TFSnmpBrowser browser(state, *client, row, 1);
        browser.findChild<QLineEdit*>(QStringLiteral("E_StartOid"))->setText(QStringLiteral("1.3.6.1.4.1.8072.1.3.2.3.1.2"));
        GapMeter gaps;
        QEventLoop loop;
        QObject::connect(&browser.walk(), &kv::SnmpWalk::finished, &loop, &QEventLoop::quit);
        gaps.start();
        browser.show(); // the walk starts with the window
        loop.exec();
        totals.push_back(gaps.stop());
        longest.push_back(gaps.longestMs());
        grown.push_back(residentMb() - before);
        if (browser.objectCount() != count)
            std::printf("snmp walk of big values: %d objects listed, %d expected\n", browser.objectCount(), count);
    }
    const QString n = QString::number(count);
    ctx.report(QStringLiteral("walk of %1 values of 65,000 bytes, total (median)").arg(n), BenchContext::median(totals),
               QStringLiteral("ms"));
    ctx.report(QStringLiteral("walk of %1 values of 65,000 bytes, longest gap (worst)").arg(n),
               *std::max_element(longest.begin(), longest.end()), QStringLiteral("ms"));
    ctx.report(QStringLiteral("walk of %1 values of 65,000 bytes, memory grown (worst)").arg(n),
               *std::max_element(grown.begin(), grown.end()), QStringLiteral("MB"));
}
