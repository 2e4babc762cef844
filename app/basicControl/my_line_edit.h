#pragma once

#include <QLineEdit>

class MyLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit MyLineEdit(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
