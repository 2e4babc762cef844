#include "basicControl/my_header_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

MyHeaderView::MyHeaderView(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent) {}

void MyHeaderView::resetCheckState() {
    m_checked = false;
}

void MyHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (logicalIndex != 0) return;

    m_checkBoxRect = QRect(QPoint(rect.x() + 13, rect.y() + 5), QPoint(rect.x() + 26, rect.y() + 18));
    QStyleOptionButton option;
    option.rect = m_checkBoxRect;
    option.icon = QIcon();
    if (m_checked)
        option.state = QStyle::State_On;
    else if (m_checkBoxRect.contains(m_mousePos))
        option.state = QStyle::State_HasFocus;
    else
        option.state = QStyle::State_Off;
    style()->drawControl(QStyle::CE_CheckBox, &option, painter);
}

void MyHeaderView::mouseMoveEvent(QMouseEvent* event) {
    m_mousePos = event->pos();
    if (m_checkBoxRect.contains(m_mousePos)) updateSection(0);
    QHeaderView::mouseMoveEvent(event);
}

void MyHeaderView::mousePressEvent(QMouseEvent* event) {
    const int along = orientation() == Qt::Horizontal ? event->pos().x() : event->pos().y();
    if (isEnabled() && logicalIndexAt(along) == 0 && m_checkBoxRect.contains(event->pos())) {
        m_checked = !m_checked;
        updateSection(0);
        emit signalHeadCheckBoxToggled(m_checked);
        return;
    }
    QHeaderView::mousePressEvent(event);
}
