#include "snmp/USnmpTestResults.h"

#include "common/TextRules.h"
#include "common/UStyle.h"
#include "documents/USNMPManagerAccess.h"
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
};

enum Column { ColRow, ColAgent, ColOid, ColValue, ColMs, ColVerdict, ColumnCount };

// Time the window spends on showing results before it lets other events
// run: answers from a fast agent arrive faster than lines can be laid out.
constexpr int kShowSliceMs = 15;
// Answers are gathered this long before they are shown: every agent's
// requests go on meanwhile, instead of waiting for the table to be drawn
// after each answer.
constexpr int kGatherMs = 20;

// A value longer than this shows cut in its cell and whole in its tool tip.
constexpr int kValueShown = 60;

} // namespace

// The results in table row order, with their texts made once.
class TFSnmpTestResults::ResultModel : public QAbstractTableModel {
public:
    struct Line {
        kv::SnmpRowResult result;
        QString value;
        QString verdict;
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
        case Qt::ToolTipRole:
            return text(l, index.column());
        case Qt::TextAlignmentRole:
            if (index.column() == ColRow || index.column() == ColMs)
                return int(Qt::AlignRight | Qt::AlignTop);
            return int(Qt::AlignLeft | Qt::AlignTop);
        case Qt::ForegroundRole:
            if (index.column() != ColVerdict)
                return QVariant();
            if (l.result.verdict == kv::SnmpVerdict::Fits)
                return QColor(0, 110, 40);
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
    // Puts the line in row order; its position.
    int add(const Line& line)
    {
        const auto at = std::lower_bound(m_lines.cbegin(), m_lines.cend(), line.result.plan.row,
                                         [](const Line& l, int row) { return l.result.plan.row < row; });
        const int pos = int(at - m_lines.cbegin());
        beginInsertRows(QModelIndex(), pos, pos);
        m_lines.insert(pos, line);
        endInsertRows();
        return pos;
    }
    void clear()
    {
        beginResetModel();
        m_lines.clear();
        endResetModel();
    }
    QVector<Line>& lines() { return m_lines; }
    void textsChanged()
    {
        if (!m_lines.isEmpty())
            emit dataChanged(index(0, 0), index(int(m_lines.size()) - 1, ColumnCount - 1));
    }

private:
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
        case ColValue:
            return l.value;
        case ColMs:
            // Only rows that were sent took time.
            if (r.plan.verdict != kv::SnmpVerdict::Fits || r.notAsked)
                return QString();
            return QString::number(r.answer.ms);
        case ColVerdict:
            return l.verdict;
        }
        return QString();
    }

    QVector<Line> m_lines;
    QStringList m_headers;
};

TFSnmpTestResults* TFSnmpTestResults::showFor(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent,
                                              const QVector<kv::SnmpRequest>& rows, const QVector<int>& numbers)
{
    TFSnmpTestResults* w = nullptr;
    if (parent) {
        // A window closed a moment ago may wait for its deletion: only a shown one counts.
        for (TFSnmpTestResults* open : parent->findChildren<TFSnmpTestResults*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (open->isVisible())
                w = open;
        }
    }
    if (!w) {
        w = new TFSnmpTestResults(state, client, parent);
        w->setAttribute(Qt::WA_DeleteOnClose);
    }
    w->start(rows, numbers);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

TFSnmpTestResults::TFSnmpTestResults(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint)
    , m_state(state)
    , m_run(new kv::SnmpTestRun(client, InFlight, this))
    , m_model(new ResultModel(this))
{
    setObjectName(QStringLiteral("TFSnmpTestResults"));
    setModal(false);
    kv::ApplyCommonLook(this);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    QWidget* title = kv::CreateTitlePanel(this, kv::SoftwareCode, QString());
    L_SW_Desc = title->findChild<QLabel*>(QStringLiteral("L_SW_Desc"));
    outer->addWidget(title);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 4, 16, 4);
    body->setSpacing(4);
    L_SetNote = new QLabel(this);
    L_SetNote->setObjectName(QStringLiteral("L_SetNote"));
    L_SetNote->setWordWrap(true);
    L_SetNote->hide();
    body->addWidget(L_SetNote);

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
    const int widths[ColumnCount] = {42, 100, 190, 190, 46, 300};
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

    // The results belong to the showing of the table they came from.
    if (parent)
        parent->installEventFilter(this);

    setMinimumSize(600, 300);
    resize(1000, 520);
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
    QStringList headers;
    for (int c = 0; c < ColumnCount; ++c)
        headers << T(TxtColumnRow + c);
    m_model->setHeaders(headers);
    for (ResultModel::Line& l : m_model->lines())
        l.verdict = kv::SnmpVerdictText(l.result, m_requests.value(l.result.plan.row), m_state.Lang, TimeoutMs);
    m_model->textsChanged();
    showProgress();
}

void TFSnmpTestResults::start(const QVector<kv::SnmpRequest>& rows, const QVector<int>& numbers)
{
    m_run->cancel();
    m_showTimer->stop();
    m_arrived.clear();
    m_model->clear();
    m_requests.clear();
    bool setRow = false;
    for (int i = 0; i < rows.size(); ++i) {
        m_requests.insert(numbers.value(i, i + 1), rows[i]);
        setRow = setRow || kv::TrimCtl(rows[i].Mode) == QLatin1String("Set");
    }
    L_SetNote->setVisible(setRow);
    m_total = int(rows.size());
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
    auto* dialog = qobject_cast<TFSNMPManagerAccess*>(parentWidget());
    if (!dialog || line < 0 || line >= m_model->rowCount())
        return;
    const int row = m_model->lines().at(line).result.plan.row;
    dialog->showCells(row, kv::ColEnable, row, kv::SnmpFieldCount);
}

void TFSnmpTestResults::closeEvent(QCloseEvent* event)
{
    if (m_run->running()) {
        m_cancelled = true;
        m_run->cancel();
    }
    event->accept();
}

bool TFSnmpTestResults::eventFilter(QObject* watched, QEvent* event)
{
    // Not when the window system hides it (minimised): only when it closes.
    if (watched == parentWidget() && event->type() == QEvent::Hide && !event->spontaneous())
        close();
    return QDialog::eventFilter(watched, event);
}

void TFSnmpTestResults::reject()
{
    // Esc closes like the title bar's button: cancelled, then deleted.
    close();
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
        const ResultModel::Line line{r, kv::SnmpValueText(r.answer),
                                     kv::SnmpVerdictText(r, m_requests.value(r.plan.row), m_state.Lang, TimeoutMs)};
        ACG_Results->resizeRowToContents(m_model->add(line));
    }
    m_arrived.remove(0, shown);
    if (!m_arrived.isEmpty())
        m_showTimer->start(0);
    showProgress();
}

void TFSnmpTestResults::finished()
{
    showProgress();
}

void TFSnmpTestResults::showProgress()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    const int tested = m_model->rowCount();
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
