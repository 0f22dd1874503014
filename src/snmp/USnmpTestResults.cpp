#include "snmp/USnmpTestResults.h"

#include "common/TextRules.h"
#include "common/UStyle.h"
#include "requests/SnmpRowTest.h"
#include "snmp/SnmpResultText.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum : int {
    TxtCaption = 1138, // the menu entry that opens the window
    TxtDescription = 1140,
    TxtColumnRow = 1141, // ... 1146: Row, Agent, OID, Value, ms, Verdict
    TxtSetNote = 1147,
    TxtCount = 1148,
    TxtSummary = 1149,
    TxtCancelled = 1150,
    TxtCancel = 1151,
    TxtClose = 1152,
    TxtRowsStale = 1212,
    TxtRowEdited = 1213,
    TxtWaiting = 1216,
    TxtNotTested = 1217,
    TxtColumnName = 1295,
};

enum Column { ColRow, ColAgent, ColOid, ColName, ColValue, ColMs, ColVerdict, ColumnCount };

// Time the window spends on showing results before it lets other events
// run: answers from a fast agent arrive faster than lines can be laid out.
constexpr int kShowSliceMs = 15;
// Answers are gathered this long before they are shown: every agent's
// requests go on meanwhile, instead of waiting for the table to be drawn
// after each answer.
constexpr int kGatherMs = 20;

// A value longer than this shows cut in its cell and whole in its tool tip.
constexpr int kValueShown = 60;

const QColor kGrey(125, 125, 125);

} // namespace

// One line a tested row, in table row order, with its texts made once.
class TFSnmpTestResults::ResultModel : public QAbstractTableModel {
public:
    enum State { Waiting, Answered, NotTested };
    struct Line {
        kv::SnmpRowResult result; // until answered: the plan alone
        QString value;
        QString verdict;
        State state = Waiting;
        bool edited = false; // its table row changed after the test started
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_lines.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : ColumnCount;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return m_headers.value(section);
        return QVariant();
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_lines.size())
            return QVariant();
        const Line& l = m_lines.at(index.row());
        switch (role) {
        case Qt::DisplayRole:
            if (index.column() == ColValue && l.value.size() > kValueShown)
                return l.value.left(kValueShown - 1) + QChar(0x2026);
            return text(l, index.column());
        case Qt::ToolTipRole: {
            const QString t = text(l, index.column());
            if (!l.edited || m_allStale)
                return t;
            return t.isEmpty() ? m_editedHint : t + QLatin1String("\n\n") + m_editedHint;
        }
        case Qt::TextAlignmentRole:
            if (index.column() == ColRow || index.column() == ColMs)
                return int(Qt::AlignRight | Qt::AlignTop);
            return int(Qt::AlignLeft | Qt::AlignTop);
        case Qt::ForegroundRole:
            // What no longer holds, and what has no outcome (yet), is grey.
            if (m_allStale || l.edited || l.state != Answered)
                return kGrey;
            if (index.column() != ColVerdict)
                return QVariant();
            if (l.result.verdict == kv::SnmpVerdict::Fits)
                return QColor(0, 110, 40);
            if (l.result.verdict == kv::SnmpVerdict::FitsNow)
                return QColor(170, 95, 0);
            if (l.result.verdict == kv::SnmpVerdict::NotTestable)
                return QColor(110, 110, 110);
            return QColor(170, 20, 20);
        default:
            return QVariant();
        }
    }

    void setHeaders(const QStringList& headers)
    {
        m_headers = headers;
        emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    }
    void setEditedHint(const QString& hint) { m_editedHint = hint; }
    // Every line at once (in row order).
    void setLines(const QVector<Line>& lines)
    {
        beginResetModel();
        m_lines = lines;
        m_allStale = false;
        endResetModel();
    }
    // The line waiting for this table row's answer, or -1.
    int waitingLine(int row) const
    {
        auto at = std::lower_bound(m_lines.cbegin(), m_lines.cend(), row,
                                   [](const Line& l, int r) { return l.result.plan.row < r; });
        for (; at != m_lines.cend() && at->result.plan.row == row; ++at) {
            if (at->state == Waiting)
                return int(at - m_lines.cbegin());
        }
        return -1;
    }
    void setLine(int pos, const Line& line)
    {
        const bool edited = m_lines.at(pos).edited;
        m_lines[pos] = line;
        m_lines[pos].edited = edited;
        lineChanged(pos, pos);
    }
    // Table rows first..last (1..512) changed.
    void markEdited(int first, int last)
    {
        auto at = std::lower_bound(m_lines.begin(), m_lines.end(), first,
                                   [](const Line& l, int r) { return l.result.plan.row < r; });
        for (; at != m_lines.end() && at->result.plan.row <= last; ++at) {
            if (!at->edited) {
                at->edited = true;
                const int pos = int(at - m_lines.begin());
                lineChanged(pos, pos);
            }
        }
    }
    void setAllStale()
    {
        m_allStale = true;
        textsChanged();
    }
    QVector<Line>& lines() { return m_lines; }
    void textsChanged()
    {
        if (!m_lines.isEmpty())
            lineChanged(0, int(m_lines.size()) - 1);
    }

