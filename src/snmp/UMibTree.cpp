#include "snmp/UMibTree.h"

#include "common/UStyle.h"
#include "requests/DeviceLimits.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {

enum : int {
    TxtOid = 613,
    TxtNotScalarOrColumn = 1226,
    TxtNotAccessible = 1227,
    TxtNoRowType = 1228,
    TxtNoSyntax = 1229,
    TxtOidTooLong = 1230,
    TxtBadIndex = 1233,
    TxtChooseFirst = 1234,
    TxtObjectCount = 1235,
    TxtCaption = 1274,
    TxtDescription = 1275,
    TxtSearch = 1276,
    TxtAdd = 1277,
    HintAdd = 1278,
    TxtIndex = 1279,
    HintIndex = 1280,
    TxtClose = 1281,
    TxtSyntax = 1282,
    TxtAccess = 1283,
    TxtStatus = 1284,
    TxtUnits = 1285,
    TxtDescr = 1286,
    TxtMatches = 1288,
    TxtChooseObject = 1289,
};

constexpr quintptr kModuleId = 0; // an item's internal id: 0 for a module, node + 1 for an object

QString pairsText(const QList<QPair<qint64, qint64>>& list)
{
    QStringList parts;
    for (const auto& p : list)
        parts.append(p.first == p.second ? QString::number(p.first) : QStringLiteral("%1..%2").arg(p.first).arg(p.second));
    return parts.join(QStringLiteral(" | "));
}

// SYNTAX as a MIB writes it, the base type named after a textual
// convention: "DisplayString: OCTET STRING (SIZE (0..32))".
QString syntaxText(const kv::MibObject& o)
{
    QString text = o.syntax;
    if (!o.base.isEmpty() && o.base != o.syntax)
        text += QStringLiteral(": ") + o.base;
    if (!o.enums.isEmpty()) {
        QStringList named;
        for (const auto& e : o.enums)
            named.append(QStringLiteral("%1(%2)").arg(e.first).arg(e.second));
        text += QStringLiteral(" { ") + named.join(QStringLiteral(", ")) + QStringLiteral(" }");
    }
    if (!o.range.isEmpty())
        text += QStringLiteral(" (") + pairsText(o.range) + QLatin1Char(')');
    if (!o.size.isEmpty())
        text += QStringLiteral(" (SIZE (") + pairsText(o.size) + QStringLiteral("))");
    return text;
}

// A description as written, its continuation lines moved left by the
// indentation they share.
QString descriptionText(const QString& raw)
{
    QStringList lines = raw.split(QLatin1Char('\n'));
    int common = INT_MAX;
    for (int i = 1; i < lines.size(); ++i) {
        const QString& l = lines.at(i);
        int lead = 0;
        while (lead < l.size() && (l.at(lead) == QLatin1Char(' ') || l.at(lead) == QLatin1Char('\t')))
            ++lead;
        if (lead < l.size())
            common = std::min(common, lead);
    }
    for (int i = 1; i < lines.size(); ++i)
        lines[i] = common == INT_MAX ? lines.at(i).trimmed() : lines.at(i).mid(common);
    return lines.join(QLatin1Char('\n')).trimmed();
}

// An index a row asks a column for: numbers of an OID, dot between.
bool indexValid(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^\\d+(\\.\\d+)*$"));
    if (!digits.match(text).hasMatch())
        return false;
    const QStringList parts = text.split(QLatin1Char('.'));
    return std::all_of(parts.cbegin(), parts.cend(), [](const QString& p) {
        bool ok = false;
        return p.size() <= 10 && p.toULongLong(&ok) <= 4294967295ULL && ok;
    });
}

} // namespace

namespace kv {

// The tree copy as a model: the modules at the top, each with its objects.
class MibTreeModel : public QAbstractItemModel {
public:
    explicit MibTreeModel(QObject* parent)
        : QAbstractItemModel(parent)
    {
        const QStyle* style = QApplication::style();
        m_moduleIcon = style->standardIcon(QStyle::SP_DirIcon);
        m_nodeIcon = style->standardIcon(QStyle::SP_DirClosedIcon);
        m_tableIcon = style->standardIcon(QStyle::SP_FileDialogDetailedView);
        m_objectIcon = style->standardIcon(QStyle::SP_FileIcon);
    }

    void setTree(const MibTree& tree)
    {
        beginResetModel();
        m_tree = tree;
        endResetModel();
    }
    const MibTree& tree() const { return m_tree; }

