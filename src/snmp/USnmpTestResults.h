#pragma once
#include "common/UOwnedWindow.h"
#include <QHash>

#include "requests/SnmpRequests.h"
#include "requests/SnmpTools.h"
#include "snmp/SnmpClient.h"
#include "snmp/SnmpTestRun.h"
#include "state/AppState.h"

class QLabel;
class QPushButton;
class QTableView;
class QTimer;

namespace kv {
class StyledButton;
}

// The results of a test of request rows against their agents: one line a
// row in row order, waiting until its answer arrives.  Modeless over the
// request dialog and closed with it; deleted when closed, which cancels
// what is left.  It follows the table the rows came from: a row edited
// since shows its result greyed with a hint; once rows are inserted,
// deleted, pasted whole or imported, the window says its results are stale
// and no longer shows their rows in the grid.
class TFSnmpTestResults : public kv::OwnedWindow {
    Q_OBJECT
public:
    // Shows the window over parent and starts the test; returns at once.
    // A results window already open over parent is reused: its test starts
    // again with these rows and the window comes to the front.
    static TFSnmpTestResults* showFor(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent,
                                      const QVector<kv::SnmpRequest>& rows, const QVector<int>& numbers,
                                      const kv::SnmpTableLink& link);

    TFSnmpTestResults(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent = nullptr);
    ~TFSnmpTestResults() override;
    void Set_Lang();

    // The table the next tests come from, and how to show one of its rows.
    void setTable(const kv::SnmpTableLink& link);
    // Tests rows[i] as table row numbers[i]; a test in progress is cancelled
    // and its results cleared.
    void start(const QVector<kv::SnmpRequest>& rows, const QVector<int>& numbers);
    // True until the test has ended and every result is shown.
    bool running() const { return m_run->running() || !m_arrived.isEmpty(); }
    // Cancel while the test runs (nothing more is sent, late answers are
    // dropped), Close afterwards.
    void Btn_CancelClick();
    // Double click or Enter on a result (0-based line): shows its row in
    // the request dialog's grid, unless the table's rows have changed since.
    void ACG_ResultsDblClick(int line);
    // The table's rows have changed since this test: row numbers may name
    // other requests.
    bool rowsStale() const { return m_rowsStale; }

    // Time-out of a try (one retry follows) and requests out to one agent at a time.
    static constexpr int TimeoutMs = 1000;
    static constexpr int InFlight = 4;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class ResultModel;

    void arrived(const kv::SnmpRowResult& result);
    void tableEdited(int firstRow, int lastRow);
    void tableRenumbered();
    // Lines still waiting once the test has ended (cancelled) say so.
    void endWaiting();
    // Shows results that have arrived, for a few milliseconds at a time.
    void showArrived(bool all = false);
    void finished();
    void showProgress();
    void fitRowHeights();

    kv::AppState& m_state;
    kv::ISnmpClient& m_client;
    kv::SnmpTestRun* m_run = nullptr;
    ResultModel* m_model = nullptr;
    QHash<int, kv::SnmpRequest> m_requests; // by table row
    QVector<kv::SnmpRowResult> m_arrived;   // not shown yet
    QTimer* m_showTimer = nullptr;
    int m_total = 0;
    int m_answered = 0;
    bool m_cancelled = false;
    bool m_rowsStale = false;
    kv::SnmpTableLink m_link;
    QList<QMetaObject::Connection> m_tableConnections;
    int m_refitRow = 0; // the next line whose height is laid out again

    QLabel* L_SW_Desc = nullptr;
    QLabel* L_SetNote = nullptr;
    QLabel* L_Stale = nullptr;
    QTableView* ACG_Results = nullptr;
    QLabel* L_Count = nullptr;
    QLabel* L_Summary = nullptr;
    kv::StyledButton* Btn_Cancel = nullptr;
};
