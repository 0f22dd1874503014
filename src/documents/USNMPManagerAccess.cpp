#include "documents/USNMPManagerAccess.h"

#include "common/UStyle.h"
#include "documents/PositionListModel.h"
#include "documents/SnmpRequests.h"
#include "documents/SnmpTableModel.h"
#include "documents/UCheckBoxDelegate.h"
#include "documents/UComon.h"
#include "documents/UPickListDelegate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QStringListModel>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <array>

namespace {

enum : int {
    TxtCaption = 600,
    TxtDescription = 601,
    TxtOk = 602,
    TxtCancel = 603,
    TxtDelRow = 604,
    TxtInsRow = 605,
    TxtCopyRow = 606,
    TxtPasteRow = 607,
    TxtDeleteQuestion = 647,
    HintOk = 648,
    HintCancel = 649,
    HintDelRow = 650,
    HintInsRow = 651,
    HintCopyRow = 652,
    HintPasteRow = 653,
    TxtSurplusRows = 662,
    TxtInsertLosesLastRow = 663,
};

constexpr int kClientWidth = 1230;
constexpr int kClientHeight = 337;
constexpr int kMinClientWidth = 606 + 110 + 16; // right edge of the last button, and a margin
constexpr int kMinClientHeight = 240;           // title, header, four rows, scroll bar, buttons

// Per grid column 0..16: header text, column hint (none for 0), width.
struct ColumnSpec {
    int header;
    int hint;
    int width;
};
const std::array<ColumnSpec, kv::SnmpFieldCount + 1> kColumns = {{
    {608, 0, 40},
    {609, 623, 50},
    {610, 624, 90},
    {611, 625, 60},
    {612, 626, 106},
    {613, 627, 100},
    {614, 628, 65},
    {615, 629, 65},
    {616, 630, 75},
    {617, 631, 50},
    {618, 632, 65},
    {619, 633, 65},
    {620, 634, 75},
    {621, 635, 75},
    {654, 655, 95},
    {660, 661, 50},
    {622, 636, 80},
}};

QStringListModel* listModel(QObject* parent, std::initializer_list<const char*> items)
{
    QStringList l;
    for (const char* s : items)
        l << QString::fromLatin1(s);
    return new QStringListModel(l, parent);
}

} // namespace

