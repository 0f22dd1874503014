#pragma once
#include <QStyledItemDelegate>

class QAbstractItemModel;

namespace kv {

// A drop-down editor over a list model that every editor of the column
// shares.  A cell text the list does not offer (read from the file) is shown
// as it is and kept unless the user picks a choice.  An editable list takes
// any typed text as well.  In a fixed list, what the user types since the
// editor opened picks the choice by its whole text: "12" is 12, never 1 or 2.
// An editable list with a maxLength takes at most that many characters typed;
// a longer text from the file is shown whole and only shortened by the user.
class PickListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    PickListDelegate(QAbstractItemModel* choices, bool editable, QObject* parent = nullptr, int maxLength = 0);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QAbstractItemModel* m_choices;
    bool m_editable;
    int m_maxLength;
};

} // namespace kv
