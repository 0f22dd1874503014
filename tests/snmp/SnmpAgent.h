#pragma once
// Debian's snmpd on a loopback address of the caller's own (127.0.0.x, one x
// per test program so that programs can run side by side), port 161, with
// only the configuration given here; stopped by its pid.  Used by tests and
// benchmarks; skip says why there is no agent (Windows, no snmpd, no rights
// to port 161).
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "snmp/SnmpClient.h"

#ifndef _WIN32
#include <csignal>
#endif

namespace kvtest {

struct SnmpAgent {
    QTemporaryDir dir;
    qint64 pid = 0;
    QString address;
    QString skip;

    // extraConf: more snmpd.conf lines (override lines give fixed values).
    explicit SnmpAgent(const QString& agentAddress, const QByteArray& extraConf = QByteArray())
        : address(agentAddress)
    {
#ifdef _WIN32
        skip = QStringLiteral("the tests start Debian's snmpd, which the Linux build has");
        return;
#endif
        const QString snmpd = QStandardPaths::findExecutable(QStringLiteral("snmpd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
        if (snmpd.isEmpty()) {
            skip = QStringLiteral("snmpd is not installed");
            return;
        }
        QFile conf(dir.filePath(QStringLiteral("snmpd.conf")));
        if (!conf.open(QIODevice::WriteOnly)) {
            skip = QStringLiteral("cannot write the agent's configuration");
            return;
        }
        conf.write("rocommunity public 127.0.0.0/8\n"
                   "sysDescr KV test agent with a long description\n"
                   "sysLocation lab\n"
                   "sysContact nobody\n"
                   "sysServices 72\n");
        conf.write(extraConf);
        conf.close();
        QStringList env = QProcess::systemEnvironment();
        env << QStringLiteral("SNMP_PERSISTENT_DIR=") + dir.path() << QStringLiteral("MIBS=");
        QProcess p;
        p.setEnvironment(env);
        p.setProgram(snmpd);
        p.setArguments({QStringLiteral("-f"), QStringLiteral("-C"), QStringLiteral("-c"), dir.filePath(QStringLiteral("snmpd.conf")),
                        QStringLiteral("-Lf"), dir.filePath(QStringLiteral("snmpd.log")), QStringLiteral("udp:") + address + QStringLiteral(":161")});
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        if (!p.startDetached(&pid)) {
            skip = QStringLiteral("snmpd does not start");
            return;
        }
        // Up when it answers (it cannot bind port 161 without the rights to).
        const auto client = kv::MakeSnmpClient();
        for (int i = 0; i < 50; ++i) {
            const kv::SnmpAnswer a = client->get({address, 2, QStringLiteral("public"), 100, 0}, QStringLiteral("1.3.6.1.2.1.1.3.0"));
            if (a.status == kv::SnmpAnswer::Value)
                return;
            QThread::msleep(100);
        }
        QFile log(dir.filePath(QStringLiteral("snmpd.log")));
        const QByteArray said = log.open(QIODevice::ReadOnly) ? log.read(200) : QByteArray();
        skip = QStringLiteral("snmpd does not answer on ") + address + QStringLiteral(":161 (port 161 needs root): ")
            + QString::fromUtf8(said);
    }
    ~SnmpAgent()
    {
#ifndef _WIN32
        if (pid <= 0)
            return;
        ::kill(pid_t(pid), SIGTERM);
        // Gone before its folder is removed (it writes its state on the way out).
        for (int i = 0; i < 100 && ::kill(pid_t(pid), 0) == 0; ++i)
            QThread::msleep(20);
#endif
    }
    SnmpAgent(const SnmpAgent&) = delete;
    SnmpAgent& operator=(const SnmpAgent&) = delete;
};

} // namespace kvtest