TFSNMPManagerAccess::TFSNMPManagerAccess(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint)
    , m_state(state)
    , m_services(services)
{
    setObjectName(QStringLiteral("TFSNMPManagerAccess"));
    kv::ApplyCommonLook(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    QWidget* title = kv::CreateTitlePanel(this, kv::SoftwareCode, QString());
    L_SW_Code = title->findChild<QLabel*>(QStringLiteral("L_SW_Code"));
    L_SW_Desc = title->findChild<QLabel*>(QStringLiteral("L_SW_Desc"));
    layout->addWidget(title);

    createGrid();
    layout->addWidget(ACG_SNMP, 1);

    QWidget* buttons = kv::CreateButtonPanel(this);
    layout->addWidget(buttons);
    const auto button = [buttons](const char* name, int left, kv::Glyph glyph) {
        auto* b = new kv::StyledButton(QString::fromLatin1(name), buttons, glyph);
        b->setGeometry(left, 6, 110, 28);
        b->setAutoDefault(false);
        return b;
    };
    Btn_OK = button("Btn_OK", 16, kv::Glyph::Ok);
    Btn_Cancel = button("Btn_Cancel", 134, kv::Glyph::Cancel);
    Btn_DelRow = button("Btn_DelRow", 252, kv::Glyph::Delete);
    Btn_InsRow = button("Btn_InsRow", 370, kv::Glyph::Insert);
    Btn_CopyRow = button("Btn_CopyRow", 488, kv::Glyph::Copy);
    Btn_PasteRow = button("Btn_PasteRow", 606, kv::Glyph::Paste);
    connect(Btn_OK, &QPushButton::clicked, this, &TFSNMPManagerAccess::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Btn_DelRow, &QPushButton::clicked, this, &TFSNMPManagerAccess::Btn_DelRowClick);
    connect(Btn_InsRow, &QPushButton::clicked, this, &TFSNMPManagerAccess::Btn_InsRowClick);
    connect(Btn_CopyRow, &QPushButton::clicked, this, &TFSNMPManagerAccess::Btn_CopyRowClick);
    connect(Btn_PasteRow, &QPushButton::clicked, this, &TFSNMPManagerAccess::Btn_PasteRowClick);

    resize(kClientWidth, kClientHeight);
    // Small enough for a small screen, large enough for every button and a
    // few rows of the grid.
    setMinimumSize(kMinClientWidth, kMinClientHeight);
    Set_Lang();
}

void TFSNMPManagerAccess::createGrid()
{
    using namespace kv;
    m_model = new SnmpTableModel(this);
    m_positions = new PositionListModel(this);
    m_positions->setCount(SnmpMaxPositionChoices);
    m_versions = listModel(this, {"1", "2", "3"});
    m_communities = listModel(this, {"Marble", "Harbour"});
    m_types = listModel(this, {"String", "Int"});
    m_modes = listModel(this, {"Get", "Set", "Trap"});
    m_conversions = listModel(this, {"None", "Float", "Float * 10", "Float * 100"});

    ACG_SNMP = new QTableView(this);
    ACG_SNMP->setObjectName(QStringLiteral("ACG_SNMP"));
    ACG_SNMP->setModel(m_model);
    ACG_SNMP->setShowGrid(true);
    ACG_SNMP->setWordWrap(false);
    ACG_SNMP->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ACG_SNMP->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ACG_SNMP->setSelectionMode(QAbstractItemView::ContiguousSelection);
    ACG_SNMP->setSelectionBehavior(QAbstractItemView::SelectItems);
    ACG_SNMP->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                              | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);

    // The row numbers (column 0) are the vertical header: it stays in place
    // while the columns scroll, as a fixed column does.
    QHeaderView* rowsHeader = ACG_SNMP->verticalHeader();
    rowsHeader->setSectionResizeMode(QHeaderView::Fixed);
    rowsHeader->setDefaultSectionSize(20);
    rowsHeader->setFixedWidth(kColumns[0].width);
    rowsHeader->setDefaultAlignment(Qt::AlignCenter);
    ACG_SNMP->setColumnHidden(ColRowNumber, true);

    QHeaderView* header = ACG_SNMP->horizontalHeader();
    header->setFixedHeight(22);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setHighlightSections(false);
    header->setMinimumSectionSize(8);
    for (int c = 1; c <= SnmpFieldCount; ++c)
        ACG_SNMP->setColumnWidth(c, kColumns[size_t(c)].width);
    ACG_SNMP->setColumnHidden(ColOnCommand, true);

    // A double click on a header or its border goes to the auto-size setting
    // only, never to the view's own column fitting.
    disconnect(header, &QHeaderView::sectionHandleDoubleClicked, nullptr, nullptr);
    connect(header, &QHeaderView::sectionHandleDoubleClicked, this,
            [this](int column) { ACG_SNMPDblClickCell(0, column); });
    connect(header, &QHeaderView::sectionDoubleClicked, this, [this](int column) { ACG_SNMPDblClickCell(0, column); });
    connect(ACG_SNMP, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { ACG_SNMPDblClickCell(index.row() + 1, index.column()); });

    auto* checkBoxes = new CheckBoxDelegate(this);
    for (int c = 1; c <= SnmpFieldCount; ++c) {
        if (SnmpRequest::IsCheckBoxColumn(c))
            ACG_SNMP->setItemDelegateForColumn(c, checkBoxes);
    }
    const auto pickList = [this](int column, QAbstractItemModel* choices, bool editable) {
        ACG_SNMP->setItemDelegateForColumn(column, new PickListDelegate(choices, editable, this));
    };
    pickList(ColVersion, m_versions, false);
    pickList(ColCommunity, m_communities, true);
    pickList(ColType, m_types, false);
    pickList(ColMode, m_modes, false);
    pickList(ColPosition, m_positions, false);
    pickList(ColConvertFrom, m_conversions, false);

    // Enter that ends an edit also jumps: the editors report it as a submit.
    const auto onClose = [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
        if (hint == QAbstractItemDelegate::SubmitModelCache)
            ACG_SNMPKeyPress(Qt::Key_Return);
    };
    connect(ACG_SNMP->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, onClose);
    for (int c = 1; c <= SnmpFieldCount; ++c) {
        QAbstractItemDelegate* d = ACG_SNMP->itemDelegateForColumn(c);
        if (d && d != checkBoxes)
            connect(d, &QAbstractItemDelegate::closeEditor, this, onClose);
    }

    ACG_SNMP->installEventFilter(this);
    // The corner above the row numbers carries the caption of column 0.
    m_cornerButton = ACG_SNMP->findChild<QAbstractButton*>();
    if (m_cornerButton)
        m_cornerButton->installEventFilter(this);
}

