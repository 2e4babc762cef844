#include "basicControl/my_double_spin_box.h"

#include "basicControl/input_style.h"

MyDoubleSpinBox::MyDoubleSpinBox(QWidget* parent) : QDoubleSpinBox(parent) {
    setDecimals(3);
    setStyleSheet(inputStyleSheet("QDoubleSpinBox", kNormalBorder));
}

void MyDoubleSpinBox::focusInEvent(QFocusEvent* event) {
    setStyleSheet(inputStyleSheet("QDoubleSpinBox", kFocusBorder));
    QDoubleSpinBox::focusInEvent(event);
}

void MyDoubleSpinBox::focusOutEvent(QFocusEvent* event) {
    setStyleSheet(inputStyleSheet("QDoubleSpinBox", kNormalBorder));
    QDoubleSpinBox::focusOutEvent(event);
}
