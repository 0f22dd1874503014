#include "app/UTessaraneFirmWare.h"
#include "app/VersionCheck.h"
#include "common/UServices.h"
#include "common/UStyle.h"
#include "snmp/SnmpClient.h"
#include "snmp/USnmpTools.h"
#include "update/IcmpEcho.h"
#include "update/ProgramStarter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>

// KV_STARTUP_PROBE=1: print the time from process start to the main window
// shown and the peak resident memory, then quit (used by the benchmarks).
static void startupProbe(const QElapsedTimer& since)
{
    QTimer::singleShot(0, [since] {
        const qint64 ms = since.elapsed();
        long hwmKb = -1;
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.startsWith("VmHWM:"))
                    hwmKb = line.mid(6).trimmed().split(' ').value(0).toLong();
            }
        }
        std::printf("startup_ms=%lld vmhwm_kb=%ld\n", static_cast<long long>(ms), hwmKb);
        std::fflush(stdout);
        QCoreApplication::quit();
    });
}

int main(int argc, char* argv[])
{
    QElapsedTimer since;
    since.start();
    // Before the application: a test run still waiting for answers when the
    // program ends is the application's, and ends with it, using this client.
    const std::unique_ptr<kv::ISnmpClient> snmpClient = kv::MakeSnmpClient();
    QApplication app(argc, argv);
    kv::InstallApplicationLook();

    kv::QtMessageService messages;
    kv::QtFileDialogs files;
    kv::DesktopUrlOpener urls;
    kv::IcmpEchoClient echo;
    kv::ProcessStarter starter;
    kv::HttpVersionQuery version;
    kv::UiServices services;
    services.messages = &messages;
    services.files = &files;
    services.urls = &urls;
    services.echo = &echo;
    services.starter = &starter;
    services.version = &version;

    kv::AppState state(QCoreApplication::applicationDirPath());
    kv::SnmpWindows snmpTools(state, *snmpClient);
    services.snmp = &snmpTools;
    TFTessaraneFirmWare window(state, services);
    window.show();
    if (qEnvironmentVariableIsSet("KV_STARTUP_PROBE"))
        startupProbe(since);
    return app.exec();
}
