#include "user/queryWindow/row_button.h"

#include <QHBoxLayout>
#include <QTableWidget>

#include "basicControl/my_push_button.h"

MyPushButton* placeRowButton(QTableWidget* table, int row, int column, const QString& text) {
    auto* cell = new QWidget(table->viewport());
    auto* layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* button = new MyPushButton(text, cell);
    button->setFixedSize(50, 18);
    layout->addWidget(button, 0, Qt::AlignCenter);
    table->setCellWidget(row, column, cell);
    return button;
}
