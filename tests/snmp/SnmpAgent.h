#pragma once
// Debian's snmpd on a loopback address of the caller's own (127.0.0.x, one x
// per test program so that programs can run side by side), port 161, with
// only the configuration given here; stopped by its pid.  Used by tests and
// benchmarks; skip says why there is no agent (no snmpd, no rights to port
// 161).
//
// On Linux the agent is started here.  A Windows program under Wine cannot
// start or stop a Linux one, so there scripts/snmp-agents.sh does it for the
// program: it watches the folder named by KV_SNMP_AGENT_SPOOL, starts snmpd
// for each <address>.conf written there, answers with <address>.pid, and
// stops the agent by its pid once the .conf is removed (scripts/windows.sh
// --test runs it beside the Windows tests).
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
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
        const QByteArray conf = QByteArray("rocommunity public 127.0.0.0/8\n"
                                           "sysDescr KV test agent with a long description\n"
                                           "sysLocation lab\n"
                                           "sysContact nobody\n"
                                           "sysServices 72\n")
            + extraConf;
        skip = start(conf);
        if (!skip.isEmpty())
            return;
        // Up when it answers (it cannot bind port 161 without the rights to).
        const auto client = kv::MakeSnmpClient();
        for (int i = 0; i < 50; ++i) {
            const kv::SnmpQuery uptime{kv::SnmpQuery::Get, {address, 2, QStringLiteral("public"), 100, 0},
                                       QStringLiteral("1.3.6.1.2.1.1.3.0"), 1};
            if (kv::SnmpAskAndWait(*client, uptime).answer.status == kv::SnmpAnswer::Value)
                return;
            QThread::msleep(100);
        }
        QFile log(logPath());
        const QByteArray said = log.open(QIODevice::ReadOnly) ? log.read(200) : QByteArray();
        skip = QStringLiteral("snmpd does not answer on ") + address + QStringLiteral(":161 (port 161 needs root): ")
            + QString::fromUtf8(said);
    }
    ~SnmpAgent() { stop(); }
    SnmpAgent(const SnmpAgent&) = delete;
    SnmpAgent& operator=(const SnmpAgent&) = delete;

private:
#ifndef _WIN32
    QString logPath() const { return dir.filePath(QStringLiteral("snmpd.log")); }

    // Empty when snmpd was started, else why not.
    QString start(const QByteArray& conf)
    {
        const QString snmpd = QStandardPaths::findExecutable(QStringLiteral("snmpd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
        if (snmpd.isEmpty())
            return QStringLiteral("snmpd is not installed");
        QFile file(dir.filePath(QStringLiteral("snmpd.conf")));
        if (!file.open(QIODevice::WriteOnly) || file.write(conf) != conf.size())
            return QStringLiteral("cannot write the agent's configuration");
        file.close();
        QStringList env = QProcess::systemEnvironment();
        env << QStringLiteral("SNMP_PERSISTENT_DIR=") + dir.path() << QStringLiteral("MIBS=");
        QProcess p;
        p.setEnvironment(env);
        p.setProgram(snmpd);
        p.setArguments({QStringLiteral("-f"), QStringLiteral("-C"), QStringLiteral("-c"), file.fileName(), QStringLiteral("-Lf"),
                        logPath(), QStringLiteral("udp:") + address + QStringLiteral(":161")});
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        if (!p.startDetached(&pid))
            return QStringLiteral("snmpd does not start");
        return QString();
    }

    void stop()
    {
        if (pid <= 0)
            return;
        ::kill(pid_t(pid), SIGTERM);
        // Gone before its folder is removed (it writes its state on the way out).
        for (int i = 0; i < 100 && ::kill(pid_t(pid), 0) == 0; ++i)
            QThread::msleep(20);
    }
#else
    QDir spool;
    bool asked = false;

    QString file(const char* suffix) const { return spool.filePath(address + QLatin1String(suffix)); }
    QString logPath() const { return file(".log"); }

    // Waits up to ms for the file to exist (or, with gone, not to).
    static bool waitFor(const QString& path, bool gone, int ms)
    {
        for (int i = 0; i < ms / 20 && QFile::exists(path) == gone; ++i)
            QThread::msleep(20);
        return QFile::exists(path) != gone;
    }

    QString start(const QByteArray& conf)
    {
        const QString folder = qEnvironmentVariable("KV_SNMP_AGENT_SPOOL");
        if (folder.isEmpty())
            return QStringLiteral("no snmpd: under Wine scripts/windows.sh --test starts Debian's snmpd for the tests (KV_SNMP_AGENT_SPOOL)");
        spool.setPath(QDir::fromNativeSeparators(folder));
        // An agent left by a program that ended early is stopped first.
        QFile::remove(file(".conf"));
        if (!waitFor(file(".pid"), true, 5000))
            return QStringLiteral("an earlier agent on ") + address + QStringLiteral(" does not stop");
        QSaveFile out(file(".conf"));
        if (!out.open(QIODevice::WriteOnly) || out.write(conf) != conf.size() || !out.commit())
            return QStringLiteral("cannot write the agent's configuration into ") + folder;
        asked = true;
        if (!waitFor(file(".pid"), false, 10000))
            return QStringLiteral("scripts/snmp-agents.sh does not answer in ") + folder;
        QFile answer(file(".pid"));
        const QByteArray said = answer.open(QIODevice::ReadOnly) ? answer.readAll().trimmed() : QByteArray();
        pid = said.toLongLong();
        if (pid <= 0)
            return QStringLiteral("snmpd does not start: ") + QString::fromUtf8(said);
        return QString();
    }

    void stop()
    {
        if (!asked)
            return;
        QFile::remove(file(".conf"));
        // Gone before the next agent on this address is asked for.
        waitFor(file(".pid"), true, 5000);
    }
#endif
};

// Writes a shell script for an `extend` line of the agent's configuration and
// gives the command the agent runs it with.  Under Wine the agent is a Linux
// program: the script goes into the spool folder (a Z: path, that is the
// Linux file system) and is named by its Linux path.  Empty when it cannot
// be written.
inline QString AgentScript(const QTemporaryDir& dir, const QString& name, const QByteArray& body)
{
#ifndef _WIN32
    const QString path = dir.filePath(name);
    QString agentPath = path;
#else
    Q_UNUSED(dir)
    const QString spool = QDir::fromNativeSeparators(qEnvironmentVariable("KV_SNMP_AGENT_SPOOL"));
    if (spool.isEmpty())
        return QString(); // no agent either: its test skips
    const QString path = spool + QLatin1Char('/') + name;
    QString agentPath = path;
    if (agentPath.startsWith(QLatin1String("Z:"), Qt::CaseInsensitive))
        agentPath.remove(0, 2);
#endif
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size())
        return QString();
    return QStringLiteral("/bin/sh ") + agentPath;
}

} // namespace kvtest
