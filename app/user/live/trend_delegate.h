#pragma once

#include <QStyledItemDelegate>

// Draws a cell's text in the colour of its foreground role. The tables' style sheet gives every item
// one text colour, which would hide the red and green of the prices.
class TrendDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
