#include "requests/UPickListDelegate.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>

namespace kv {

namespace {

// The text typed into a fixed-list editor since it opened.
const char* const kTypedProperty = "kvTyped";

// The choice named by the typed text: the one equal to it, else the first
// that begins with it (letters in any case); -1 when none does.
int choiceForTyped(const QComboBox* combo, const QString& typed)
{
    const int exact = combo->findText(typed, Qt::MatchFixedString);
    return exact >= 0 ? exact : combo->findText(typed, Qt::MatchStartsWith);
}

} // namespace

PickListDelegate::PickListDelegate(QAbstractItemModel* choices, bool editable, QObject* parent, int maxLength)
    : QStyledItemDelegate(parent)
    , m_choices(choices)
    , m_editable(editable)
    , m_maxLength(maxLength)
{
}

QWidget* PickListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("PickListEditor"));
    combo->setFrame(false);
    combo->setEditable(m_editable);
    if (m_editable) {
        combo->setInsertPolicy(QComboBox::NoInsert);
        // Inline completion would store "Marble" for a typed "M": the cell
        // takes exactly what was typed; the list still offers the choices.
        combo->setCompleter(nullptr);
    }
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
    if (m_editable) {
        // A text longer than the limit (from the file) must not be cut by
        // merely opening the editor.
        if (m_maxLength > 0)
            combo->lineEdit()->setMaxLength(qMax(m_maxLength, int(text.size())));
        combo->setEditText(text);
        // As in a text cell, the first key typed replaces the text.
        combo->lineEdit()->selectAll();
    } else {
        // Shown when no choice is selected; Enter then keeps the cell as it was.
        combo->setPlaceholderText(text);
        combo->setProperty(kTypedProperty, QString());
    }
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

bool PickListDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* combo = qobject_cast<QComboBox*>(object);
    if (combo && !combo->isEditable() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        QString typed = combo->property(kTypedProperty).toString();
        const QString text = key->text();
        const bool command = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (key->key() == Qt::Key_Backspace && !typed.isEmpty()) {
            typed.chop(1);
        } else if (!command && text.size() == 1 && text.at(0).isPrint() && !(typed.isEmpty() && text.at(0).isSpace())) {
            typed += text;
        } else {
            // Enter, Escape, Tab and the arrows keep their meaning; a first
            // space opens the list.
            return QStyledItemDelegate::eventFilter(object, event);
        }
        combo->setProperty(kTypedProperty, typed);
        combo->setCurrentIndex(typed.isEmpty() ? -1 : choiceForTyped(combo, typed));
        return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace kv
