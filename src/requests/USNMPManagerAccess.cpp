#include "requests/USNMPManagerAccess.h"

#include "common/UStyle.h"
#include "requests/DeviceLimits.h"
#include "requests/PositionListModel.h"
#include "requests/SnmpRequests.h"
#include "requests/SnmpRowTest.h"
#include "requests/SnmpTableModel.h"
#include "requests/SnmpTableText.h"
#include "requests/SnmpTools.h"
#include "requests/UCheckBoxDelegate.h"
#include "requests/UComon.h"
#include "requests/UDataMap.h"
#include "requests/UPickListDelegate.h"
#include "requests/USnmpFillRowsCommand.h"
#include "requests/USnmpTableCommands.h"

#include "common/AtomicFile.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QStringListModel>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>

#include <array>
#include <climits>

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
    TxtFileExists = 1103,
    TxtImportReplaces = 1118,
    TxtUndo = 1119,
    TxtRedo = 1120,
    TxtCopyCells = 1121,
    TxtPasteCells = 1122,
    TxtExport = 1123,
    TxtImport = 1124,
    TxtExportCaption = 1125,
    TxtImportCaption = 1126,
    TxtCsvFilter = 1127,
    TxtTestRequests = 1138,
    TxtBrowseAgent = 1139,
    TxtDataMap = 1246,
    TxtMibLibrary = 1263,
    TxtMibTree = 1273,
    TxtMibRowsUndo = 1287,
    TxtMibRefused = 1225,
    TxtMibPastEnd = 1231,
    TxtMibReplaces = 1232,
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

QStringListModel* listModel(QObject* parent, int column)
{
    return new QStringListModel(kv::SnmpColumnChoices(column, 0), parent);
}

} // namespace

// The undo stack is a child: it clears itself, and says so, only after this
// part of the dialog is gone, so it must not call back into it then.
TFSNMPManagerAccess::~TFSNMPManagerAccess()
{
    if (m_undo)
        m_undo->disconnect(this);
}

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
    m_versions = listModel(this, ColVersion);
    m_communities = listModel(this, ColCommunity);
    m_types = listModel(this, ColType);
    m_modes = listModel(this, ColMode);
    m_conversions = listModel(this, ColConvertFrom);

    ACG_SNMP = new QTableView(this);
    ACG_SNMP->setObjectName(QStringLiteral("ACG_SNMP"));
    ACG_SNMP->setModel(m_model);
    m_model->setLimitMark(QVariant::fromValue(style()->standardIcon(QStyle::SP_MessageBoxWarning)), &m_state.Lang);
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
    const auto pickList = [this](int column, QAbstractItemModel* choices, bool editable, int maxLength = 0) {
        ACG_SNMP->setItemDelegateForColumn(column, new PickListDelegate(choices, editable, this, maxLength));
    };
    pickList(ColVersion, m_versions, false);
    // The editor takes what the device keeps, as a paste and an import do.
    pickList(ColCommunity, m_communities, true, CommunityMaxChars);
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

    m_undo = new QUndoStack(this);
    // A cell written by its editor (or by a test): the model holds the new
    // text already, the push records it.
    connect(m_model, &SnmpTableModel::cellEdited, this,
            [this](int row, int column, const QString& before, const QString& after) {
                pushEdit(new SnmpCellCommand(m_model, row, column, before, after));
            });
    connect(m_undo, &QUndoStack::indexChanged, this, &TFSNMPManagerAccess::undoIndexChanged);
    createActions();

    ACG_SNMP->installEventFilter(this);
    // The corner above the row numbers carries the caption of column 0.
    m_cornerButton = ACG_SNMP->findChild<QAbstractButton*>();
    if (m_cornerButton)
        m_cornerButton->installEventFilter(this);
}

