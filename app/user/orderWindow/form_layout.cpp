#include "user/orderWindow/form_layout.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

void addFormRow(QVBoxLayout* column, std::initializer_list<FormRowItem> items) {
    auto* row = new QHBoxLayout;
    for (const FormRowItem& item : items) {
        if (item.widget)
            row->addWidget(item.widget);
        else
            row->addSpacing(item.spacing);
    }
    row->addStretch();
    column->addLayout(row);
}

void addButtonRow(QVBoxLayout* column, QWidget* orderButton, QWidget* clearButton) {
    column->addStretch();
    auto* row = new QHBoxLayout;
    row->addSpacing(20);
    row->addWidget(orderButton);
    row->addStretch();
    row->addWidget(clearButton);
    row->addSpacing(60);
    column->addLayout(row);
}
