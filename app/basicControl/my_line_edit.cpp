#include "basicControl/my_line_edit.h"

#include <QRegularExpressionValidator>

#include "basicControl/input_style.h"

MyLineEdit::MyLineEdit(QWidget* parent) : QLineEdit(parent) {
    setFixedHeight(25);
    // Digits only, everywhere this control is used.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]+$")), this));
    setStyleSheet(inputStyleSheet("QLineEdit", kNormalBorder));
}

void MyLineEdit::focusInEvent(QFocusEvent* event) {
    setStyleSheet(inputStyleSheet("QLineEdit", kFocusBorder));
    QLineEdit::focusInEvent(event);
}

void MyLineEdit::focusOutEvent(QFocusEvent* event) {
    setStyleSheet(inputStyleSheet("QLineEdit", kNormalBorder));
    QLineEdit::focusOutEvent(event);
}