void TFSNMPManagerAccess::createActions()
{
    const auto action = [this](const char* name, std::initializer_list<QKeySequence> keys, void (TFSNMPManagerAccess::*slot)()) {
        auto* a = new QAction(this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcuts(QList<QKeySequence>(keys));
        // Wherever the focus is in the dialog (the grid, a button just
        // clicked, after a message box); an open text editor takes its own
        // copy, paste and undo keys first.  Not in the results and browse
        // windows, which are windows of their own.
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(a, &QAction::triggered, this, slot);
        addAction(a);
        return a;
    };
    m_actUndo = action("Act_Undo", {QKeySequence::Undo}, &TFSNMPManagerAccess::undoOnce);
    m_actRedo = action("Act_Redo", {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
                       &TFSNMPManagerAccess::redoOnce);
    m_actCopy = action("Act_CopyCells", {QKeySequence::Copy}, &TFSNMPManagerAccess::CopyCells);
    m_actPaste = action("Act_PasteCells", {QKeySequence::Paste}, &TFSNMPManagerAccess::PasteCells);
    m_actExport = action("Act_Export", {QKeySequence(Qt::CTRL | Qt::Key_E)}, &TFSNMPManagerAccess::ExportTable);
    m_actImport = action("Act_Import", {QKeySequence(Qt::CTRL | Qt::Key_I)}, &TFSNMPManagerAccess::ImportTable);
    m_actTest = action("Act_TestRequests", {QKeySequence(Qt::CTRL | Qt::Key_T)}, &TFSNMPManagerAccess::TestRequests);
    m_actBrowse = action("Act_BrowseAgent", {QKeySequence(Qt::CTRL | Qt::Key_B)}, &TFSNMPManagerAccess::BrowseAgent);
    m_actDataMap = action("Act_DataMap", {QKeySequence(Qt::CTRL | Qt::Key_M)}, &TFSNMPManagerAccess::ShowDataMap);
    m_actMibLibrary = action("Act_MibLibrary", {QKeySequence(Qt::CTRL | Qt::Key_L)}, &TFSNMPManagerAccess::ShowMibLibrary);
    m_actMibLibrary->setEnabled(m_services.snmp != nullptr);
    m_actMibTree = action("Act_MibTree", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L)}, &TFSNMPManagerAccess::ShowMibTree);
    m_actMibTree->setEnabled(m_services.snmp != nullptr);
    updateNetworkActions();
    m_actUndo->setEnabled(false);
    m_actRedo->setEnabled(false);
    connect(m_undo, &QUndoStack::canUndoChanged, m_actUndo, &QAction::setEnabled);
    connect(m_undo, &QUndoStack::canRedoChanged, m_actRedo, &QAction::setEnabled);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("PM_SNMP"));
    m_menu->addAction(m_actUndo);
    m_menu->addAction(m_actRedo);
    m_menu->addSeparator();
    m_menu->addAction(m_actCopy);
    m_menu->addAction(m_actPaste);
    m_menu->addSeparator();
    m_menu->addAction(m_actExport);
    m_menu->addAction(m_actImport);
    m_menu->addSeparator();
    m_menu->addAction(m_actTest);
    m_menu->addAction(m_actBrowse);
    m_menu->addAction(m_actDataMap);
    m_menu->addSeparator();
    m_menu->addAction(m_actMibLibrary);
    m_menu->addAction(m_actMibTree);
    m_menu->setToolTipsVisible(true);

    ACG_SNMP->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ACG_SNMP, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex at = ACG_SNMP->indexAt(pos);
        if (at.isValid() && !ACG_SNMP->selectionModel()->isSelected(at))
            ACG_SNMP->setCurrentIndex(at);
        m_menu->popup(ACG_SNMP->viewport()->mapToGlobal(pos));
    });
    // The menu from the keyboard: the Menu key (a context menu request) and Shift+F10.
    auto* menuKey = new QAction(this);
    menuKey->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10));
    menuKey->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(menuKey, &QAction::triggered, this, [this] {
        commitOpenEditor();
        const QRect cell = ACG_SNMP->visualRect(ACG_SNMP->currentIndex());
        m_menu->popup(ACG_SNMP->viewport()->mapToGlobal(cell.isValid() ? cell.center() : QPoint(0, 0)));
    });
    ACG_SNMP->addAction(menuKey);
}