    // The node of an index, -1 for a module or none.
    int nodeOf(const QModelIndex& index) const
    {
        return index.isValid() && index.internalId() != kModuleId ? int(index.internalId() - 1) : -1;
    }
    QModelIndex indexOfNode(int node) const { return createIndex(m_tree.nodes.at(node).row, 0, quintptr(node) + 1); }

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override
    {
        if (column != 0 || row < 0)
            return QModelIndex();
        if (!parent.isValid())
            return row < m_tree.modules.size() ? createIndex(row, 0, kModuleId) : QModelIndex();
        const QVector<int>& children = childrenOf(parent);
        return row < children.size() ? createIndex(row, 0, quintptr(children.at(row)) + 1) : QModelIndex();
    }

    QModelIndex parent(const QModelIndex& child) const override
    {
        const int node = nodeOf(child);
        if (node < 0)
            return QModelIndex();
        const MibTreeNode& n = m_tree.nodes.at(node);
        return n.parent < 0 ? createIndex(n.module, 0, kModuleId) : indexOfNode(n.parent);
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        if (!parent.isValid())
            return int(m_tree.modules.size());
        if (parent.column() != 0)
            return 0;
        return int(childrenOf(parent).size());
    }

    int columnCount(const QModelIndex& = QModelIndex()) const override { return 1; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return QVariant();
        const int node = nodeOf(index);
        if (node < 0) {
            if (role == Qt::DisplayRole)
                return m_tree.modules.at(index.row());
            if (role == Qt::DecorationRole)
                return m_moduleIcon;
            return QVariant();
        }
        const MibTreeNode& n = m_tree.nodes.at(node);
        switch (role) {
        case Qt::DisplayRole:
            return n.name;
        case Qt::ToolTipRole:
            return n.oid;
        case Qt::DecorationRole:
            if (n.kind == MibTreeNode::Scalar || n.kind == MibTreeNode::Column)
                return m_objectIcon;
            if (n.kind == MibTreeNode::Table || n.kind == MibTreeNode::Row)
                return m_tableIcon;
            return m_nodeIcon;
        default:
            return QVariant();
        }
    }

private:
    const QVector<int>& childrenOf(const QModelIndex& parent) const
    {
        const int node = nodeOf(parent);
        return node < 0 ? m_tree.tops.at(parent.row()) : m_tree.nodes.at(node).children;
    }

    MibTree m_tree;
    QIcon m_moduleIcon, m_nodeIcon, m_tableIcon, m_objectIcon;
};

// Objects whose name, OID or description holds the searched text, with the
// nodes above them; modules only for what they hold.
class MibTreeFilter : public QSortFilterProxyModel {
public:
    explicit MibTreeFilter(MibTreeModel* model, QObject* parent)
        : QSortFilterProxyModel(parent)
        , m_model(model)
    {
        setSourceModel(model);
        setRecursiveFilteringEnabled(true);
    }

    void setNeedle(const QString& text)
    {
        QString needle = text.trimmed();
        // An OID may be typed with its leading dot.
        static const QRegularExpression numeric(QStringLiteral("^\\.\\d"));
        if (numeric.match(needle).hasMatch())
            needle.remove(0, 1);
        if (needle == m_needle)
            return;
        m_needle = needle;
        invalidateFilter();
    }
    bool searching() const { return !m_needle.isEmpty(); }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override
    {
        if (m_needle.isEmpty())
            return true;
        const int node = m_model->nodeOf(m_model->index(sourceRow, 0, sourceParent));
        if (node < 0)
            return false;
        const MibTreeNode& n = m_model->tree().nodes.at(node);
        return n.name.contains(m_needle, Qt::CaseInsensitive) || n.oid.contains(m_needle)
            || n.description.contains(m_needle, Qt::CaseInsensitive);
    }

private:
    MibTreeModel* m_model;
    QString m_needle;
};

} // namespace kv

