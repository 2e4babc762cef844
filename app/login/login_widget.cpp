#include "login/login_widget.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

LoginWidget::LoginWidget(QWidget* parent) : QWidget(parent) {
    qRegisterMetaType<LoginStatus>("LoginStatus");
    setFixedSize(450, 493);
    m_logo = new QLabel(this);
    m_logo->setPixmap(QPixmap(QStringLiteral(":/resource/Moru-Desk.png")));
    m_logo->setScaledContents(true);
    m_logo->setFixedSize(190, 30);
    auto* layout = new QVBoxLayout(this);
    layout->addSpacing(50);
    layout->addWidget(m_logo, 0, Qt::AlignHCenter);
    layout->addStretch();
}

void LoginWidget::resetAfterDisconnect() {}

void LoginWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(255, 255, 255, 255));
    painter.setPen(Qt::transparent);
    painter.drawRoundedRect(QRect(0, 0, width() - 1, height() - 1), 15, 15, Qt::AbsoluteSize);
}
