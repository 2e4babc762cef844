#include "user/orderWindow/quick_quantity_bar.h"

#include <QHBoxLayout>

#include "basicControl/my_label.h"
#include "basicControl/my_push_button.h"

QuickQuantityBar::QuickQuantityBar(QWidget* parent)
    : QWidget(parent),
      mName(new MyLabel(QStringLiteral("可买"), this)),
      mFigure(new MyLabel(QStringLiteral("-"), this)) {
    const char* const texts[kButtons] = {"全部", "1/2", "1/3", "1/4"};
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    mName->setFixedWidth(32);
    mFigure->setFixedWidth(66);
    row->addWidget(mName);
    row->addWidget(mFigure);
    // Small enough for the row to fit beside the form's labels without widening the window.
    const QString compact = MyPushButton::styleSheetFor("#87CEEB", "#87CEFA", 12)
                                .replace(QStringLiteral("padding-left: 10px;padding-right: 10px;"),
                                         QStringLiteral("padding: 0px;"));
    for (int i = 0; i < kButtons; ++i) {
        mButtons[i] = new MyPushButton(QString::fromUtf8(texts[i]), this);
        mButtons[i]->setStyleSheet(compact);
        mButtons[i]->setFixedSize(i == 0 ? 36 : 30, 18);
        mButtons[i]->setFocusPolicy(Qt::NoFocus);
        mButtons[i]->setAutoDefault(false);
        const int divisor = i + 1;
        connect(mButtons[i], &QPushButton::clicked, this, [this, divisor] { emit divisorChosen(divisor); });
        row->addWidget(mButtons[i]);
    }
    row->addStretch();
    setFixedHeight(18);
}

void QuickQuantityBar::showFigure(bool sell, qint64 figure) {
    mName->setText(sell ? QStringLiteral("可卖") : QStringLiteral("可买"));
    mFigure->setText(figure < 0 ? QStringLiteral("-") : QString::number(figure));
}