QVector<int> TFSNMPManagerAccess::rowsToTest() const
{
    const QModelIndexList selected = ACG_SNMP->selectionModel()->selectedIndexes();
    QVector<int> numbers;
    if (selected.size() > 1) {
        for (const QModelIndex& i : selected) {
            if (!numbers.contains(i.row() + 1) && kv::GridRowUsed(ACG_SNMP, i.row() + 1))
                numbers << i.row() + 1;
        }
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }
    return kv::EnabledContentRows(m_model->rows());
}

void TFSNMPManagerAccess::TestRequests()
{
    commitOpenEditor();
    if (!m_services.snmp || !m_services.snmp->available(nullptr))
        return;
    const QVector<int> numbers = rowsToTest();
    QVector<kv::SnmpRequest> rows;
    for (int n : numbers)
        rows << m_model->rows().at(n - 1);
    kv::SnmpTableLink link;
    link.showRow = [this](int row) { showCells(row, kv::ColEnable, row, kv::SnmpFieldCount); };
    link.table = m_model;
    m_services.snmp->testRows(this, rows, numbers, link);
}

void TFSNMPManagerAccess::BrowseAgent()
{
    commitOpenEditor();
    const QModelIndex cur = ACG_SNMP->currentIndex();
    if (!m_services.snmp || !m_services.snmp->available(nullptr) || !cur.isValid())
        return;
    const int row = cur.row();
    const QString chosen = m_services.snmp->browse(this, m_model->rows().at(row), row + 1);
    if (chosen.isEmpty())
        return;
    // Like a typed cell: one step of undo.
    const QString before = m_model->rows().at(row).OID;
    if (chosen != before)
        pushEdit(new kv::SnmpCellCommand(m_model, row, kv::ColOid, before, chosen));
    showCells(row + 1, kv::ColOid, row + 1, kv::ColOid);
}

void TFSNMPManagerAccess::ShowDataMap()
{
    commitOpenEditor();
    TFDataMap::showFor(m_state, m_services, this, m_model,
                       [this](int row) { showCells(row, kv::ColEnable, row, kv::SnmpFieldCount); });
}

void TFSNMPManagerAccess::ShowMibLibrary()
{
    commitOpenEditor();
    if (m_services.snmp)
        m_services.snmp->showMibLibrary(this, m_services);
}

void TFSNMPManagerAccess::ShowMibTree()
{
    commitOpenEditor();
    if (m_services.snmp)
        m_services.snmp->showMibTree(this, this);
}

int TFSNMPManagerAccess::AddMibRows(QWidget* window, const QVector<kv::SnmpRowFill>& fills, const QStringList& refused)
{
    commitOpenEditor();
    const int first = kv::GridCurrentRow(ACG_SNMP);
    const int last = first + int(fills.size()) - 1;
    if (!fills.isEmpty()) {
        // All or nothing: a part of the objects would leave the engineer to
        // find which ones are missing.
        if (last > kv::SnmpMaxRows) {
            m_services.messages->error(window, m_state.Text(TxtMibPastEnd).arg(fills.size()).arg(first).arg(kv::SnmpMaxRows));
            return 0;
        }
        QVector<kv::SnmpRequest> rows = m_model->rows().mid(first - 1, fills.size());
        QStringList holding;
        for (int i = 0; i < rows.size(); ++i) {
            if (!rows.at(i).OID.trimmed().isEmpty())
                holding << QString::number(first + i);
        }
        if (!holding.isEmpty()
            && !m_services.messages->question(window, m_state.Text(TxtMibReplaces).arg(holding.join(QStringLiteral(", "))),
                                              kv::IMessageService::Default::No))
            return 0;
        const kv::SnmpRequest current = rows.constFirst();
        for (int i = 0; i < rows.size(); ++i) {
            kv::SnmpRequest& r = rows[i];
            for (int column : {kv::ColIpAddress, kv::ColVersion, kv::ColCommunity}) {
                if (!current.field(column).isEmpty())
                    r.field(column) = current.field(column);
            }
            r.OID = fills.at(i).oid;
            r.Type = fills.at(i).type;
            r.Number_Bytes = fills.at(i).numBytes;
            r.Mode = fills.at(i).mode;
            r.Mnemonic = fills.at(i).mnemonic;
        }
        if (rows != m_model->rows().mid(first - 1, fills.size()))
            pushEdit(new kv::SnmpFillRowsCommand(m_model, m_state.Text(TxtMibRowsUndo), first - 1, rows,
                                                 QRect(QPoint(kv::ColEnable, first - 1), QPoint(kv::SnmpFieldCount, last - 1))));
        showCells(first, kv::ColEnable, last, kv::SnmpFieldCount);
    }
    if (!refused.isEmpty())
        m_services.messages->warning(window, m_state.Text(TxtMibRefused) + QLatin1Char('\n') + refused.join(QLatin1Char('\n')));
    return int(fills.size());
}

