#include "snmp/USnmpBrowser.h"

#include "common/TextRules.h"
#include "common/UStyle.h"
#include "requests/TextChecks.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

enum : int {
    TxtCancel = 603,
    TxtCaption = 1160,
    TxtAgent = 1161,
    TxtStartOid = 1162,
    TxtWalk = 1163,
    TxtStop = 1164,
    TxtFilter = 1165,
    TxtOid = 1166,
    TxtName = 1167,
    TxtType = 1168,
    TxtValue = 1169,
    TxtUseOid = 1170,
    TxtCannotBrowse = 1171,
    TxtCount = 1172,
    TxtComplete = 1173,
    TxtObjectLimit = 1174,
    TxtTimeLimit = 1175,
    TxtNoAnswer = 1176,
    TxtNotIncreasing = 1177,
    TxtStopped = 1178,
    TxtBadStartOid = 1179,
    TxtAgentError = 1224,
};

enum Column { ColOid, ColName, ColType, ColValue };

const QString kDefaultStart = QStringLiteral("1.3.6.1.2.1");
constexpr int kMaxObjects = kv::SnmpWalk::MaxObjects;
constexpr int kMaxMs = 30000;

} // namespace

QString TFSnmpBrowser::choose(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent, const kv::SnmpRequest& row,
                              int number)
{
    TFSnmpBrowser w(state, client, row, number, parent);
    return w.exec() == QDialog::Accepted ? w.chosenOid() : QString();
}

