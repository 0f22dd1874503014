#include "Bench.h"
#include "BenchRows.h"

#include "common/UServices.h"
#include "requests/DataMap.h"
#include "requests/SnmpTableModel.h"
#include "requests/UDataMap.h"
#include "requests/USNMPManagerAccess.h"
#include "state/AppState.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTemporaryDir>

#include <memory>

// The data map follows every edit of the request grid: from the grid's rows
// to placements and findings, for 512 full rows.  The worst table has every
// row a Get of 255 bytes at the same Position: each of its 130,816 pairs
// overlaps.
KV_BENCH(benchDataMap, "data map: 512 full rows from the grid's rows")
{
    const auto measure = [&ctx](const QString& what, const QVector<kv::SnmpRequest>& rows, int expectedOverlaps) {
        const int reps = ctx.repetitions(30);
        std::vector<double> samples;
        QElapsedTimer t;
        for (int i = 0; i <= reps; ++i) {
            t.start();
            const kv::DataMap map = kv::ComputeDataMap(kv::DataMapRowsOf(rows), kv::AreaSizes());
            if (i > 0) // the first run is warm-up
                samples.push_back(double(t.nsecsElapsed()) / 1e6);
            if (map.overlaps.size() != expectedOverlaps)
                ctx.report(what + QStringLiteral(": unexpected overlaps"), double(map.overlaps.size()), QStringLiteral("x"));
        }
        ctx.report(QStringLiteral("data map of ") + what + QStringLiteral(" (median, goal with the drawing < 50)"),
                   BenchContext::median(samples), QStringLiteral("ms"));
    };
    // Rows two bytes apart, two bytes each: no overlap.
    measure(QStringLiteral("512 full rows"), kv::bench::FullSnmpRows(), 0);
    QVector<kv::SnmpRequest> worst = kv::bench::FullSnmpRows();
    for (kv::SnmpRequest& r : worst) {
        r.Mode = QStringLiteral("Get");
        r.Position = QStringLiteral("0");
        r.Number_Bytes = QStringLiteral("255");
    }
    measure(QStringLiteral("512 Get rows on the same bytes"), worst, 512 * 511 / 2);
}

namespace {

// The request dialog over 512 full rows, with its data map open.
struct MapWindowSetup {
    QTemporaryDir dir;
    kv::ScriptedMessageService messages;
    kv::ScriptedFileDialogs files;
    kv::UiServices services;
    std::unique_ptr<kv::AppState> state;
    std::unique_ptr<TFSNMPManagerAccess> dialog;
    TFDataMap* map = nullptr;

    explicit MapWindowSetup(const QVector<kv::SnmpRequest>& rows)
    {
        services.messages = &messages;
        services.files = &files;
        state = std::make_unique<kv::AppState>(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/B/bin"));
        state->OpenProject(QStringLiteral("B"));
        kv::SaveSnmpRequests(rows, state->SnmpManagerPath);
        dialog = std::make_unique<TFSNMPManagerAccess>(*state, services);
        dialog->FormShow();
        dialog->show();
        dialog->ShowDataMap();
        map = dialog->findChild<TFDataMap*>();
        QApplication::processEvents();
    }
};

} // namespace

// The data map window follows an edit of the grid: the map read again from
// the table model, the findings listed and the window drawn (the strips in
// view, as the user sees them, and every line of both strips).
KV_BENCH(benchDataMapWindow, "data map window: 512 full rows recomputed and drawn")
{
    const auto measure = [&ctx](const QString& what, const QVector<kv::SnmpRequest>& rows) {
        MapWindowSetup s(rows);
        if (!s.map) {
            ctx.report(what + QStringLiteral(": no window"), 1, QStringLiteral("x"));
            return;
        }
        kv::SnmpTableModel* model = s.dialog->tableModel();
        const int reps = ctx.repetitions(30);
        std::vector<double> window, strips;
        QElapsedTimer t;
        for (int i = 0; i <= reps; ++i) {
            // One cell typed: row 1's Position moves by a byte and back.
            model->setData(model->index(0, kv::ColPosition), QString::number(i % 2), Qt::EditRole);
            t.start();
            s.map->recompute();
            const QPixmap shown = s.map->grab();
            if (i > 0)
                window.push_back(double(t.nsecsElapsed()) / 1e6);
            t.start();
            const QPixmap all = s.map->strips()->grab();
            if (i > 0)
                strips.push_back(double(t.nsecsElapsed()) / 1e6);
            if (shown.isNull() || all.isNull())
                ctx.report(what + QStringLiteral(": nothing drawn"), 1, QStringLiteral("x"));
        }
        ctx.report(QStringLiteral("data map window, ") + what + QStringLiteral(": recomputed and drawn (median, goal < 50)"),
                   BenchContext::median(window), QStringLiteral("ms"));
        ctx.report(QStringLiteral("data map window, ") + what + QStringLiteral(": every line of both strips drawn (median)"),
                   BenchContext::median(strips), QStringLiteral("ms"));
    };
    measure(QStringLiteral("512 full rows"), kv::bench::FullSnmpRows());
    QVector<kv::SnmpRequest> worst = kv::bench::FullSnmpRows();
    for (kv::SnmpRequest& r : worst) {
        r.Mode = QStringLiteral("Get");
        r.Position = QStringLiteral("0");
        r.Number_Bytes = QStringLiteral("255");
    }
    measure(QStringLiteral("512 Get rows on the same bytes"), worst);
}
