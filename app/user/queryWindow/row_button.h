#pragma once

#include <QString>

class MyPushButton;
class QTableWidget;

// The "下单" button of a table row: 50 x 18 pixels, centred in its cell. Made on the viewport, so the
// table's style sheet reaches the button once, not again when the cell takes it.
MyPushButton* placeRowButton(QTableWidget* table, int row, int column, const QString& text);
