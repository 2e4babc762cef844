#pragma once

#include <QWidget>

class MyLabel;
class MyPushButton;

// The row under the order form's quantity: 可买 or 可卖 with its figure, and the buttons 全部, 1/2,
// 1/3 and 1/4 that fill the quantity from it.
class QuickQuantityBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kButtons = 4;

    explicit QuickQuantityBar(QWidget* parent = nullptr);

    // 可卖 for a sell, 可买 otherwise; a negative figure shows "-".
    void showFigure(bool sell, qint64 figure);

    MyLabel* nameLabel() const { return mName; }
    MyLabel* figureLabel() const { return mFigure; }
    // 0 全部, 1 1/2, 2 1/3, 3 1/4.
    MyPushButton* button(int index) const { return mButtons[index]; }

signals:
    // 1 for 全部, else the part asked for (2, 3, 4).
    void divisorChosen(int divisor);

private:
    MyLabel* mName;
    MyLabel* mFigure;
    MyPushButton* mButtons[kButtons];
};