void TFSNMPManagerAccess::Set_Lang()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    setWindowTitle(T(TxtCaption));
    L_SW_Desc->setText(T(TxtDescription));
    L_SW_Desc->adjustSize();
    Btn_OK->setText(T(TxtOk));
    Btn_OK->setToolTip(T(HintOk));
    Btn_Cancel->setText(T(TxtCancel));
    Btn_Cancel->setToolTip(T(HintCancel));
    Btn_DelRow->setText(T(TxtDelRow));
    Btn_DelRow->setToolTip(T(HintDelRow));
    Btn_InsRow->setText(T(TxtInsRow));
    Btn_InsRow->setToolTip(T(HintInsRow));
    Btn_CopyRow->setText(T(TxtCopyRow));
    Btn_CopyRow->setToolTip(T(HintCopyRow));
    Btn_PasteRow->setText(T(TxtPasteRow));
    Btn_PasteRow->setToolTip(T(HintPasteRow));

    QStringList captions;
    m_hintSnmp.clear();
    for (size_t c = 0; c < kColumns.size(); ++c) {
        captions << T(kColumns[c].header);
        if (c > 0)
            m_hintSnmp << T(kColumns[c].hint);
    }
    m_model->setHeaders(captions, m_hintSnmp);
    m_cornerText = captions.constFirst();
    if (m_cornerButton)
        m_cornerButton->update();
}

int TFSNMPManagerAccess::exec()
{
    if (!FormShow())
        return QDialog::Rejected;
    kv::CenterOnScreen(this);
    return QDialog::exec();
}

bool TFSNMPManagerAccess::FormShow()
{
    kv::SnmpTable table;
    const kv::XmlLoad load = kv::LoadSnmpRequests(m_state.ParGenPath, m_state.SnmpManagerPath, table);
    if (load.status == kv::XmlLoad::Error) {
        m_services.messages->error(isVisible() ? this : parentWidget(), load.message);
        return false;
    }
    m_positions->setCount(table.PositionChoiceCount);
    m_model->setRows(table.rows);
    ACG_SNMP->setColumnHidden(kv::ColOnCommand, true);
    m_doCopySnmp = false;
    m_surplusWarningPending = table.surplusRows > 0;
    ACG_SNMP->setCurrentIndex(m_model->index(0, kv::ColEnable));
    ACG_SNMP->scrollToTop();
    if (ACG_SNMP->isEnabled())
        ACG_SNMP->setFocus();
    if (isVisible())
        showSurplusWarning();
    return true;
}

void TFSNMPManagerAccess::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ACG_SNMP->setFocus();
    // Once the window is up, so that the warning sits over the table it is about.
    if (m_surplusWarningPending)
        QTimer::singleShot(0, this, &TFSNMPManagerAccess::showSurplusWarning);
}

void TFSNMPManagerAccess::showSurplusWarning()
{
    if (!m_surplusWarningPending)
        return;
    m_surplusWarningPending = false;
    m_services.messages->warning(this, m_state.Text(TxtSurplusRows));
}

