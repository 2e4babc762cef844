#pragma once

#include <QString>
#include <QWidget>

class MyClickLabel;
class MyLabel;
class QTimer;
class QuotesTcpClient;
struct LevelTexts;

// The five-level quote panel beside the order form: five asks (worst on top), five bids (best on
// top), last, previous close and the day's limits of the code typed in the form, refreshed every second
// from the quote cache. A click on any price sends it to the form.
class LevelWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLevels = 5;
    static constexpr int kRefreshIntervalMs = 1000;

    explicit LevelWidget(QWidget* parent = nullptr);
    ~LevelWidget() override;

    // Not owned; starts the every-second refresh.
    void setQuotesClient(QuotesTcpClient* client);

    // Level 1 to 5 of each side.
    MyClickLabel* askPriceCell(int level) const { return mAskPrice[level - 1]; }
    MyLabel* askVolumeCell(int level) const { return mAskVolume[level - 1]; }
    MyClickLabel* bidPriceCell(int level) const { return mBidPrice[level - 1]; }
    MyLabel* bidVolumeCell(int level) const { return mBidVolume[level - 1]; }
    MyClickLabel* lastCell() const { return mLast; }
    MyClickLabel* preCloseCell() const { return mPreClose; }
    MyClickLabel* upperLimitCell() const { return mUpperLimit; }
    MyClickLabel* lowerLimitCell() const { return mLowerLimit; }
    QString shownCode() const { return mCode; }
    QTimer* refreshTimer() const { return mRefreshTimer; }

signals:
    void signal_sendPrice(QString price);

public slots:
    void slot_beginShowLevel(QString id);
    void slot_releaseData();

private:
    void buildLayout();
    void showTexts(const LevelTexts& texts);

    MyLabel* mAskName[kLevels];
    MyClickLabel* mAskPrice[kLevels];
    MyLabel* mAskVolume[kLevels];
    MyLabel* mBidName[kLevels];
    MyClickLabel* mBidPrice[kLevels];
    MyLabel* mBidVolume[kLevels];
    MyLabel* mLastName;
    MyClickLabel* mLast;
    MyLabel* mPreCloseName;
    MyClickLabel* mPreClose;
    MyLabel* mUpperLimitName;
    MyClickLabel* mUpperLimit;
    MyLabel* mLowerLimitName;
    MyClickLabel* mLowerLimit;

    QuotesTcpClient* mQuotesClient = nullptr;
    QTimer* mRefreshTimer = nullptr;
    QString mCode;
};
