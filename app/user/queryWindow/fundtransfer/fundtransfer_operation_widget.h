#pragma once

#include <QWidget>

#include "moru_api_types.h"

class AnswerLock;
class MyDoubleSpinBox;
class MyLabel;
class MyPushButton;
class QRadioButton;

// The left side of the transfer dialog: direction and amount, and the transfer itself with its answers.
class FundTransferOperationWidget : public QWidget {
    Q_OBJECT
public:
    explicit FundTransferOperationWidget(QWidget* parent = nullptr);

    // '1' Shanghai to Shenzhen, '2' Shenzhen to Shanghai.
    char direction() const { return mDirection; }
    QRadioButton* shanghaiToShenzhenButton() const { return mToShenzhen; }
    QRadioButton* shenzhenToShanghaiButton() const { return mToShanghai; }
    MyDoubleSpinBox* amountBox() const { return mAmount; }
    MyPushButton* sendButton() const { return mSendButton; }
    MyPushButton* clearButton() const { return mClearButton; }
    // "调拨" stays disabled from its click until the counter answers the transfer.
    AnswerLock* sendLock() const { return mSendLock; }

public slots:
    void slotRadioButtonChange(bool status);
    void slotClear();
    void slotSend();
    void slotRspBTFundTransfer(const CMoruRspBTCapTransferManagerField& pRspField,
                               const CMoruRspInfo& pRspInfo, int nRequestID, bool bIsLast);
    void slotRtnBTFundTransfer(const CMoruRtnBtCapTransferManagerField& pRspField,
                               const CMoruRspInfo& pRspInfo, int nRequestID, bool bIsLast);

private:
    // Checks, asks and sends; false when nothing went out.
    bool sendTransfer();
    // Logs and shows a refused transfer; true when there was one.
    bool reportFailure(const CMoruRspInfo& info);

    MyLabel* mDirectionLabel;
    QRadioButton* mToShenzhen;
    QRadioButton* mToShanghai;
    MyLabel* mAmountLabel;
    MyDoubleSpinBox* mAmount;
    MyPushButton* mClearButton;
    MyPushButton* mSendButton;
    AnswerLock* mSendLock;
    char mDirection = '1';
};