TFSnmpBrowser::TFSnmpBrowser(kv::AppState& state, kv::ISnmpClient& client, const kv::SnmpRequest& row, int number,
                             QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint)
    , m_state(state)
    , m_walk(client)
    , m_number(number)
{
    setObjectName(QStringLiteral("TFSnmpBrowser"));
    kv::ApplyCommonLook(this);

    // The row's agent as the device would ask it; a row without an address
    // of four numbers or without SNMP version 1 or 2 cannot be walked.
    const QString agent = kv::TrimCtl(row.IP_Address);
    const QString version = kv::TrimCtl(row.Version);
    std::array<quint8, 4> bytes{};
    m_canWalk = !kv::CheckIpAddressText(agent, bytes)
        && (version == QLatin1String("1") || version == QLatin1String("2"));
    m_target = kv::SnmpTarget{agent, version == QLatin1String("1") ? 1 : 2, row.Community_String, 1000, 1};

    QVBoxLayout* outer = kv::CreateTitledLayout(this, kv::SoftwareCode, &L_SW_Desc);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 6, 16, 6);
    body->setSpacing(6);
    L_Agent = new QLabel(this);
    L_Agent->setObjectName(QStringLiteral("L_Agent"));
    L_Agent->setTextFormat(Qt::PlainText);
    body->addWidget(L_Agent);

    auto* startRow = new QHBoxLayout;
    L_StartOid = new QLabel(this);
    E_StartOid = new QLineEdit(kDefaultStart, this);
    E_StartOid->setObjectName(QStringLiteral("E_StartOid"));
    L_StartOid->setBuddy(E_StartOid);
    Btn_Walk = new kv::StyledButton(QStringLiteral("Btn_Walk"), this, kv::Glyph::Search);
    Btn_Walk->setAutoDefault(false);
    Btn_Stop = new kv::StyledButton(QStringLiteral("Btn_Stop"), this, kv::Glyph::Cancel);
    Btn_Stop->setAutoDefault(false);
    Btn_Stop->setEnabled(false);
    startRow->addWidget(L_StartOid);
    startRow->addWidget(E_StartOid, 1);
    startRow->addWidget(Btn_Walk);
    startRow->addWidget(Btn_Stop);
    startRow->addSpacing(24);
    L_Filter = new QLabel(this);
    E_Filter = new QLineEdit(this);
    E_Filter->setObjectName(QStringLiteral("E_Filter"));
    E_Filter->setClearButtonEnabled(true);
    L_Filter->setBuddy(E_Filter);
    startRow->addWidget(L_Filter);
    startRow->addWidget(E_Filter, 1);
    body->addLayout(startRow);

    m_objects = new QStandardItemModel(0, 4, this);
    m_filter = new QSortFilterProxyModel(this);
    m_filter->setSourceModel(m_objects);
    m_filter->setFilterKeyColumn(-1);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    TV_Objects = new QTableView(this);
    TV_Objects->setObjectName(QStringLiteral("TV_Objects"));
    TV_Objects->setModel(m_filter);
    TV_Objects->setSelectionBehavior(QAbstractItemView::SelectRows);
    TV_Objects->setSelectionMode(QAbstractItemView::SingleSelection);
    TV_Objects->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TV_Objects->setWordWrap(false);
    TV_Objects->verticalHeader()->hide();
    TV_Objects->verticalHeader()->setDefaultSectionSize(20);
    TV_Objects->horizontalHeader()->setStretchLastSection(true);
    TV_Objects->setColumnWidth(ColOid, 210);
    TV_Objects->setColumnWidth(ColName, 260);
    TV_Objects->setColumnWidth(ColType, 90);
    body->addWidget(TV_Objects, 1);

    auto* countRow = new QHBoxLayout;
    L_Status = new QLabel(this);
    L_Status->setObjectName(QStringLiteral("L_Status"));
    L_Status->setTextFormat(Qt::PlainText);
    L_Status->setWordWrap(true);
    L_Count = new QLabel(this);
    L_Count->setObjectName(QStringLiteral("L_Count"));
    countRow->addWidget(L_Status, 1);
    countRow->addWidget(L_Count);
    body->addLayout(countRow);
    outer->addLayout(body, 1);

    QWidget* buttons = kv::CreateButtonPanel(this);
    auto* row2 = new QHBoxLayout(buttons);
    row2->setContentsMargins(16, 6, 16, 6);
    row2->addStretch(1);
    Btn_OK = new kv::StyledButton(QStringLiteral("Btn_OK"), buttons, kv::Glyph::Ok);
    Btn_OK->setMinimumSize(110, 28);
    Btn_OK->setAutoDefault(false);
    Btn_OK->setEnabled(false);
    Btn_Cancel = new kv::StyledButton(QStringLiteral("Btn_Cancel"), buttons, kv::Glyph::Cancel);
    Btn_Cancel->setMinimumSize(110, 28);
    Btn_Cancel->setAutoDefault(false);
    row2->addWidget(Btn_OK);
    row2->addWidget(Btn_Cancel);
    outer->addWidget(buttons);

    connect(Btn_Walk, &QPushButton::clicked, this, &TFSnmpBrowser::Btn_WalkClick);
    connect(Btn_Stop, &QPushButton::clicked, this, &TFSnmpBrowser::Btn_StopClick);
    connect(E_StartOid, &QLineEdit::returnPressed, this, &TFSnmpBrowser::Btn_WalkClick);
    connect(Btn_OK, &QPushButton::clicked, this, &TFSnmpBrowser::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &TFSnmpBrowser::reject);
    connect(TV_Objects, &QAbstractItemView::doubleClicked, this, &TFSnmpBrowser::Btn_OKClick);
    // Enter on an object takes it, as a double click does.
    TV_Objects->installEventFilter(this);
    connect(E_Filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_filter->setFilterFixedString(text.trimmed());
        showCount();
    });
    connect(TV_Objects->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { Btn_OK->setEnabled(current.isValid()); });
    connect(m_filter, &QAbstractItemModel::modelReset, this, [this] { Btn_OK->setEnabled(TV_Objects->currentIndex().isValid()); });
    connect(m_filter, &QAbstractItemModel::layoutChanged, this, [this] { Btn_OK->setEnabled(TV_Objects->currentIndex().isValid()); });
    connect(&m_walk, &kv::SnmpWalk::found, this, &TFSnmpBrowser::addObjects);
    connect(&m_walk, &kv::SnmpWalk::finished, this, &TFSnmpBrowser::walkEnded);

    resize(900, 520);
    Set_Lang();
}