void TFSNMPManagerAccess::keyPressEvent(QKeyEvent* event)
{
    // Escape would throw away every edit of the table without a question;
    // leaving is for Cancel and the close box.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFSNMPManagerAccess::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ACG_SNMP && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Enter in an open editor reaches the grid too, after the editor has
        // asked to close with a submit; that close makes the one jump.
        if (editorOpen() && (key == Qt::Key_Return || key == Qt::Key_Enter))
            return m_state.Settings.EnableJumpFieldTables;
        if (ACG_SNMPKeyPress(key))
            return true;
    } else if (watched == m_cornerButton && event->type() == QEvent::Paint) {
        auto* corner = static_cast<QAbstractButton*>(watched);
        QPainter p(corner);
        QStyleOptionHeader opt;
        opt.initFrom(corner);
        opt.state |= QStyle::State_Raised;
        opt.rect = corner->rect();
        opt.position = QStyleOptionHeader::OnlyOneSection;
        opt.text = m_cornerText;
        opt.textAlignment = Qt::AlignCenter;
        corner->style()->drawControl(QStyle::CE_Header, &opt, &p, corner);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TFSNMPManagerAccess::ACG_SNMPKeyPress(int key)
{
    return kv::GridEnterKey(ACG_SNMP, key, m_state.Settings.EnableJumpFieldTables);
}

void TFSNMPManagerAccess::ACG_SNMPDblClickCell(int row, int column)
{
    kv::GridDblClickAutoSize(ACG_SNMP, row, column, m_state.Settings.DoubleClickAutoSize);
}

bool TFSNMPManagerAccess::editorOpen() const
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && ACG_SNMP->viewport()->isAncestorOf(focus);
}

void TFSNMPManagerAccess::commitOpenEditor()
{
    if (editorOpen())
        ACG_SNMP->setFocus(); // the editor commits when it loses the focus
}

bool TFSNMPManagerAccess::Controllo_dati()
{
    QString message;
    if (kv::Controllo_dati(m_model->rows(), m_state.Lang, &message))
        return true;
    m_services.messages->error(this, message);
    return false;
}

void TFSNMPManagerAccess::Btn_OKClick()
{
    commitOpenEditor();
    if (!Controllo_dati())
        return;
    QString error;
    if (!kv::SaveSnmpRequests(m_model->rows(), m_state.SnmpManagerPath, &error)) {
        m_services.messages->error(this, error);
        return;
    }
    accept();
}

void TFSNMPManagerAccess::Btn_DelRowClick()
{
    commitOpenEditor();
    const int row = kv::GridCurrentRow(ACG_SNMP);
    if (!m_services.messages->question(this, m_state.Text(TxtDeleteQuestion) + QString::number(row)))
        return;
    kv::GridDeleteRow(ACG_SNMP, row);
}

void TFSNMPManagerAccess::Btn_InsRowClick()
{
    commitOpenEditor();
    // The last row falls off the table: asked first when it holds a request.
    const int last = m_model->rowCount();
    if (kv::GridRowUsed(ACG_SNMP, last)
        && !m_services.messages->question(this, m_state.Text(TxtInsertLosesLastRow), kv::IMessageService::Default::No))
        return;
    kv::GridInsertRow(ACG_SNMP, kv::GridCurrentRow(ACG_SNMP));
}

void TFSNMPManagerAccess::Btn_CopyRowClick()
{
    commitOpenEditor();
    kv::GridCopyRow(ACG_SNMP, kv::GridCurrentRow(ACG_SNMP), m_state.RowCopyBuffer);
    m_doCopySnmp = true;
}

void TFSNMPManagerAccess::Btn_PasteRowClick()
{
    commitOpenEditor();
    kv::GridPasteRow(ACG_SNMP, kv::GridCurrentRow(ACG_SNMP), m_doCopySnmp, m_state.RowCopyBuffer, m_state.Lang,
                     *m_services.messages, this);
}