TFMibTree* TFMibTree::showFor(kv::AppState& state, QWidget* parent, kv::ISnmpRowSink* sink)
{
    TFMibTree* w = kv::ShownChildWindow<TFMibTree>(parent);
    if (!w) {
        w = new TFMibTree(state, sink, parent);
        w->setAttribute(Qt::WA_DeleteOnClose);
    }
    w->refreshTree();
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

TFMibTree::TFMibTree(kv::AppState& state, kv::ISnmpRowSink* sink, QWidget* parent)
    : kv::OwnedWindow(parent)
    , m_state(state)
    , m_sink(sink)
{
    setObjectName(QStringLiteral("TFMibTree"));

    QVBoxLayout* outer = kv::CreateTitledLayout(this, kv::SoftwareCode, &L_SW_Desc);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);

    auto* left = new QWidget(splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(16, 6, 6, 6);
    E_Search = new QLineEdit(left);
    E_Search->setObjectName(QStringLiteral("E_Search"));
    E_Search->setClearButtonEnabled(true);
    leftLayout->addWidget(E_Search);
    m_model = new kv::MibTreeModel(this);
    m_filter = new kv::MibTreeFilter(m_model, this);
    TV_Mib = new QTreeView(left);
    TV_Mib->setObjectName(QStringLiteral("TV_Mib"));
    TV_Mib->setModel(m_filter);
    TV_Mib->setHeaderHidden(true);
    TV_Mib->setUniformRowHeights(true);
    TV_Mib->setSelectionMode(QAbstractItemView::ExtendedSelection);
    TV_Mib->setSelectionBehavior(QAbstractItemView::SelectRows);
    TV_Mib->setEditTriggers(QAbstractItemView::NoEditTriggers);
    leftLayout->addWidget(TV_Mib, 1);
    L_Count = new QLabel(left);
    L_Count->setObjectName(QStringLiteral("L_Count"));
    leftLayout->addWidget(L_Count);
    splitter->addWidget(left);

    auto* right = new QWidget(splitter);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(6, 6, 16, 6);
    L_Name = new QLabel(right);
    L_Name->setObjectName(QStringLiteral("L_Name"));
    L_Name->setTextFormat(Qt::PlainText);
    L_Name->setWordWrap(true);
    L_Name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    kv::StyleBoldLabel(L_Name, QColor(64, 64, 64));
    rightLayout->addWidget(L_Name);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    const auto field = [right, form](QLabel*& caption, QLabel*& value, const char* name) {
        caption = new QLabel(right);
        value = new QLabel(right);
        value->setObjectName(QString::fromLatin1(name));
        value->setTextFormat(Qt::PlainText);
        value->setWordWrap(true);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        form->addRow(caption, value);
    };
    field(L_OidCaption, L_Oid, "L_Oid");
    field(L_SyntaxCaption, L_Syntax, "L_Syntax");
    field(L_AccessCaption, L_Access, "L_Access");
    field(L_StatusCaption, L_Status, "L_Status");
    field(L_UnitsCaption, L_Units, "L_Units");
    rightLayout->addLayout(form);
    L_DescriptionCaption = new QLabel(right);
    rightLayout->addWidget(L_DescriptionCaption);
    M_Description = new QPlainTextEdit(right);
    M_Description->setObjectName(QStringLiteral("M_Description"));
    M_Description->setReadOnly(true);
    rightLayout->addWidget(M_Description, 1);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    outer->addWidget(splitter, 1);

    QWidget* buttons = kv::CreateButtonPanel(this);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(16, 6, 16, 6);
    Btn_Add = new kv::StyledButton(QStringLiteral("Btn_Add"), buttons, kv::Glyph::Insert);
    Btn_Add->setMinimumSize(110, 28);
    Btn_Add->setAutoDefault(false);
    L_Index = new QLabel(buttons);
    E_Index = new QLineEdit(QStringLiteral("1"), buttons);
    E_Index->setObjectName(QStringLiteral("E_Index"));
    E_Index->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d+(\\.\\d+)*")), E_Index));
    E_Index->setMaxLength(kv::OidMaxChars);
    E_Index->setFixedWidth(90);
    L_Index->setBuddy(E_Index);
    Btn_Close = new kv::StyledButton(QStringLiteral("Btn_Close"), buttons, kv::Glyph::Close);
    Btn_Close->setMinimumSize(110, 28);
    Btn_Close->setAutoDefault(false);
    row->addWidget(Btn_Add);
    row->addSpacing(12);
    row->addWidget(L_Index);
    row->addWidget(E_Index);
    row->addStretch(1);
    row->addWidget(Btn_Close);
    outer->addWidget(buttons);

    connect(E_Search, &QLineEdit::textChanged, this, &TFMibTree::search);
    connect(TV_Mib->selectionModel(), &QItemSelectionModel::currentChanged, this, &TFMibTree::currentChanged);
    connect(TV_Mib->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TFMibTree::updateAddButton);
    connect(m_filter, &QAbstractItemModel::modelReset, this, &TFMibTree::updateAddButton);
    connect(E_Index, &QLineEdit::textChanged, this, &TFMibTree::updateAddButton);
    connect(Btn_Add, &QPushButton::clicked, this, &TFMibTree::Btn_AddClick);
    connect(Btn_Close, &QPushButton::clicked, this, &QDialog::close);

    setMinimumHeight(400);
    resize(940, 580);
    Set_Lang();
    E_Search->setFocus();
}

TFMibTree::~TFMibTree() = default;

void TFMibTree::Set_Lang()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    setWindowTitle(T(TxtCaption));
    L_SW_Desc->setText(T(TxtDescription));
    L_SW_Desc->adjustSize();
    // The description is one line: the window is never narrower.
    setMinimumWidth(std::max(560, L_SW_Desc->x() + L_SW_Desc->width() + 16));
    E_Search->setPlaceholderText(T(TxtSearch));
    E_Search->setMinimumWidth(E_Search->fontMetrics().horizontalAdvance(E_Search->placeholderText()) + 40);
    L_OidCaption->setText(T(TxtOid));
    L_SyntaxCaption->setText(T(TxtSyntax));
    L_AccessCaption->setText(T(TxtAccess));
    L_StatusCaption->setText(T(TxtStatus));
    L_UnitsCaption->setText(T(TxtUnits));
    L_DescriptionCaption->setText(T(TxtDescr));
    Btn_Add->setText(T(TxtAdd));
    L_Index->setText(T(TxtIndex));
    E_Index->setToolTip(T(HintIndex));
    Btn_Close->setText(T(TxtClose));
    // Room for the glyph beside the caption, in every language.
    for (QPushButton* b : {Btn_Add, Btn_Close})
        b->setMinimumWidth(std::max(110, b->fontMetrics().horizontalAdvance(b->text()) + 56));
    updateAddButton();
    showCount();
    currentChanged();
}