private:
    void lineChanged(int first, int last) { emit dataChanged(index(first, 0), index(last, ColumnCount - 1)); }

    static QString text(const Line& l, int column)
    {
        const kv::SnmpRowResult& r = l.result;
        switch (column) {
        case ColRow:
            return QString::number(r.plan.row);
        case ColAgent:
            return r.plan.agent;
        case ColOid:
            return r.plan.oid;
        case ColName:
            return r.object.name;
        case ColValue:
            return l.value;
        case ColMs:
            // Only rows that were sent took time.
            if (l.state != Answered || r.plan.verdict != kv::SnmpVerdict::Fits || r.notAsked)
                return QString();
            return QString::number(r.answer.ms);
        case ColVerdict:
            return l.verdict;
        }
        return QString();
    }

    QVector<Line> m_lines;
    QStringList m_headers;
    QString m_editedHint;
    bool m_allStale = false;
};

TFSnmpTestResults* TFSnmpTestResults::showFor(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent,
                                              const QVector<kv::SnmpRequest>& rows, const QVector<int>& numbers,
                                              const kv::SnmpTableLink& link)
{
    TFSnmpTestResults* w = kv::ShownChildWindow<TFSnmpTestResults>(parent);
    if (!w) {
        w = new TFSnmpTestResults(state, client, parent);
        w->setAttribute(Qt::WA_DeleteOnClose);
    }
    w->setTable(link);
    w->start(rows, numbers);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

TFSnmpTestResults::TFSnmpTestResults(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent)
    : kv::OwnedWindow(parent)
    , m_state(state)
    , m_client(client)
    , m_run(new kv::SnmpTestRun(client, InFlight, this))
    , m_model(new ResultModel(this))
{
    setObjectName(QStringLiteral("TFSnmpTestResults"));
    setModal(false);
    kv::ApplyCommonLook(this);

    QVBoxLayout* outer = kv::CreateTitledLayout(this, kv::SoftwareCode, &L_SW_Desc);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 4, 16, 4);
    body->setSpacing(4);
    L_SetNote = new QLabel(this);
    L_SetNote->setObjectName(QStringLiteral("L_SetNote"));
    L_SetNote->setWordWrap(true);
    L_SetNote->hide();
    body->addWidget(L_SetNote);
    L_Stale = new QLabel(this);
    L_Stale->setObjectName(QStringLiteral("L_Stale"));
    L_Stale->setWordWrap(true);
    kv::StyleBoldLabel(L_Stale, QColor(170, 20, 20));
    L_Stale->hide();
    body->addWidget(L_Stale);

    ACG_Results = new QTableView(this);
    ACG_Results->setObjectName(QStringLiteral("ACG_Results"));
    ACG_Results->setModel(m_model);
    ACG_Results->setSelectionBehavior(QAbstractItemView::SelectRows);
    ACG_Results->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ACG_Results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ACG_Results->setWordWrap(true);
    ACG_Results->setTextElideMode(Qt::ElideRight);
    ACG_Results->verticalHeader()->hide();
    ACG_Results->verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    ACG_Results->horizontalHeader()->setStretchLastSection(true);
    ACG_Results->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int widths[ColumnCount] = {42, 100, 170, 170, 170, 46, 300};
    for (int c = 0; c < ColumnCount; ++c)
        ACG_Results->setColumnWidth(c, widths[c]);
    // A double click, or Enter from the keyboard.
    connect(ACG_Results, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { ACG_ResultsDblClick(index.row()); });
    // Wrapped verdicts need other heights when their column changes width.
    auto* refit = new QTimer(this);
    refit->setSingleShot(true);
    connect(refit, &QTimer::timeout, this, &TFSnmpTestResults::fitRowHeights);
    connect(ACG_Results->horizontalHeader(), &QHeaderView::sectionResized, refit, [this, refit] {
        m_refitRow = 0;
        refit->start(0);
    });
    body->addWidget(ACG_Results, 1);
    outer->addLayout(body, 1);

    QWidget* buttons = kv::CreateButtonPanel(this);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(16, 6, 16, 6);
    row->setSpacing(12);
    L_Count = new QLabel(buttons);
    L_Count->setObjectName(QStringLiteral("L_Count"));
    row->addWidget(L_Count);
    L_Summary = new QLabel(buttons);
    L_Summary->setObjectName(QStringLiteral("L_Summary"));
    row->addWidget(L_Summary, 1);
    Btn_Cancel = new kv::StyledButton(QStringLiteral("Btn_Cancel"), buttons, kv::Glyph::Cancel);
    Btn_Cancel->setFixedSize(110, 28);
    Btn_Cancel->setAutoDefault(false);
    connect(Btn_Cancel, &QPushButton::clicked, this, &TFSnmpTestResults::Btn_CancelClick);
    row->addWidget(Btn_Cancel);
    outer->addWidget(buttons);

    m_showTimer = new QTimer(this);
    m_showTimer->setSingleShot(true);
    connect(m_showTimer, &QTimer::timeout, this, [this] { showArrived(); });
    connect(m_run, &kv::SnmpTestRun::rowTested, this, &TFSnmpTestResults::arrived);
    connect(m_run, &kv::SnmpTestRun::done, this, &TFSnmpTestResults::finished);

    setMinimumSize(600, 300);
    resize(1160, 520);
    Set_Lang();
}

