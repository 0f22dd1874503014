// The update dialog's ping of a device that never answers: how long the
// window goes without handling events (budget: 50 ms), measured as the
// longest gap between the ticks of a 10 ms timer while the ping runs.
#include "Bench.h"
#include "GapMeter.h"

#include "helpers/SilentLoopback.h"

#include "state/AppState.h"
#include "common/UServices.h"
#include "update/IcmpEcho.h"
#include "update/UBoot.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>

KV_BENCH(benchPingSilentDevice, "update dialog: ping of a silent device, longest event-loop gap")
{
    // 127.0.0.1 in a network namespace of our own that answers no echo.
    kvtest::SilentLoopback net;
    if (!net.skip.isEmpty()) {
        std::printf("ping of a silent device: skipped, %s\n", net.skip.toUtf8().constData());
        return;
    }
    QTemporaryDir dir;
    kv::AppState state(dir.path());
    state.CreateWorkspace();
    kv::ScriptedMessageService messages;
    kv::IcmpEchoClient echo;
    kv::UiServices services;
    services.messages = &messages;
    services.echo = &echo;
    TFBoot boot(state, services);
    boot.show();
    const QStringList parts = QStringLiteral("127.0.0.1").split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i)
        boot.findChild<QLineEdit*>(QStringLiteral("E_IP%1").arg(i + 1))->setText(parts[i]);
    QCoreApplication::processEvents();

    // --quick: one echo of the dialog's 400 ms; else a whole ping (5 s budget).
    GapMeter gaps;
    gaps.start();
    if (ctx.quick) {
        QString error;
        echo.echo(QStringLiteral("127.0.0.1"), 400, &error);
    } else {
        boot.Send_Ping();
    }
    const double ms = gaps.stop();
    const QString what = ctx.quick ? QStringLiteral("one echo") : QStringLiteral("whole ping");
    ctx.report(QStringLiteral("silent device, %1: duration").arg(what), ms, QStringLiteral("ms"));
    ctx.report(QStringLiteral("silent device, %1: 10 ms ticks").arg(what), gaps.ticks(), QStringLiteral("ticks"));
    ctx.report(QStringLiteral("silent device, %1: longest gap between ticks (budget 50)").arg(what), gaps.longestMs(),
               QStringLiteral("ms"));
}
