#include "requests/PositionListModel.h"

namespace kv {

PositionListModel::PositionListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int PositionListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_count;
}

QVariant PositionListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_count || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return QString::number(index.row());
}

void PositionListModel::setCount(int count)
{
    count = qMax(0, count);
    if (count == m_count)
        return;
    beginResetModel();
    m_count = count;
    endResetModel();
}

} // namespace kv