void TFMibTree::changeEvent(QEvent* event)
{
    kv::OwnedWindow::changeEvent(event);
    // The library may have been read again while another window was in front.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refreshTree();
    else if (event->type() == QEvent::LanguageChange)
        Set_Lang();
}

void TFMibTree::refreshTree()
{
    kv::MibLibrary::ReloadIfChanged(); // a module copied into MIBS by hand
    const int generation = kv::MibLibrary::Generation();
    if (generation == m_generation && m_generation >= 0)
        return;
    // Tree() loads the library first, which counts as a load of its own.
    const QString current = m_model->nodeOf(m_filter->mapToSource(TV_Mib->currentIndex())) >= 0
        ? m_model->tree().nodes.at(m_model->nodeOf(m_filter->mapToSource(TV_Mib->currentIndex()))).oid
        : QString();
    m_model->setTree(kv::MibLibrary::Tree());
    m_generation = kv::MibLibrary::Generation();
    if (m_filter->searching())
        TV_Mib->expandAll();
    if (!current.isEmpty())
        selectOid(current);
    showCount();
    currentChanged();
}

void TFMibTree::search(const QString& text)
{
    m_filter->setNeedle(text);
    if (m_filter->searching()) {
        TV_Mib->expandAll();
    } else {
        TV_Mib->collapseAll();
        if (TV_Mib->currentIndex().isValid())
            TV_Mib->scrollTo(TV_Mib->currentIndex());
    }
    showCount();
    updateAddButton();
}

bool TFMibTree::selectOid(const QString& oid, bool add)
{
    const QVector<kv::MibTreeNode>& nodes = m_model->tree().nodes;
    for (int i = 0; i < nodes.size(); ++i) {
        if (nodes.at(i).oid != oid)
            continue;
        const QModelIndex shown = m_filter->mapFromSource(m_model->indexOfNode(i));
        if (!shown.isValid())
            return false;
        TV_Mib->selectionModel()->setCurrentIndex(
            shown, (add ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect) | QItemSelectionModel::Rows);
        TV_Mib->scrollTo(shown);
        return true;
    }
    return false;
}

int TFMibTree::shownCount() const
{
    return int(shownOids().size());
}