void TFSNMPManagerAccess::undoOnce()
{
    commitOpenEditor();
    m_undo->undo();
}

void TFSNMPManagerAccess::redoOnce()
{
    commitOpenEditor();
    m_undo->redo();
}

QVector<int> TFSNMPManagerAccess::visibleColumns() const
{
    QVector<int> columns;
    for (int c = 1; c <= kv::SnmpFieldCount; ++c) {
        if (!ACG_SNMP->isColumnHidden(c))
            columns << c;
    }
    return columns;
}

QString TFSNMPManagerAccess::columnName(int column) const
{
    return m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

void TFSNMPManagerAccess::showCells(int row, int column, int lastRow, int lastColumn)
{
    const QModelIndex first = m_model->index(row - 1, column);
    const QModelIndex last = m_model->index(lastRow - 1, lastColumn);
    if (!first.isValid() || !last.isValid())
        return;
    ACG_SNMP->setCurrentIndex(first);
    ACG_SNMP->selectionModel()->select(QItemSelection(first, last), QItemSelectionModel::ClearAndSelect);
    ACG_SNMP->scrollTo(first);
}

QRect TFSNMPManagerAccess::currentCell() const
{
    const QModelIndex cur = ACG_SNMP->currentIndex();
    const int row = cur.isValid() ? cur.row() : 0;
    const int column = cur.isValid() && cur.column() >= 1 ? cur.column() : kv::ColEnable;
    return QRect(column, row, 1, 1);
}

void TFSNMPManagerAccess::pushEdit(kv::SnmpTableCommand* command)
{
    // Rows that move carry the grid's current cell and selection with them:
    // both stay where they were, on the row that takes the place.
    const auto place = [this] {
        QVector<QRect> cells; // the current cell first, then the selected blocks
        const QModelIndex cur = ACG_SNMP->currentIndex();
        cells << QRect(cur.column(), cur.row(), 1, 1);
        for (const QItemSelectionRange& r : ACG_SNMP->selectionModel()->selection())
            cells << QRect(QPoint(r.left(), r.top()), QPoint(r.right(), r.bottom()));
        return cells;
    };
    const QVector<QRect> before = place();
    m_pushing = true;
    m_undo->push(command);
    m_pushing = false;
    if (place() == before)
        return;
    QItemSelection selection;
    for (int i = 1; i < before.size(); ++i) {
        const QRect& b = before.at(i);
        selection.select(m_model->index(b.top(), b.left()), m_model->index(b.bottom(), b.right()));
    }
    const QRect& cur = before.constFirst();
    QItemSelectionModel* sm = ACG_SNMP->selectionModel();
    sm->setCurrentIndex(m_model->index(cur.top(), cur.left()), QItemSelectionModel::NoUpdate);
    sm->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TFSNMPManagerAccess::undoIndexChanged(int index)
{
    const int was = m_undoIndex;
    m_undoIndex = index;
    if (m_pushing || index == was)
        return;
    // The command just undone or redone shows where it changed the table.
    const auto* command = dynamic_cast<const kv::SnmpTableCommand*>(m_undo->command(index < was ? index : index - 1));
    if (!command)
        return;
    const QRect cells = command->shownCells();
    showCells(cells.top() + 1, cells.left(), cells.bottom() + 1, cells.right());
}

void TFSNMPManagerAccess::CopyCells()
{
    commitOpenEditor();
    const QModelIndexList selected = ACG_SNMP->selectionModel()->selectedIndexes();
    QModelIndex cur = ACG_SNMP->currentIndex();
    int top = cur.isValid() ? cur.row() : 0, bottom = top;
    int left = cur.isValid() ? std::max(cur.column(), 1) : 1, right = left;
    if (!selected.isEmpty()) {
        top = left = INT_MAX;
        bottom = right = -1;
        for (const QModelIndex& i : selected) {
            top = std::min(top, i.row());
            bottom = std::max(bottom, i.row());
            left = std::min(left, i.column());
            right = std::max(right, i.column());
        }
    }
    QVector<QStringList> cells;
    for (int r = top; r <= bottom; ++r) {
        QStringList line;
        for (int c : visibleColumns()) {
            if (c < left || c > right)
                continue;
            const QString& text = m_model->rows().at(r).field(c);
            if (kv::SnmpRequest::IsCheckBoxColumn(c))
                line << (kv::CheckBoxIsSet(c, text) ? QStringLiteral("Y") : QStringLiteral("N"));
            else
                line << text;
        }
        cells << line;
    }
    QGuiApplication::clipboard()->setText(kv::CellsAsTabText(cells));
}

void TFSNMPManagerAccess::PasteCells()
{
    commitOpenEditor();
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    const QVector<QStringList> cells = kv::ParseTabText(text);
    const QModelIndex cur = ACG_SNMP->currentIndex();
    const int row = cur.isValid() ? cur.row() + 1 : 1;
    const int column = cur.isValid() && cur.column() >= 1 ? cur.column() : kv::ColEnable;
    QVector<kv::SnmpRequest> rows = m_model->rows();
    kv::TableTextProblem problem;
    if (!kv::PasteCells(rows, row, column, cells, visibleColumns(), m_positions->count(), problem)) {
        m_services.messages->error(this, kv::TableTextMessage(problem, m_state.Lang, columnName(problem.column)));
        return;
    }
    // The block pasted, for the selection afterwards.
    int width = 1;
    for (const QStringList& l : cells)
        width = std::max(width, int(l.size()));
    const QVector<int> columns = visibleColumns();
    const int lastColumn = columns.at(std::min(int(columns.indexOf(column)) + width - 1, int(columns.size()) - 1));
    const int lastRow = row + std::max(1, int(cells.size())) - 1;
    if (rows != m_model->rows())
        pushEdit(new kv::SnmpPasteCellsCommand(m_model, m_state.Text(TxtPasteCells), m_model->rows(), rows,
                                               QRect(QPoint(column, row - 1), QPoint(lastColumn, lastRow - 1))));
    showCells(row, column, lastRow, lastColumn);
}

void TFSNMPManagerAccess::ExportTable()
{
    commitOpenEditor();
    const QString dir = QFileInfo(m_state.SnmpManagerPath).absolutePath();
    const QString path = m_services.files->getSaveFileName(this, m_state.Text(TxtExportCaption), dir,
                                                           m_state.Text(TxtCsvFilter), QStringLiteral("SNMP_Manager.csv"));
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path)
        && !m_services.messages->question(this, m_state.Text(TxtFileExists), kv::IMessageService::Default::No))
        return;
    QString error;
    if (!kv::WriteFileAtomic(path, kv::SnmpRequestsCsv(m_model->rows()), &error))
        m_services.messages->error(this, error);
}

