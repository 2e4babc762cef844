#include "basicControl/my_spin_box.h"

#include "basicControl/input_style.h"

MySpinBox::MySpinBox(QWidget* parent) : QSpinBox(parent) {
    setStyleSheet(inputStyleSheet("QSpinBox", kNormalBorder));
}

void MySpinBox::focusInEvent(QFocusEvent* event) {
    setStyleSheet(inputStyleSheet("QSpinBox", kFocusBorder));
    QSpinBox::focusInEvent(event);
}

void MySpinBox::focusOutEvent(QFocusEvent* event) {
    setStyleSheet(inputStyleSheet("QSpinBox", kNormalBorder));
    QSpinBox::focusOutEvent(event);
}
