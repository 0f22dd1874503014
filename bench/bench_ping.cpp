// The update dialog's ping of a device that never answers: how long the
// window goes without handling events (budget: 50 ms), measured as the
// longest gap between the ticks of a 10 ms timer while the ping runs; and
// how soon Cancel, pressed while an echo waits, ends the dialog's modal run
// (budget: 50 ms).
#include "Bench.h"
#include "GapMeter.h"

#include "helpers/EchoOnce.h"
#include "helpers/SilentLoopback.h"

#include "state/AppState.h"
#include "common/UServices.h"
#include "update/IcmpEcho.h"
#include "update/UBoot.h"
#include "update/UpdateJob.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// A workspace whose job files exist, and the dialog on 127.0.0.1.
struct SilentDialog {
    QTemporaryDir dir;
    kv::AppState state{dir.path()};
    kv::ScriptedMessageService messages;
    kv::IcmpEchoClient echo;
    kv::UiServices services;
    std::unique_ptr<TFBoot> boot;

    SilentDialog()
    {
        state.CreateWorkspace();
        state.OpenProject(QStringLiteral("Bench"));
        QDir().mkpath(state.ActiveProjectDir + QStringLiteral("/bin"));
        for (const QString& file : {kv::FirmwareImagePath(state.MasterDir), kv::ConfigurationImagePath(state.ActiveProjectDir)}) {
            QFile f(file);
            if (f.open(QIODevice::WriteOnly))
                f.write("image");
        }
        state.Settings.LastIpAddress = QStringLiteral("127.0.0.1");
        services.messages = &messages;
        services.echo = &echo;
        boot = std::make_unique<TFBoot>(state, services);
    }
};

} // namespace

KV_BENCH(benchPingSilentDevice, "update dialog: ping of a silent device, longest event-loop gap")
{
    // 127.0.0.1 in a network namespace of our own that answers no echo.
    kvtest::SilentLoopback net;
    if (!net.skip.isEmpty()) {
        std::printf("ping of a silent device: skipped, %s\n", net.skip.toUtf8().constData());
        return;
    }
    SilentDialog d;
    d.boot->show();
    QCoreApplication::processEvents();

    // --quick: one echo of the dialog's 400 ms; else a whole ping (5 s budget).
    GapMeter gaps;
    gaps.start();
    if (ctx.quick) {
        kvtest::echoOnce(d.echo, QStringLiteral("127.0.0.1"), 400);
    } else {
        QEventLoop ended;
        QObject::connect(d.boot.get(), &TFBoot::updateEnded, &ended, &QEventLoop::quit);
        d.boot->Btn_UpdateClick();
        ended.exec();
    }
    const double ms = gaps.stop();
    const QString what = ctx.quick ? QStringLiteral("one echo") : QStringLiteral("whole ping");
    ctx.report(QStringLiteral("silent device, %1: duration").arg(what), ms, QStringLiteral("ms"));
    ctx.report(QStringLiteral("silent device, %1: 10 ms ticks").arg(what), gaps.ticks(), QStringLiteral("ticks"));
    ctx.report(QStringLiteral("silent device, %1: longest gap between ticks (budget 50)").arg(what), gaps.longestMs(),
               QStringLiteral("ms"));
}

KV_BENCH(benchPingCancel, "update dialog: Cancel while an echo waits, until the dialog's run ends")
{
    kvtest::SilentLoopback net;
    if (!net.skip.isEmpty()) {
        std::printf("cancel of a ping: skipped, %s\n", net.skip.toUtf8().constData());
        return;
    }
    SilentDialog d;
    QPushButton* cancel = d.boot->findChild<QPushButton*>(QStringLiteral("Btn_Cancel"));
    std::vector<double> samples;
    for (int i = 0; i < ctx.repetitions(5); ++i) {
        // Update pressed as the dialog opens; Cancel 150 ms later, in the
        // middle of the first echo's 400 ms.
        QElapsedTimer clock;
        QTimer::singleShot(0, d.boot.get(), [&] { d.boot->Btn_UpdateClick(); });
        QTimer::singleShot(150, d.boot.get(), [&] {
            clock.start();
            cancel->click();
        });
        d.boot->exec();
        samples.push_back(double(clock.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
    }
    ctx.report(QStringLiteral("cancel during an echo: until the dialog's run ended, median (budget 50)"),
               BenchContext::median(samples), QStringLiteral("ms"));
    ctx.report(QStringLiteral("cancel during an echo: until the dialog's run ended, longest (budget 50)"),
               *std::max_element(samples.begin(), samples.end()), QStringLiteral("ms"));
}
