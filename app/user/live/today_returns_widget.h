#pragma once

#include <QWidget>

class QListWidget;

// "今日回报": every order return of the session, newest first, with the time it came.
class TodayReturnsWidget : public QWidget {
    Q_OBJECT
public:
    explicit TodayReturnsWidget(QWidget* parent = nullptr);

    void add(const QString& time, const QString& text);
    QListWidget* list() const { return mList; }

    // Lines kept at most; the oldest go first.
    static constexpr int MAX_LINES = 20000;

private:
    QListWidget* mList;
};
