#pragma once
#include <QStyledItemDelegate>

class QAbstractItemModel;

namespace kv {

// A drop-down editor over a list model that every editor of the column
// shares.  A cell text the list does not offer (read from the file) is shown
// as it is and kept unless the user picks a choice.  An editable list takes
// any typed text as well.
class PickListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    PickListDelegate(QAbstractItemModel* choices, bool editable, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QAbstractItemModel* m_choices;
    bool m_editable;
};

} // namespace kv
