#include "basicControl/my_time_edit.h"

#include "basicControl/input_style.h"

MyTimeEdit::MyTimeEdit(QWidget* parent) : QTimeEdit(parent) {
    setStyleSheet(inputStyleSheet("QTimeEdit", kNormalBorder));
}

void MyTimeEdit::focusInEvent(QFocusEvent* event) {
    setStyleSheet(inputStyleSheet("QTimeEdit", kFocusBorder));
    QTimeEdit::focusInEvent(event);
}

void MyTimeEdit::focusOutEvent(QFocusEvent* event) {
    setStyleSheet(inputStyleSheet("QTimeEdit", kNormalBorder));
    QTimeEdit::focusOutEvent(event);
}
