#include "user/user_widget.h"

#include <QPainter>

UserWidget::UserWidget(QWidget* parent) : QWidget(parent) {}

void UserWidget::buildWorkspace() {
    m_built = true;
}

void UserWidget::refreshAccountInfo() {}

void UserWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(245, 245, 245));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(rect(), 15, 15);
}
