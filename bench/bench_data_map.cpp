#include "Bench.h"
#include "BenchRows.h"

#include "requests/DataMap.h"

#include <QElapsedTimer>

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
