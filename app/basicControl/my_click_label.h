#pragma once

#include <QLabel>

// A price cell of the quote level panel: framed red under the mouse, light blue while pressed, and a
// press sends the shown price on.
class MyClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit MyClickLabel(QWidget* parent = nullptr);
    explicit MyClickLabel(const QString& text, QWidget* parent = nullptr);

    static const char* normalStyle();
    static const char* hoverStyle();
    static const char* pressedStyle();

signals:
    void signal_sendPrice(QString price);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
};
