#pragma once

#include <QDialog>
#include <QList>

#include "moru_api_types.h"

class MyLabel;
class MyPushButton;
class QTimer;

// The account's fund figures, as the counter's fund query reports them.
class PersonalInfDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int REFRESH_LOCK_MS = 1000;

    explicit PersonalInfDialog(QWidget* parent = nullptr);

    MyPushButton* refreshButton() const { return mRefreshButton; }
    QTimer* refreshLockTimer() const { return mRefreshLock; }
    // Caption and value labels, in the order of the rows on screen.
    QList<MyLabel*> captionLabels() const { return mCaptions; }
    QList<MyLabel*> valueLabels() const { return mValues; }

public slots:
    void slot_refresh();
    // A refused query keeps the last figures and says why.
    void slot_personalInfo(const CMoruRspQryStockClientAccountField& msg, const CMoruRspInfo& pRspInfo,
                           int nRequestID, bool bIsLast);
    // What the one-second lock's timer calls.
    void slot_unlockRefresh();

private:
    MyPushButton* mRefreshButton;
    QTimer* mRefreshLock;
    QList<MyLabel*> mCaptions;
    QList<MyLabel*> mValues;
};
