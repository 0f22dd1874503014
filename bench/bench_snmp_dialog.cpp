#include "Bench.h"
#include "BenchRows.h"

#include "state/AppState.h"
#include "common/UServices.h"
#include "requests/SnmpRequests.h"
#include "requests/SnmpTableModel.h"
#include "requests/USNMPManagerAccess.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include <memory>

namespace {

struct Setup {
    QTemporaryDir dir;
    kv::ScriptedMessageService messages;
    kv::UiServices services;
    std::unique_ptr<kv::AppState> state;
    std::unique_ptr<TFSNMPManagerAccess> dialog;

    Setup()
    {
        services.messages = &messages;
        state = std::make_unique<kv::AppState>(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/B/bin"));
        state->OpenProject(QStringLiteral("B"));
        kv::SaveSnmpRequests(kv::bench::FullSnmpRows(), state->SnmpManagerPath);
        dialog = std::make_unique<TFSNMPManagerAccess>(*state, services);
    }
    QTableView* grid() const { return dialog->findChild<QTableView*>(QStringLiteral("ACG_SNMP")); }
};

double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

KV_BENCH(benchSnmpDialogOpen, "snmp dialog: open (load, fill, first paint)")
{
    Setup s;
    s.dialog->show();
    QApplication::processEvents();
    QTableView* grid = s.grid();
    std::vector<double> load, open;
    const int n = ctx.repetitions(30);
    for (int i = 0; i < n; ++i) {
        QElapsedTimer t;
        t.start();
        s.dialog->FormShow();
        load.push_back(msSince(t));
        grid->viewport()->repaint();
        open.push_back(msSince(t));
    }
    ctx.report(QStringLiteral("snmp dialog open, 512 full rows: load and fill (median)"), BenchContext::median(load),
               QStringLiteral("ms"));
    ctx.report(QStringLiteral("snmp dialog open, 512 full rows: with first paint (median)"),
               BenchContext::median(open), QStringLiteral("ms"));

    // Scroll from top to bottom a page at a time, painting every page.
    std::vector<double> scroll;
    int pages = 0;
    for (int i = 0; i < ctx.repetitions(5); ++i) {
        QScrollBar* bar = grid->verticalScrollBar();
        pages = 0;
        QElapsedTimer t;
        t.start();
        for (int v = bar->minimum(); v <= bar->maximum(); v += qMax(1, bar->pageStep())) {
            bar->setValue(v);
            grid->viewport()->repaint();
            ++pages;
        }
        scroll.push_back(msSince(t));
    }
    const double whole = BenchContext::median(scroll);
    ctx.report(QStringLiteral("snmp dialog: scroll the whole table, page by page (median)"), whole,
               QStringLiteral("ms"));
    ctx.report(QStringLiteral("snmp dialog: scroll, one page"), whole / qMax(1, pages), QStringLiteral("ms"));

    // Open a Position editor over the 1439 choices.
    std::vector<double> editor;
    QAbstractItemDelegate* d = grid->itemDelegateForColumn(kv::ColPosition);
    for (int i = 0; i < ctx.repetitions(30); ++i) {
        const QModelIndex cell = s.dialog->tableModel()->index(i % kv::SnmpMaxRows, kv::ColPosition);
        QElapsedTimer t;
        t.start();
        std::unique_ptr<QWidget> e(d->createEditor(grid->viewport(), QStyleOptionViewItem(), cell));
        d->setEditorData(e.get(), cell);
        e->show();
        editor.push_back(msSince(t));
    }
    ctx.report(QStringLiteral("snmp dialog: open a Position editor, 1439 choices (median)"),
               BenchContext::median(editor), QStringLiteral("ms"));
    s.dialog->hide();
}

KV_BENCH(benchSnmpDialogOk, "snmp dialog: OK (check and save)")
{
    Setup s;
    s.dialog->FormShow();
    std::vector<double> ok;
    const int n = ctx.repetitions(50);
    for (int i = 0; i < n; ++i) {
        QElapsedTimer t;
        t.start();
        s.dialog->Btn_OKClick();
        ok.push_back(msSince(t));
    }
    if (!s.messages.log.isEmpty() || s.dialog->result() != QDialog::Accepted)
        ctx.report(QStringLiteral("snmp dialog OK: FAILED, check refused the table"), 1, QStringLiteral("x"));
    ctx.report(QStringLiteral("snmp dialog OK, 512 full rows: check and save (median)"), BenchContext::median(ok),
               QStringLiteral("ms"));
}
