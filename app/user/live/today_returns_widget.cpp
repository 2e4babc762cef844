#include "user/live/today_returns_widget.h"

#include <QListWidget>
#include <QVBoxLayout>

TodayReturnsWidget::TodayReturnsWidget(QWidget* parent) : QWidget(parent), mList(new QListWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mList);
    mList->setSelectionMode(QAbstractItemView::NoSelection);
    mList->setFocusPolicy(Qt::NoFocus);
}

void TodayReturnsWidget::add(const QString& time, const QString& text) {
    // A list item shows its text as it is: nothing from the counter is rendered.
    mList->insertItem(0, time + QStringLiteral("  ") + text);
    while (mList->count() > MAX_LINES) delete mList->takeItem(mList->count() - 1);
}
