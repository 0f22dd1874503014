#include "requests/UCheckBoxDelegate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace kv {

namespace {

QStyle* styleOf(const QStyleOptionViewItem& option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

} // namespace

QRect CheckBoxDelegate::boxRect(const QStyleOptionViewItem& option) const
{
    QStyle* style = styleOf(option);
    const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, option.widget);
    const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, &option, option.widget);
    return QStyle::alignedRect(option.direction, Qt::AlignCenter, QSize(w, h), option.rect);
}

void CheckBoxDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const bool checked = opt.checkState == Qt::Checked;
    opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    opt.text.clear();
    QStyle* style = styleOf(option);
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, option.widget);

    QStyleOptionViewItem box = opt;
    box.rect = boxRect(option);
    box.state = (box.state & ~(QStyle::State_On | QStyle::State_Off | QStyle::State_HasFocus))
        | (checked ? QStyle::State_On : QStyle::State_Off);
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, option.widget);
}

bool CheckBoxDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                   const QModelIndex& index)
{
    const Qt::ItemFlags f = model->flags(index);
    if (!(f & Qt::ItemIsUserCheckable) || !(f & Qt::ItemIsEnabled))
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        const auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() != Qt::LeftButton || !boxRect(option).contains(me->position().toPoint()))
            return false;
        break;
    }
    case QEvent::MouseButtonDblClick: {
        // Swallowed on the box so that it neither toggles nor opens an editor.
        const auto* me = static_cast<QMouseEvent*>(event);
        return boxRect(option).contains(me->position().toPoint());
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select)
            return false;
        break;
    }
    default:
        return false;
    }
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

} // namespace kv
