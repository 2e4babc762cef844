#pragma once

#include <utility>

#include "moru_api_types.h"
#include "user/queryWindow/query_window.h"

class AnswerLock;
class MyLineEdit;
class MyPushButton;
class PendingQuery;
class QTimer;

// The "出入金" page: deposits into and withdrawals from the counter, and the list of such moves.
class DepositAndWithdrawalWidget : public QueryWindow {
    Q_OBJECT
public:
    static constexpr int REFRESH_LOCK_MS = 1000;

    explicit DepositAndWithdrawalWidget(QWidget* parent = nullptr);

    // The request for the amount typed; false (after telling the user) when it is not a sendable amount.
    std::pair<bool, CMoruReqCapTransferField> checkValue();

    MyLineEdit* amountEdit() const { return mAmountEdit; }
    MyPushButton* withdrawButton() const { return mWithdrawButton; }
    MyPushButton* depositButton() const { return mDepositButton; }
    MyPushButton* clearButton() const { return mClearButton; }
    MyPushButton* refreshButton() const { return mRefreshButton; }
    QTimer* refreshLockTimer() const { return mRefreshLock; }
    int rowCount() const { return mRowCount; }
    // Each money button stays disabled from its click until its answer comes.
    AnswerLock* withdrawLock() const { return mWithdrawLock; }
    AnswerLock* depositLock() const { return mDepositLock; }
    PendingQuery* pendingQuery() const { return mPending; }

public slots:
    void slot_clicked();
    void slot_rspQryInOutFundRecord(const CMoruRspQryCapTransferRecordField& pRspField,
                                    const CMoruRspInfo& pRspInfo, int nRequestID, bool bIsLast);
    void slot_withdrawMoney();
    void slot_rspOutFund(const CMoruRspCapTransferField& pRspField, const CMoruRspInfo& pRspInfo,
                         int nRequestID, bool bIsLast);
    void slot_saveMoney();
    void slot_rspInFund(const CMoruRspCapTransferField& pRspField, const CMoruRspInfo& pRspInfo,
                        int nRequestID, bool bIsLast);
    void slot_clickedClear();
    // What the one-second lock's timer calls.
    void slot_unlockRefresh();

protected:
    QList<XlsxExport::Kind> xlsxKinds() const override;

private:
    using FundRequest = int (*)(const CMoruReqCapTransferField*, int, int);
    void sendFundRequest(FundRequest request, const char* failureLog, AnswerLock* lock);
    void showFundAnswer(const CMoruRspInfo& info, const QString& failure, const QString& success);
    void recordQueryTimedOut();

    MyLineEdit* mAmountEdit;
    MyPushButton* mWithdrawButton;
    MyPushButton* mDepositButton;
    MyPushButton* mClearButton;
    MyPushButton* mRefreshButton;
    QTimer* mRefreshLock;
    // The record query whose answers fill the table.
    PendingQuery* mPending;
    int mRowCount = 0;
    AnswerLock* mWithdrawLock;
    AnswerLock* mDepositLock;
};
