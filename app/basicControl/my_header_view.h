#pragma once

#include <QHeaderView>

// A header that draws a select-all check box in section 0.
class MyHeaderView : public QHeaderView {
    Q_OBJECT
public:
    explicit MyHeaderView(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Off without repaint or signal; the box shows off at the next repaint.
    void resetCheckState();

    bool isChecked() const { return m_checked; }
    QRect checkBoxRect() const { return m_checkBoxRect; }

signals:
    void signalHeadCheckBoxToggled(bool checked);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool m_checked = false;
    QPoint m_mousePos{100, 100};
    mutable QRect m_checkBoxRect;
};
