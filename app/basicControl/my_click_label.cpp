#include "basicControl/my_click_label.h"

#include <QDebug>

MyClickLabel::MyClickLabel(QWidget* parent) : QLabel(parent) {}

MyClickLabel::MyClickLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setStyleSheet(QLatin1String(normalStyle()));
}

const char* MyClickLabel::normalStyle() {
    return "MyLabel{border-radius: 3px;font-family:'Microsoft YaHei';font:bold 13px;color:#000000;}";
}

const char* MyClickLabel::hoverStyle() {
    return "border:1px solid;border-color:#CD2626;";
}

const char* MyClickLabel::pressedStyle() {
    return "border:1px solid;border-color:#87CEFA;";
}

void MyClickLabel::mousePressEvent(QMouseEvent* event) {
    setStyleSheet(QLatin1String(pressedStyle()));
    qInfo() << "price is : " << text() << " " << text();
    // "-" goes out too: the order form ignores it.
    if (!text().isEmpty()) emit signal_sendPrice(text());
    QLabel::mousePressEvent(event);
}

void MyClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    setStyleSheet(QLatin1String(hoverStyle()));
    QLabel::mouseReleaseEvent(event);
}

void MyClickLabel::enterEvent(QEvent* event) {
    setStyleSheet(QLatin1String(hoverStyle()));
    QLabel::enterEvent(event);
}

void MyClickLabel::leaveEvent(QEvent* event) {
    setStyleSheet(QLatin1String(normalStyle()));
    QLabel::leaveEvent(event);
}
