#pragma once

#include <QLabel>

class MyLabel : public QLabel {
    Q_OBJECT
public:
    explicit MyLabel(QWidget* parent = nullptr);
    explicit MyLabel(const QString& text, QWidget* parent = nullptr);

    // Bold 16-pixel red, for page titles.
    void setRedTitleStyle();

signals:
    void signalClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
