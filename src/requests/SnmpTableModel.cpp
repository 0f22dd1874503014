#include "requests/SnmpTableModel.h"

#include "requests/DeviceLimits.h"
#include "lang/LangTable.h"

namespace kv {

SnmpTableModel::SnmpTableModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_rows(SnmpMaxRows, SnmpRequest::ResetRow())
{
}

int SnmpTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SnmpTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : SnmpFieldCount + 1;
}

QVariant SnmpTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const int col = index.column();
    if (col == ColRowNumber) {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return QString::number(index.row() + 1);
        return QVariant();
    }
    const QString& text = m_rows[index.row()].field(col);
    const bool check = SnmpRequest::IsCheckBoxColumn(col);
    switch (role) {
    case Qt::DisplayRole:
        return check ? QVariant() : QVariant(text);
    case Qt::EditRole:
        return text;
    case Qt::ToolTipRole:
        if (const int hint = limitHint(index.row(), col))
            return text + QLatin1Char('\n') + m_lang->Get(hint);
        return text.isEmpty() ? QVariant() : QVariant(text);
    case Qt::DecorationRole:
        return limitHint(index.row(), col) ? m_limitIcon : QVariant();
    case Qt::CheckStateRole:
        if (check)
            return CheckBoxIsSet(col, text) ? Qt::Checked : Qt::Unchecked;
        return QVariant();
    default:
        return QVariant();
    }
}

bool SnmpTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() < 1 || index.column() > SnmpFieldCount)
        return false;
    const int col = index.column();
    QString text;
    if (role == Qt::EditRole) {
        text = value.toString();
    } else if (role == Qt::CheckStateRole && SnmpRequest::IsCheckBoxColumn(col)) {
        text = value.toInt() == Qt::Checked ? QStringLiteral("Y") : QStringLiteral("N");
    } else {
        return false;
    }
    QString& cell = m_rows[index.row()].field(col);
    if (cell == text)
        return true;
    const QString before = cell;
    cell = text;
    cellChanged(index.row(), col);
    emit cellEdited(index.row(), col, before, text);
    return true;
}

void SnmpTableModel::setCellText(int row, int column, const QString& text)
{
    if (row < 0 || row >= m_rows.size() || column < 1 || column > SnmpFieldCount)
        return;
    QString& cell = m_rows[row].field(column);
    if (cell == text)
        return;
    cell = text;
    cellChanged(row, column);
}

void SnmpTableModel::cellChanged(int row, int column)
{
    emit dataChanged(index(row, column), index(row, column));
    if (column == ColEnable)
        marksChanged(row);
}

void SnmpTableModel::marksChanged(int row)
{
    // Ticking or clearing Enable puts on or takes off the marks of the row.
    emit dataChanged(index(row, 1), index(row, SnmpFieldCount), {Qt::DecorationRole, Qt::ToolTipRole});
}

void SnmpTableModel::rowChanged(int row, const SnmpRequest& before)
{
    const SnmpRequest& now = m_rows.at(row);
    int first = 0; // first column of the run of changed cells, 0 outside one
    for (int c = 1; c <= SnmpFieldCount + 1; ++c) {
        const bool changed = c <= SnmpFieldCount && before.field(c) != now.field(c);
        if (changed && !first) {
            first = c;
        } else if (!changed && first) {
            emit dataChanged(index(row, first), index(row, c - 1));
            first = 0;
        }
    }
    if (before.Enable != now.Enable)
        marksChanged(row);
}

int SnmpTableModel::limitHint(int row, int column) const
{
    if (!m_lang)
        return 0;
    const SnmpRequest& r = m_rows[row];
    return RowIsCompiled(r.Enable) ? SnmpCellLimitHint(r, column) : 0;
}

void SnmpTableModel::setLimitMark(const QVariant& icon, const LangTable* lang)
{
    m_limitIcon = icon;
    m_lang = lang;
    emit dataChanged(index(0, 1), index(int(m_rows.size()) - 1, SnmpFieldCount), {Qt::DecorationRole, Qt::ToolTipRole});
}

void SnmpTableModel::replaceRows(const QVector<SnmpRequest>& rows)
{
    Q_ASSERT(rows.size() == SnmpMaxRows);
    QVector<int> changed;
    for (int r = 0; r < m_rows.size() && r < rows.size(); ++r) {
        if (m_rows.at(r) != rows.at(r))
            changed << r;
    }
    if (changed.isEmpty())
        return;
    const QVector<SnmpRequest> before = m_rows;
    m_rows = rows;
    for (int r : changed)
        rowChanged(r, before.at(r));
}

SnmpRequest SnmpTableModel::insertRequest(int row, const SnmpRequest& request)
{
    const int last = int(m_rows.size()) - 1;
    Q_ASSERT(row >= 0 && row <= last);
    beginRemoveRows(QModelIndex(), last, last);
    const SnmpRequest fallen = m_rows.takeLast();
    endRemoveRows();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.insert(row, request);
    endInsertRows();
    emit rowsRenumbered();
    return fallen;
}

SnmpRequest SnmpTableModel::removeRequest(int row, const SnmpRequest& appended)
{
    const int last = int(m_rows.size()) - 1;
    Q_ASSERT(row >= 0 && row <= last);
    beginRemoveRows(QModelIndex(), row, row);
    const SnmpRequest removed = m_rows.takeAt(row);
    endRemoveRows();
    beginInsertRows(QModelIndex(), last, last);
    m_rows.append(appended);
    endInsertRows();
    emit rowsRenumbered();
    return removed;
}

Qt::ItemFlags SnmpTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == ColRowNumber)
        return Qt::ItemIsEnabled;
    if (SnmpRequest::IsCheckBoxColumn(index.column()))
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant SnmpTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return QString::number(section + 1);
        return QVariant();
    }
    if (role == Qt::DisplayRole)
        return section < m_captions.size() ? QVariant(m_captions.at(section)) : QVariant();
    if (role == Qt::ToolTipRole && section >= 1 && section - 1 < m_hints.size())
        return m_hints.at(section - 1);
    return QVariant();
}

void SnmpTableModel::setRows(const QVector<SnmpRequest>& rows)
{
    Q_ASSERT(rows.size() == SnmpMaxRows);
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

void SnmpTableModel::setHeaders(const QStringList& captions, const QStringList& hints)
{
    m_captions = captions;
    m_hints = hints;
    emit headerDataChanged(Qt::Horizontal, 0, SnmpFieldCount);
}

} // namespace kv
