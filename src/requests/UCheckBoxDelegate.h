#pragma once
#include <QStyledItemDelegate>

namespace kv {

// Paints a check box centred in the cell from Qt::CheckStateRole and toggles
// it with a click on the box or the space key.  No editor widget.
class CheckBoxDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&, const QModelIndex&) const override { return nullptr; }

private:
    QRect boxRect(const QStyleOptionViewItem& option) const;
};

} // namespace kv
