#pragma once

#include <QSpinBox>

class MySpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit MySpinBox(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