void TFSNMPManagerAccess::ImportTable()
{
    commitOpenEditor();
    const QString dir = QFileInfo(m_state.SnmpManagerPath).absolutePath();
    const QString path = m_services.files->getOpenFileName(this, m_state.Text(TxtImportCaption), dir,
                                                           m_state.Text(TxtCsvFilter));
    if (path.isEmpty())
        return;
    QVector<kv::SnmpRequest> rows;
    kv::TableTextProblem problem;
    int count = 0;
    if (!kv::ReadSnmpCsvFile(path, m_positions->count(), rows, problem, &count)) {
        m_services.messages->error(this, kv::TableTextMessage(problem, m_state.Lang, columnName(problem.column)));
        return;
    }
    bool holdsData = false;
    for (int r = 1; r <= m_model->rowCount() && !holdsData; ++r)
        holdsData = kv::GridRowUsed(ACG_SNMP, r);
    if (holdsData
        && !m_services.messages->question(this, m_state.Text(TxtImportReplaces), kv::IMessageService::Default::No))
        return;
    // Undone or redone, it shows the rows the file held.
    const QRect read(QPoint(kv::ColEnable, 0), QPoint(kv::SnmpFieldCount, std::max(1, count) - 1));
    if (rows != m_model->rows())
        pushEdit(new kv::SnmpImportCommand(m_model, m_state.Text(TxtImport), m_model->rows(), rows, read));
    showCells(1, kv::ColEnable, 1, kv::ColEnable);
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
    m_actUndo->setText(T(TxtUndo));
    m_actRedo->setText(T(TxtRedo));
    m_actCopy->setText(T(TxtCopyCells));
    m_actPaste->setText(T(TxtPasteCells));
    m_actExport->setText(T(TxtExport));
    m_actImport->setText(T(TxtImport));
    m_actTest->setText(T(TxtTestRequests));
    m_actBrowse->setText(T(TxtBrowseAgent));
    m_actDataMap->setText(T(TxtDataMap));
    m_actMibLibrary->setText(T(TxtMibLibrary));
    m_actMibTree->setText(T(TxtMibTree));

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

void TFSNMPManagerAccess::updateNetworkActions()
{
    // A build without an SNMP library says so on the entries.
    QString why;
    const bool network = m_services.snmp && m_services.snmp->available(&why);
    for (QAction* a : {m_actTest, m_actBrowse}) {
        a->setEnabled(network);
        a->setToolTip(why);
    }
}

bool TFSNMPManagerAccess::FormShow()
{
    updateNetworkActions();
    kv::SnmpTable table;
    const kv::XmlLoad load = kv::LoadSnmpRequests(m_state.ParGenPath, m_state.SnmpManagerPath, table);
    if (load.status == kv::XmlLoad::Error) {
        m_services.messages->error(isVisible() ? this : parentWidget(), load.message);
        return false;
    }
    m_positions->setCount(table.PositionChoiceCount);
    m_model->setRows(table.rows);
    m_undo->clear();
    m_undoIndex = 0;
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
    pushEdit(new kv::SnmpDeleteRowCommand(m_model, m_state.Text(TxtDelRow), row - 1, currentCell()));
}

void TFSNMPManagerAccess::Btn_InsRowClick()
{
    commitOpenEditor();
    // The last row falls off the table: asked first when it holds a request.
    const int last = m_model->rowCount();
    if (kv::GridRowUsed(ACG_SNMP, last)
        && !m_services.messages->question(this, m_state.Text(TxtInsertLosesLastRow), kv::IMessageService::Default::No))
        return;
    pushEdit(new kv::SnmpInsertRowCommand(m_model, m_state.Text(TxtInsRow), kv::GridCurrentRow(ACG_SNMP) - 1,
                                          currentCell()));
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
    const int row = kv::GridCurrentRow(ACG_SNMP);
    if (!kv::GridPasteRowAllowed(ACG_SNMP, row, m_doCopySnmp, m_state.RowCopyBuffer, m_state.Lang, *m_services.messages,
                                 this))
        return;
    kv::SnmpRequest pasted;
    for (int c = 1; c <= kv::SnmpFieldCount; ++c)
        pasted.field(c) = m_state.RowCopyBuffer.at(c - 1);
    if (pasted != m_model->rows().at(row - 1))
        pushEdit(new kv::SnmpPasteRowCommand(m_model, m_state.Text(TxtPasteRow), row - 1, pasted, currentCell()));
}