void TFSnmpBrowser::Set_Lang()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    setWindowTitle(T(TxtCaption));
    L_SW_Desc->setText(T(TxtCaption));
    L_SW_Desc->adjustSize();
    // One pass: a % in the community stays as it is.
    L_Agent->setText(T(TxtAgent).arg(QString::number(m_number), m_target.agent,
                                     m_target.version == 1 ? QStringLiteral("1") : QStringLiteral("2c"), m_target.community));
    L_StartOid->setText(T(TxtStartOid));
    Btn_Walk->setText(T(TxtWalk));
    Btn_Stop->setText(T(TxtStop));
    L_Filter->setText(T(TxtFilter));
    m_objects->setHorizontalHeaderLabels({T(TxtOid), T(TxtName), T(TxtType), T(TxtValue)});
    Btn_OK->setText(T(TxtUseOid));
    Btn_Cancel->setText(T(TxtCancel));
    if (!m_canWalk)
        L_Status->setText(T(TxtCannotBrowse));
    showCount();
}

void TFSnmpBrowser::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    E_Filter->setFocus();
    if (m_canWalk)
        Btn_WalkClick();
    else
        Btn_Walk->setEnabled(false);
}

void TFSnmpBrowser::Btn_WalkClick()
{
    if (!m_canWalk)
        return;
    const QString start = kv::TrimCtl(E_StartOid->text());
    if (kv::CheckOidText(start) != 0 || !start.contains(QLatin1Char('.'))) {
        L_Status->setText(m_state.Text(TxtBadStartOid));
        E_StartOid->setFocus();
        E_StartOid->selectAll();
        return;
    }
    m_walk.cancel();
    m_objects->removeRows(0, m_objects->rowCount());
    m_endText.clear();
    L_Status->clear();
    setWalking(true);
    m_walk.start(m_target, start, kMaxObjects, kMaxMs);
    showCount();
}

void TFSnmpBrowser::Btn_StopClick()
{
    m_walk.cancel();
}

void TFSnmpBrowser::Btn_OKClick()
{
    const QModelIndex current = TV_Objects->currentIndex();
    if (!current.isValid())
        return;
    m_chosen = m_filter->index(current.row(), ColOid).data().toString();
    m_walk.cancel();
    accept();
}

bool TFSnmpBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TV_Objects && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && TV_Objects->currentIndex().isValid()) {
            Btn_OKClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFSnmpBrowser::reject()
{
    m_walk.cancel();
    QDialog::reject();
}

int TFSnmpBrowser::objectCount() const
{
    return m_objects->rowCount();
}

int TFSnmpBrowser::shownCount() const
{
    return m_filter->rowCount();
}

void TFSnmpBrowser::addObjects(const QVector<kv::SnmpObject>& objects)
{
    for (const kv::SnmpObject& o : objects) {
        QList<QStandardItem*> items;
        items << new QStandardItem(o.oid) << new QStandardItem(o.name)
              << new QStandardItem(o.value.hex ? QStringLiteral("Hex-STRING") : o.value.type);
        auto* value = new QStandardItem(o.value.value);
        value->setToolTip(o.value.value.left(1000));
        items << value;
        m_objects->appendRow(items);
    }
    showCount();
}

void TFSnmpBrowser::walkEnded(kv::SnmpWalk::End end)
{
    setWalking(false);
    int text = TxtStopped;
    switch (end) {
    case kv::SnmpWalk::Complete: text = TxtComplete; break;
    case kv::SnmpWalk::ObjectLimit: text = TxtObjectLimit; break;
    case kv::SnmpWalk::TimeLimit: text = TxtTimeLimit; break;
    case kv::SnmpWalk::NoAnswer: text = TxtNoAnswer; break;
    case kv::SnmpWalk::NotIncreasing: text = TxtNotIncreasing; break;
    case kv::SnmpWalk::Cancelled: text = TxtStopped; break;
    case kv::SnmpWalk::AgentError: text = TxtAgentError; break;
    }
    QString said = m_state.Text(text);
    if (text == TxtObjectLimit)
        said = said.arg(kMaxObjects);
    else if (text == TxtAgentError)
        said = said.arg(m_walk.error());
    L_Status->setText(said);
}

void TFSnmpBrowser::showCount()
{
    L_Count->setText(m_state.Text(TxtCount).arg(QString::number(m_objects->rowCount()), QString::number(m_filter->rowCount())));
}

void TFSnmpBrowser::setWalking(bool on)
{
    Btn_Walk->setEnabled(!on && m_canWalk);
    Btn_Stop->setEnabled(on);
}
