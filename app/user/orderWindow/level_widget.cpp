#include "user/orderWindow/level_widget.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "basicControl/my_click_label.h"
#include "basicControl/my_label.h"
#include "user/orderWindow/level_texts.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"

namespace {
const QString kDash = QStringLiteral("-");
const char* const kAskNames[LevelWidget::kLevels] = {"卖一", "卖二", "卖三", "卖四", "卖五"};
const char* const kBidNames[LevelWidget::kLevels] = {"买一", "买二", "买三", "买四", "买五"};

QFrame* separator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}
}  // namespace

LevelWidget::LevelWidget(QWidget* parent) : QWidget(parent) {
    // Asks top to bottom: the worst (level 5) first.
    for (int k = kLevels - 1; k >= 0; --k) {
        mAskName[k] = new MyLabel(QString::fromUtf8(kAskNames[k]), this);
        mAskPrice[k] = new MyClickLabel(kDash, this);
        mAskVolume[k] = new MyLabel(kDash, this);
    }
    for (int k = 0; k < kLevels; ++k) {
        mBidName[k] = new MyLabel(QString::fromUtf8(kBidNames[k]), this);
        mBidPrice[k] = new MyClickLabel(kDash, this);
        mBidVolume[k] = new MyLabel(kDash, this);
    }
    mLastName = new MyLabel(QStringLiteral("最新"), this);
    mLast = new MyClickLabel(kDash, this);
    mPreCloseName = new MyLabel(QStringLiteral("昨收"), this);
    mPreClose = new MyClickLabel(kDash, this);
    mUpperLimitName = new MyLabel(QStringLiteral("涨停"), this);
    mUpperLimit = new MyClickLabel(kDash, this);
    mLowerLimitName = new MyLabel(QStringLiteral("跌停"), this);
    mLowerLimit = new MyClickLabel(kDash, this);

    buildLayout();

    QList<MyClickLabel*> prices;
    for (int k = 0; k < kLevels; ++k) prices << mAskPrice[k] << mBidPrice[k];
    prices << mLast << mPreClose << mUpperLimit << mLowerLimit;
    for (MyClickLabel* price : prices)
        connect(price, &MyClickLabel::signal_sendPrice, this, &LevelWidget::signal_sendPrice);
}

LevelWidget::~LevelWidget() {
    delete mRefreshTimer;  // made without parent
}

void LevelWidget::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    auto addRow = [layout](std::initializer_list<QWidget*> cells) {
        auto* row = new QHBoxLayout;
        for (QWidget* cell : cells) row->addWidget(cell);
        layout->addLayout(row);
    };
    for (int k = kLevels - 1; k >= 0; --k) addRow({mAskName[k], mAskPrice[k], mAskVolume[k]});
    layout->addWidget(separator(this));
    for (int k = 0; k < kLevels; ++k) addRow({mBidName[k], mBidPrice[k], mBidVolume[k]});
    layout->addWidget(separator(this));
    addRow({mLastName, mLast, mPreCloseName, mPreClose});
    addRow({mUpperLimitName, mUpperLimit, mLowerLimitName, mLowerLimit});
}

void LevelWidget::setQuotesClient(QuotesTcpClient* client) {
    mQuotesClient = client;
    if (!mRefreshTimer) {
        mRefreshTimer = new QTimer;
        connect(mRefreshTimer, &QTimer::timeout, this, &LevelWidget::slot_releaseData);
    }
    mRefreshTimer->start(kRefreshIntervalMs);
}

void LevelWidget::slot_beginShowLevel(QString id) {
    mCode = id;
}

void LevelWidget::slot_releaseData() {
    if (mCode.isEmpty() || !mQuotesClient) {
        showTexts(emptyLevelTexts());
        return;
    }
    // A copy taken under the cache's lock; all zeros while the code is not (yet) cached.
    showTexts(levelTexts(mQuotesClient->getMarketData(mCode)));
}

void LevelWidget::showTexts(const LevelTexts& texts) {
    for (int k = 0; k < kLevels; ++k) {
        mAskPrice[k]->setText(texts.askPrice[k]);
        mAskVolume[k]->setText(texts.askVolume[k]);
        mBidPrice[k]->setText(texts.bidPrice[k]);
        mBidVolume[k]->setText(texts.bidVolume[k]);
    }
    mLast->setText(texts.last);
    mPreClose->setText(texts.preClose);
    mUpperLimit->setText(texts.upperLimit);
    mLowerLimit->setText(texts.lowerLimit);
}
