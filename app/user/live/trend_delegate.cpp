#include "user/live/trend_delegate.h"

#include <QApplication>
#include <QPainter>

void TrendDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    const QVariant colour = index.data(Qt::ForegroundRole);
    if (!colour.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The cell as styled, without its text; then the text in its own colour.
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString text = cell.text;
    cell.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
    painter->save();
    painter->setFont(cell.font);
    painter->setPen(colour.value<QBrush>().color());
    painter->drawText(area.adjusted(2, 0, -2, 0), int(cell.displayAlignment), text);
    painter->restore();
}
