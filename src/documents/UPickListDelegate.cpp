#include "documents/UPickListDelegate.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListView>

namespace kv {

PickListDelegate::PickListDelegate(QAbstractItemModel* choices, bool editable, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_choices(choices)
    , m_editable(editable)
{
}

QWidget* PickListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("PickListEditor"));
    combo->setFrame(false);
    combo->setEditable(m_editable);
    if (m_editable)
        combo->setInsertPolicy(QComboBox::NoInsert);
    // Sizing the combo from its items would measure up to 1439 texts.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setModel(m_choices);
    combo->setMaxVisibleItems(16);
    if (auto* list = qobject_cast<QListView*>(combo->view()))
        list->setUniformItemSizes(true);
    // A choice picked from the list is the cell's new value at once.
    auto* self = const_cast<PickListDelegate*>(this);
    connect(combo, QOverload<int>::of(&QComboBox::activated), self, [self, combo](int) {
        emit self->commitData(combo);
        emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
    });
    return combo;
}

void PickListDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* combo = static_cast<QComboBox*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    const int i = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    combo->setCurrentIndex(i);
    if (m_editable)
        combo->setEditText(text);
    else if (i < 0)
        combo->setPlaceholderText(text);
}

void PickListDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* combo = static_cast<QComboBox*>(editor);
    if (m_editable) {
        model->setData(index, combo->currentText(), Qt::EditRole);
        return;
    }
    // No choice made: the cell keeps its text, offered by the list or not.
    if (combo->currentIndex() >= 0)
        model->setData(index, combo->currentText(), Qt::EditRole);
}

void PickListDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const
{
    editor->setGeometry(option.rect);
}

} // namespace kv