TFSnmpTestResults::~TFSnmpTestResults()
{
    disconnect(m_run, nullptr, this, nullptr);
    m_run->cancel();
    if (m_run->busy()) {
        // Requests still out end within their time-out; the run that waits
        // for them outlives the window instead of holding up the dialog (the
        // application takes it: should the program end first, it waits there,
        // while the client it uses still exists).
        kv::SnmpTestRun* run = m_run;
        run->setParent(QCoreApplication::instance());
        auto* poll = new QTimer(run);
        connect(poll, &QTimer::timeout, run, [run] {
            if (!run->busy())
                run->deleteLater();
        });
        poll->start(50);
    }
}

void TFSnmpTestResults::Set_Lang()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    setWindowTitle(T(TxtCaption));
    L_SW_Desc->setText(T(TxtDescription));
    L_SW_Desc->adjustSize();
    L_SetNote->setText(T(TxtSetNote));
    L_Stale->setText(T(TxtRowsStale));
    m_model->setEditedHint(T(TxtRowEdited));
    QStringList headers;
    for (int c = 0; c < ColumnCount; ++c) {
        if (c == ColName)
            headers << T(TxtColumnName);
        else
            headers << T(TxtColumnRow + c - (c > ColName ? 1 : 0));
    }
    m_model->setHeaders(headers);
    for (ResultModel::Line& l : m_model->lines()) {
        if (l.state == ResultModel::Answered)
            l.verdict = kv::SnmpVerdictText(l.result, m_requests.value(l.result.plan.row), m_state.Lang, TimeoutMs);
        else
            l.verdict = T(l.state == ResultModel::Waiting ? TxtWaiting : TxtNotTested);
    }
    m_model->textsChanged();
    showProgress();
}

void TFSnmpTestResults::setTable(const kv::SnmpTableLink& link)
{
    for (const QMetaObject::Connection& c : m_tableConnections)
        disconnect(c);
    m_tableConnections.clear();
    m_link = link;
    const kv::SnmpTableModel* table = link.table;
    if (!table)
        return;
    m_tableConnections << connect(table, &QAbstractItemModel::dataChanged, this,
                                  [this](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                                      // Marks and hints of cells are not their content.
                                      if (roles.isEmpty() || roles.contains(Qt::EditRole))
                                          tableEdited(from.row() + 1, to.row() + 1);
                                  });
    m_tableConnections << connect(table, &kv::SnmpTableModel::rowsRenumbered, this, &TFSnmpTestResults::tableRenumbered);
    m_tableConnections << connect(table, &QAbstractItemModel::modelReset, this, &TFSnmpTestResults::tableRenumbered);
}

void TFSnmpTestResults::start(const QVector<kv::SnmpRequest>& rows, const QVector<int>& numbers)
{
    m_run->cancel();
    m_showTimer->stop();
    m_arrived.clear();
    m_requests.clear();
    // Every row is listed at once, waiting for its answer.
    QVector<ResultModel::Line> lines;
    lines.reserve(rows.size());
    bool setRow = false;
    for (int i = 0; i < rows.size(); ++i) {
        const int number = numbers.value(i, i + 1);
        m_requests.insert(number, rows[i]);
        setRow = setRow || kv::TrimCtl(rows[i].Mode) == QLatin1String("Set");
        ResultModel::Line line;
        line.result.plan = kv::PlanRowTest(rows[i], number, m_state.Lang);
        line.result.object = m_client.objectBounds(line.result.plan.oid);
        line.verdict = m_state.Text(TxtWaiting);
        lines << line;
    }
    std::stable_sort(lines.begin(), lines.end(), [](const ResultModel::Line& a, const ResultModel::Line& b) {
        return a.result.plan.row < b.result.plan.row;
    });
    m_model->setLines(lines);
    L_SetNote->setVisible(setRow);
    m_rowsStale = false;
    L_Stale->hide();
    m_total = int(rows.size());
    m_answered = 0;
    m_cancelled = false;
    m_run->start(rows, numbers, TimeoutMs, m_state.Lang);
    showProgress();
}