QStringList TFMibTree::shownOids() const
{
    QStringList out;
    QVector<QModelIndex> pending;
    for (int r = m_filter->rowCount() - 1; r >= 0; --r)
        pending.append(m_filter->index(r, 0));
    while (!pending.isEmpty()) {
        const QModelIndex i = pending.takeLast();
        const int node = m_model->nodeOf(m_filter->mapToSource(i));
        if (node >= 0)
            out.append(m_model->tree().nodes.at(node).oid);
        for (int r = m_filter->rowCount(i) - 1; r >= 0; --r)
            pending.append(m_filter->index(r, 0, i));
    }
    return out;
}

void TFMibTree::showCount()
{
    const kv::MibTree& tree = m_model->tree();
    if (m_filter->searching())
        L_Count->setText(m_state.Text(TxtMatches).arg(shownCount()));
    else
        L_Count->setText(m_state.Text(TxtObjectCount).arg(tree.nodes.size()).arg(tree.modules.size()));
}

void TFMibTree::currentChanged()
{
    const int node = m_model->nodeOf(m_filter->mapToSource(TV_Mib->currentIndex()));
    showDetails(node >= 0 ? m_model->tree().nodes.at(node).oid : QString());
}

void TFMibTree::showDetails(const QString& oid)
{
    kv::MibObject o;
    // Read from the library, which holds the tree this copy was taken from.
    const bool found = !oid.isEmpty() && kv::MibLibrary::Find(oid, &o, nullptr);
    L_Name->setText(found ? o.fullName() : m_state.Text(TxtChooseObject));
    L_Oid->setText(found ? o.oid : QString());
    L_Syntax->setText(found ? syntaxText(o) : QString());
    L_Access->setText(found ? o.access : QString());
    L_Status->setText(found ? o.status : QString());
    L_Units->setText(found ? o.units : QString());
    M_Description->setPlainText(found ? descriptionText(o.description) : QString());
}

void TFMibTree::updateAddButton()
{
    // A module alone is nothing to add.
    const QModelIndexList selected = TV_Mib->selectionModel()->selectedRows();
    const bool chosen = std::any_of(selected.cbegin(), selected.cend(),
                                    [this](const QModelIndex& i) { return m_model->nodeOf(m_filter->mapToSource(i)) >= 0; });
    const bool index = indexValid(E_Index->text());
    Btn_Add->setEnabled(chosen && index && m_sink);
    Btn_Add->setToolTip(!index ? m_state.Text(TxtBadIndex) : !chosen ? m_state.Text(TxtChooseFirst) : m_state.Text(HintAdd));
}

void TFMibTree::Btn_AddClick()
{
    const QString index = E_Index->text();
    if (!m_sink || !indexValid(index))
        return;
    // In the tree's order, whatever the order of the clicks.
    QVector<int> nodes;
    for (const QModelIndex& i : TV_Mib->selectionModel()->selectedRows()) {
        const int node = m_model->nodeOf(m_filter->mapToSource(i));
        if (node >= 0)
            nodes.append(node);
    }
    std::sort(nodes.begin(), nodes.end());
    if (nodes.isEmpty())
        return;
    QVector<kv::SnmpRowFill> fills;
    QStringList refused;
    for (int node : nodes) {
        kv::MibObject o;
        if (!kv::MibLibrary::Find(m_model->tree().nodes.at(node).oid, &o, nullptr))
            continue; // gone with a reload the copy has not seen yet
        const kv::MibRow row = kv::MibRowFor(o, index);
        if (!row.filled) {
            switch (row.refusal) {
            case kv::MibRow::NotAccessible:
                refused << m_state.Text(TxtNotAccessible).arg(o.name, o.access);
                break;
            case kv::MibRow::NoRowType:
                refused << m_state.Text(TxtNoRowType).arg(o.name, o.syntax);
                break;
            case kv::MibRow::NoSyntax:
                refused << m_state.Text(TxtNoSyntax).arg(o.name);
                break;
            default:
                refused << m_state.Text(TxtNotScalarOrColumn).arg(o.name);
                break;
            }
            continue;
        }
        // What goes to the device is what the row shows: an OID its field
        // cannot hold is refused, never cut.
        if (!kv::OidFits(row.oid)) {
            refused << m_state.Text(TxtOidTooLong).arg(o.name, row.oid).arg(kv::OidMaxChars);
            continue;
        }
        fills.append({row.oid, row.type, QString::number(row.numBytes), row.mode, row.mnemonic});
    }
    m_sink->AddMibRows(this, fills, refused);
}
