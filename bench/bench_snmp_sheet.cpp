#include "Bench.h"
#include "BenchRows.h"

#include "common/UServices.h"
#include "documents/SnmpRequests.h"
#include "documents/SnmpTableModel.h"
#include "documents/SnmpTableText.h"
#include "documents/USNMPManagerAccess.h"
#include "state/AppState.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QUndoStack>

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