void TFSnmpTestResults::Btn_CancelClick()
{
    if (!running()) {
        close();
        return;
    }
    if (m_run->running()) {
        m_cancelled = true;
        m_run->cancel();
    }
    showArrived(true); // what came before the click
}

void TFSnmpTestResults::ACG_ResultsDblClick(int line)
{
    // After rows moved, the number would show whatever row has it now.
    if (m_rowsStale || !m_link.showRow || line < 0 || line >= m_model->rowCount())
        return;
    m_link.showRow(m_model->lines().at(line).result.plan.row);
}

void TFSnmpTestResults::tableEdited(int firstRow, int lastRow)
{
    if (!m_rowsStale)
        m_model->markEdited(firstRow, lastRow);
}

void TFSnmpTestResults::tableRenumbered()
{
    if (m_rowsStale || m_model->rowCount() == 0)
        return;
    m_rowsStale = true;
    m_model->setAllStale();
    L_Stale->show();
}

void TFSnmpTestResults::closeEvent(QCloseEvent* event)
{
    if (m_run->running()) {
        m_cancelled = true;
        m_run->cancel();
    }
    event->accept();
}


void TFSnmpTestResults::arrived(const kv::SnmpRowResult& result)
{
    m_arrived << result;
    if (!m_showTimer->isActive())
        m_showTimer->start(kGatherMs);
}

void TFSnmpTestResults::showArrived(bool all)
{
    QElapsedTimer slice;
    slice.start();
    int shown = 0;
    while (shown < m_arrived.size() && (all || shown == 0 || slice.elapsed() < kShowSliceMs)) {
        const kv::SnmpRowResult& r = m_arrived.at(shown++);
        const int pos = m_model->waitingLine(r.plan.row);
        if (pos < 0)
            continue;
        ResultModel::Line line;
        line.result = r;
        line.value = kv::SnmpValueText(r.answer);
        line.verdict = kv::SnmpVerdictText(r, m_requests.value(r.plan.row), m_state.Lang, TimeoutMs);
        line.state = ResultModel::Answered;
        m_model->setLine(pos, line);
        ++m_answered;
        ACG_Results->resizeRowToContents(pos);
    }
    m_arrived.remove(0, shown);
    if (!m_arrived.isEmpty())
        m_showTimer->start(0);
    if (!running())
        endWaiting();
    showProgress();
}

void TFSnmpTestResults::finished()
{
    if (!running())
        endWaiting();
    showProgress();
}

void TFSnmpTestResults::endWaiting()
{
    QVector<ResultModel::Line>& lines = m_model->lines();
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i).state != ResultModel::Waiting)
            continue;
        ResultModel::Line line = lines.at(i);
        line.state = ResultModel::NotTested;
        line.verdict = m_state.Text(TxtNotTested);
        m_model->setLine(i, line);
    }
}

void TFSnmpTestResults::showProgress()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    const int tested = m_answered;
    L_Count->setText(T(TxtCount).arg(tested).arg(m_total));
    const bool running = this->running();
    Btn_Cancel->setText(T(running ? TxtCancel : TxtClose));
    Btn_Cancel->setGlyph(running ? kv::Glyph::Cancel : kv::Glyph::Close);
    if (running) {
        L_Summary->clear();
        return;
    }
    int fit = 0, notTestable = 0;
    for (const ResultModel::Line& l : m_model->lines()) {
        if (l.state != ResultModel::Answered)
            continue;
        fit += l.result.verdict == kv::SnmpVerdict::Fits;
        notTestable += l.result.verdict == kv::SnmpVerdict::NotTestable;
    }
    QString summary = T(TxtSummary).arg(fit).arg(tested - fit - notTestable).arg(notTestable);
    if (m_cancelled && tested < m_total)
        summary = T(TxtCancelled).arg(m_total - tested) + QLatin1Char(' ') + summary;
    L_Summary->setText(summary);
}

void TFSnmpTestResults::fitRowHeights()
{
    // A few milliseconds at a time: 512 wrapped lines take a while to lay out.
    QElapsedTimer slice;
    slice.start();
    while (m_refitRow < m_model->rowCount() && slice.elapsed() < kShowSliceMs)
        ACG_Results->resizeRowToContents(m_refitRow++);
    if (m_refitRow < m_model->rowCount())
        QTimer::singleShot(0, this, &TFSnmpTestResults::fitRowHeights);
}
