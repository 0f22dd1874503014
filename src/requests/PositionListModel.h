#pragma once
#include <QAbstractListModel>

namespace kv {

// The Position choices "0" .. count - 1, made on demand: one list shared by
// every Position editor of the grid.
class PositionListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit PositionListModel(QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void setCount(int count);
    int count() const { return m_count; }

private:
    int m_count = 0;
};

} // namespace kv
