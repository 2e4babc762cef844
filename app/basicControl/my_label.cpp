#include "basicControl/my_label.h"

namespace {
const char* const kLabelStyle =
    "MyLabel{border-radius: 3px;font-family:'Microsoft YaHei';font:bold 13px;color:#000000;}";
}

MyLabel::MyLabel(QWidget* parent) : QLabel(parent) {
    setStyleSheet(QLatin1String(kLabelStyle));
}

MyLabel::MyLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setStyleSheet(QLatin1String(kLabelStyle));
}

void MyLabel::setRedTitleStyle() {
    setStyleSheet(QStringLiteral(
        "MyLabel{border-radius: 3px;font-family:'Microsoft YaHei';font:bold 16px;color:#CD2626;}"));
}

void MyLabel::mousePressEvent(QMouseEvent* event) {
    emit signalClicked();
    QLabel::mousePressEvent(event);
}
