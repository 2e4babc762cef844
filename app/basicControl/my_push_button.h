#pragma once

#include <QPushButton>

class MyPushButton : public QPushButton {
    Q_OBJECT
public:
    explicit MyPushButton(QWidget* parent = nullptr);
    explicit MyPushButton(const QString& text, QWidget* parent = nullptr);

    void setDefaultStyle();
    void setLargeBlueStyle();
    void setGreenStyle();
    void setRedStyle();
    void setLargeRedStyle();

    // The one sheet every style fills in: colour, hover/pressed colour, font size.
    static QString styleSheetFor(const char* colour, const char* hover, int fontSize);
};
