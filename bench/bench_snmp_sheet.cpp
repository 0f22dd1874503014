#include "Bench.h"
#include "BenchRows.h"
#include "PeakMemory.h"

#include "common/UServices.h"
#include "requests/SnmpRequests.h"
#include "requests/SnmpTableModel.h"
#include "requests/SnmpTableText.h"
#include "requests/USNMPManagerAccess.h"
#include "state/AppState.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QUndoStack>

#include <functional>
#include <memory>

namespace {

struct Sheet {
    QTemporaryDir dir;
    kv::ScriptedMessageService messages;
    kv::ScriptedFileDialogs files;
    kv::UiServices services;
    std::unique_ptr<kv::AppState> state;
    std::unique_ptr<TFSNMPManagerAccess> dialog;

    Sheet()
    {
        services.messages = &messages;
        services.files = &files;
        state = std::make_unique<kv::AppState>(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/B/bin"));
        state->OpenProject(QStringLiteral("B"));
        kv::SaveSnmpRequests(kv::bench::FullSnmpRows(), state->SnmpManagerPath);
        dialog = std::make_unique<TFSNMPManagerAccess>(*state, services);
        dialog->FormShow();
        dialog->show();
        QApplication::processEvents();
    }
    QTableView* grid() const { return dialog->findChild<QTableView*>(QStringLiteral("ACG_SNMP")); }
};

double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// Runs change then undo n times, painting after each; reports both medians.
template <class Change>
void changeAndUndo(BenchContext& ctx, Sheet& s, int n, const QString& what, Change change)
{
    std::vector<double> done, undone;
    for (int i = 0; i < n; ++i) {
        QElapsedTimer t;
        t.start();
        change();
        s.grid()->viewport()->repaint();
        done.push_back(msSince(t));
        t.restart();
        s.dialog->undoStack()->undo();
        s.grid()->viewport()->repaint();
        undone.push_back(msSince(t));
    }
    ctx.report(what + QStringLiteral(" (median)"), BenchContext::median(done), QStringLiteral("ms"));
    ctx.report(QStringLiteral("undo of the ") + what + QStringLiteral(" (median)"), BenchContext::median(undone),
               QStringLiteral("ms"));
}

} // namespace

KV_BENCH(benchSnmpSheet, "snmp dialog: paste, import and their undo, 512 full rows")
{
    Sheet s;
    const int n = ctx.repetitions(30);

    // The clipboard as a spreadsheet fills it: 512 lines of the 15 visible cells.
    QVector<QStringList> cells;
    for (const kv::SnmpRequest& r : kv::bench::FullSnmpRows(QStringLiteral("new "))) {
        QStringList line;
        for (int c = 1; c <= kv::SnmpFieldCount; ++c) {
            if (c != kv::ColOnCommand)
                line << r.field(c);
        }
        cells << line;
    }
    QGuiApplication::clipboard()->setText(kv::CellsAsTabText(cells));
    s.grid()->setCurrentIndex(s.dialog->tableModel()->index(0, kv::ColEnable));
    changeAndUndo(ctx, s, n, QStringLiteral("paste of 512 full rows from the clipboard"), [&] { s.dialog->PasteCells(); });

    const QString csv = s.dir.filePath(QStringLiteral("table.csv"));
    QFile f(csv);
    if (f.open(QIODevice::WriteOnly))
        f.write(kv::SnmpRequestsCsv(kv::bench::FullSnmpRows(QStringLiteral("imported "))));
    f.close();
    s.files.openAnswer = csv;
    changeAndUndo(ctx, s, n, QStringLiteral("import of a CSV file of 512 full rows"), [&] {
        s.messages.answers = {true};
        s.dialog->ImportTable();
    });
    if (s.messages.log.size() != n || !s.messages.texts().filter(QStringLiteral("Error")).isEmpty())
        ctx.report(QStringLiteral("unexpected messages during the import"), double(s.messages.log.size()), QStringLiteral("x"));
    s.dialog->hide();
}

namespace {

constexpr qint64 kMiB = 1024 * 1024;

// A file of head, then tail repeated until the file holds size bytes, then end.
bool writeInput(const QString& path, const QByteArray& head, const QByteArray& tail, qint64 size, const QByteArray& end)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    f.write(head);
    QByteArray block;
    while (block.size() < 1024 * 1024)
        block += tail;
    qint64 left = size - head.size() - end.size();
    while (left > 0) {
        const qint64 n = std::min<qint64>(left, block.size());
        f.write(block.constData(), n);
        left -= n;
    }
    f.write(end);
    return true;
}

// Time and peak memory above the process before it of one action; the
// first message the dialog showed tells accepted (none or the question
// before replacing) from refused.
void measure(BenchContext& ctx, Sheet& s, const QString& what, const std::function<void()>& action)
{
    s.messages.log.clear();
    s.messages.answers = {true};
    PeakMemory::reset();
    const double idle = PeakMemory::residentMB();
    QElapsedTimer t;
    t.start();
    action();
    const double ms = msSince(t);
    const double peak = PeakMemory::peakMB();
    const bool refused = !s.messages.log.isEmpty() && s.messages.log.constFirst().kind == QLatin1String("error");
    const QString name = what + (refused ? QStringLiteral(" (refused)") : QStringLiteral(" (accepted)"));
    ctx.report(name + QStringLiteral(": time"), ms, QStringLiteral("ms"));
    ctx.report(name + QStringLiteral(": memory above idle"), peak - idle, QStringLiteral("MB"));
    s.dialog->undoStack()->clear();
}


// Inputs up to the 64 MiB limit, each its own case so that a run of one case
// alone (a fresh process) measures its memory without what earlier cases
// left in the heap.
struct LargeInput {
    const char* name;
    QByteArray (*head)(); // written once, then tail repeated to the size, then end
    QByteArray tail, end;
    bool clipboard;
};

QByteArray csvHeader()
{
    return kv::SnmpRequestsCsv({});
}

QByteArray csv512()
{
    return kv::SnmpRequestsCsv(kv::bench::FullSnmpRows(QStringLiteral("imported ")));
}

QByteArray csvRow()
{
    const QByteArray all = csv512();
    const qsizetype start = csvHeader().size();
    return all.mid(start, all.indexOf("\r\n", start) + 2 - start);
}

QByteArray none()
{
    return QByteArray();
}

const LargeInput kLargeInputs[] = {
    {"large input: import of an unrelated log file", none,
     "2026-12-10 10:00:00.123 INFO  [worker-3] request served in 12 ms, status 200, path /api/v1/items\n", {}, false},
    {"large input: import of blank lines only", none, "\r\n", {}, false},
    {"large input: import of a header and blank lines", csvHeader, "\r\n", {}, false},
    {"large input: import of 512 rows and blank lines", csv512, "\r\n", {}, false},
    {"large input: import of rows past row 512", csvHeader, csvRow(), {}, false},
    {"large input: import of one cell",
     [] { return csvHeader() + "Y,10.0.0.1,2,Marble,1.3.6.1,Int,Get,N,N,N,,0,4,None,N,"; }, "x", {}, false},
    // The slowest: no mark, valid UTF-8 up to a last line that is not, so
    // read whole twice (as UTF-8, then as Windows-1252).
    {"large input: import of 512 rows, blank lines, a last line not UTF-8", [] { return csv512().mid(3); }, "\r\n",
     "\xA0\r\n", false},
    {"large input: paste of cells past row 512", none, QByteArray(csvRow()).replace(',', '\t'), {}, true},
    {"large input: paste of blank lines", none, "\r\n", {}, true},
};

void runLargeInput(BenchContext& ctx, const LargeInput& in)
{
    Sheet s;
    const qint64 size = ctx.quick ? 2 * kMiB : 64 * kMiB;
    const QString what =
        QString::fromLatin1(in.name).mid(13) + (ctx.quick ? QStringLiteral(", 2 MiB") : QStringLiteral(", 64 MiB"));
    if (in.clipboard) {
        QByteArray text;
        text.reserve(size);
        while (text.size() + in.tail.size() <= size)
            text += in.tail;
        QGuiApplication::clipboard()->setText(QString::fromUtf8(text));
        text = QByteArray();
        s.grid()->setCurrentIndex(s.dialog->tableModel()->index(0, kv::ColEnable));
        measure(ctx, s, what, [&] { s.dialog->PasteCells(); });
        QGuiApplication::clipboard()->clear();
    } else {
        const QString path = s.dir.filePath(QStringLiteral("input.csv"));
        s.files.openAnswer = path;
        if (!writeInput(path, in.head(), in.tail, size, in.end))
            return;
        measure(ctx, s, what, [&] { s.dialog->ImportTable(); });
    }
    s.dialog->hide();
}

const struct LargeInputCases {
    LargeInputCases()
    {
        for (const LargeInput& in : kLargeInputs)
            BenchRegistry().push_back({in.name, [&in](BenchContext& ctx) { runLargeInput(ctx, in); }});
    }
} kLargeInputCases;

} // namespace
