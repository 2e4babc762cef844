#include "user/queryWindow/fundtransfer/fundtransfer_operation_widget.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "basicControl/answer_lock.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_label.h"
#include "basicControl/my_push_button.h"
#include "moru_securities_api.h"
#include "user/queryWindow/fundtransfer/fund_transfer_records.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/error_msg.h"
#include "utils/number_input.h"
#include "utils/rsp_error_text.h"
#include "utils/signal_interface.h"

FundTransferOperationWidget::FundTransferOperationWidget(QWidget* parent)
    : QWidget(parent),
      mDirectionLabel(new MyLabel(QStringLiteral("资金调拨方向"), this)),
      mToShenzhen(new QRadioButton(QStringLiteral("上交柜台调往深交柜台"), this)),
      mToShanghai(new QRadioButton(QStringLiteral("深交柜台调往上交柜台"), this)),
      mAmountLabel(new MyLabel(QStringLiteral("金额"), this)),
      mAmount(new MyDoubleSpinBox(this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)),
      mSendButton(new MyPushButton(QStringLiteral("调拨"), this)),
      mSendLock(new AnswerLock(mSendButton, QStringLiteral("调拨"), this)) {
    qRegisterMetaType<CMoruRspBTCapTransferManagerField>("CMoruRspBTCapTransferManagerField");
    qRegisterMetaType<CMoruRtnBtCapTransferManagerField>("CMoruRtnBtCapTransferManagerField");

    for (MyLabel* label : {mDirectionLabel, mAmountLabel}) {
        label->setFixedHeight(20);
        label->setRedTitleStyle();
    }
    mToShenzhen->setChecked(true);
    mAmount->setDecimals(2);
    mAmount->setRange(0, 2147483647);
    mClearButton->setGreenStyle();
    mSendButton->setRedStyle();

    auto* layout = new QVBoxLayout(this);
    auto addItem = [layout](QWidget* widget, int stretch) {
        layout->addWidget(widget, stretch, Qt::AlignLeft);
        layout->addSpacing(10);
    };
    addItem(mDirectionLabel, 0);
    addItem(mToShenzhen, 50);
    addItem(mToShanghai, 50);
    layout->addStretch();
    addItem(mAmountLabel, 0);
    addItem(mAmount, 50);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mSendButton);
    buttons->addWidget(mClearButton);
    layout->addLayout(buttons);

    SignalInterface* hub = SignalInterface::instance();
    connect(mToShenzhen, &QRadioButton::toggled, this, &FundTransferOperationWidget::slotRadioButtonChange);
    connect(mClearButton, &QPushButton::clicked, this, &FundTransferOperationWidget::slotClear);
    connect(mSendButton, &QPushButton::clicked, this, &FundTransferOperationWidget::slotSend);
    connect(hub, &SignalInterface::signal_rspBTFundTransfer, this,
            &FundTransferOperationWidget::slotRspBTFundTransfer);
    connect(hub, &SignalInterface::signal_rtnBTFundTransfer, this,
            &FundTransferOperationWidget::slotRtnBTFundTransfer);
}

void FundTransferOperationWidget::slotRadioButtonChange(bool status) {
    mDirection = status ? '1' : '2';
}

void FundTransferOperationWidget::slotClear() {
    mAmount->setValue(0);
}

void FundTransferOperationWidget::slotSend() {
    mSendLock->hold();
    if (!sendTransfer()) mSendLock->release();
}

bool FundTransferOperationWidget::sendTransfer() {
    const double amount = mAmount->value();
    if (!NumberInput::isSendableAmount(amount)) {
        DialogSeam::warning(QStringLiteral("错误"), QStringLiteral("请填写正确调拨金额!"));
        return false;
    }
    const CMoruReqBTCapTransferManagerField request =
        FundTransferRecords::transferRequest(currentAccount, amount, mDirection);
    const int choice =
        DialogSeam::choose(DialogSeam::Kind::Information, QStringLiteral("确认"),
                           QStringLiteral("是否确认调拨"), {QStringLiteral("确认"), QStringLiteral("取消")});
    if (choice != 0) return false;
    if (reqBTFundTransfer(&request, takeRequestId(), entryNo) != 0) {
        qWarning() << "资金调拨请求失败";
        DialogSeam::warning(QStringLiteral("错误"), QStringLiteral("请求失败"));
        return false;
    }
    return true;
}

bool FundTransferOperationWidget::reportFailure(const CMoruRspInfo& info) {
    if (info.ErrorID == 0) return false;
    const QString text = idErrorText(info.ErrorID, ErrorMsg::instance()->getErrorMsgManagerPriority(info));
    qWarning() << QStringLiteral("资金调拨失败%1").arg(text);
    DialogSeam::warningFor(this, QStringLiteral("调拨失败"), text);
    return true;
}

void FundTransferOperationWidget::slotRspBTFundTransfer(const CMoruRspBTCapTransferManagerField&,
                                                        const CMoruRspInfo& pRspInfo, int, bool) {
    mSendLock->release();
    // An accepted transfer is only final with its return report.
    if (!reportFailure(pRspInfo)) qInfo() << "等待资金调拨rtn回报";
}

void FundTransferOperationWidget::slotRtnBTFundTransfer(const CMoruRtnBtCapTransferManagerField&,
                                                        const CMoruRspInfo& pRspInfo, int, bool) {
    mSendLock->release();
    if (!reportFailure(pRspInfo))
        DialogSeam::informationFor(this, QStringLiteral("信息"), QStringLiteral("调拨成功"));
}
