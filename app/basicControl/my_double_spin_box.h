#pragma once

#include <QDoubleSpinBox>

class MyDoubleSpinBox : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit MyDoubleSpinBox(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
