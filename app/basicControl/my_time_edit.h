#pragma once

#include <QTimeEdit>

class MyTimeEdit : public QTimeEdit {
    Q_OBJECT
public:
    explicit MyTimeEdit(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
