#include "basicControl/my_push_button.h"

MyPushButton::MyPushButton(QWidget* parent) : QPushButton(parent) {
    setDefaultStyle();
}

MyPushButton::MyPushButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setDefaultStyle();
}

QString MyPushButton::styleSheetFor(const char* colour, const char* hover, int fontSize) {
    return QStringLiteral(
               "QPushButton{border-radius: 5px;padding-left: 10px;padding-right: 10px;color: %1;background: "
               "%1;font-family:'Microsoft YaHei';font:bold %3px;color:#FFFFFF;}QPushButton:hover "
               "{background: "
               "%2;}QPushButton:pressed {border: 1px solid rgb(242,203,133);background: "
               "%2;}QPushButton:disabled {background: #C0C0C0}")
        .arg(QLatin1String(colour), QLatin1String(hover), QString::number(fontSize));
}

void MyPushButton::setDefaultStyle() {
    setStyleSheet(styleSheetFor("#87CEEB", "#87CEFA", 15));
}
void MyPushButton::setLargeBlueStyle() {
    setStyleSheet(styleSheetFor("#87CEEB", "#87CEFA", 17));
}
void MyPushButton::setGreenStyle() {
    setStyleSheet(styleSheetFor("#00CD66", "#008B45", 15));
}
void MyPushButton::setRedStyle() {
    setStyleSheet(styleSheetFor("#EE0000", "#CD0000", 15));
}
void MyPushButton::setLargeRedStyle() {
    setStyleSheet(styleSheetFor("#EE0000", "#CD0000", 17));
}
