#pragma once

#include <initializer_list>

class QVBoxLayout;
class QWidget;

// The order window's forms are columns of left-aligned rows: widgets with fixed gaps between them.
struct FormRowItem {
    FormRowItem(QWidget* w) : widget(w) {}  // NOLINT: rows read as lists of widgets and gaps
    FormRowItem(int gap) : spacing(gap) {}  // NOLINT
    QWidget* widget = nullptr;
    int spacing = 0;
};

// One row of widgets and gaps, ending with a stretch.
void addFormRow(QVBoxLayout* column, std::initializer_list<FormRowItem> items);

// The stretch under the inputs, then 20 pixels, the order button, a stretch, the clear button, 60 pixels.
void addButtonRow(QVBoxLayout* column, QWidget* orderButton, QWidget* clearButton);
