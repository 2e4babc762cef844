#include "user/queryWindow/depositandwithdrawal_widget.h"

#include <QDebug>
#include <QDoubleValidator>
#include <QHBoxLayout>
#include <QTimer>

#include "basicControl/answer_lock.h"
#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "moru_securities_api.h"
#include "user/queryWindow/in_out_fund_records.h"
#include "user/queryWindow/pending_query.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/error_msg.h"
#include "utils/number_input.h"
#include "utils/rsp_error_text.h"
#include "utils/signal_interface.h"

DepositAndWithdrawalWidget::DepositAndWithdrawalWidget(QWidget* parent)
    : QueryWindow(QStringLiteral("出入金"), parent),
      mAmountEdit(new MyLineEdit(this)),
      mWithdrawButton(new MyPushButton(QStringLiteral("出金"), this)),
      mDepositButton(new MyPushButton(QStringLiteral("入金"), this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)),
      mRefreshButton(new MyPushButton(QStringLiteral("刷新"), this)),
      mRefreshLock(new QTimer(this)),
      mPending(new PendingQuery(this)),
      mWithdrawLock(new AnswerLock(mWithdrawButton, QStringLiteral("出金"), this)),
      mDepositLock(new AnswerLock(mDepositButton, QStringLiteral("入金"), this)) {
    mAmountEdit->setPlaceholderText(tr("金额"));
    // Two decimals, no range; read back with the C locale, so it also checks with the C locale.
    auto* validator = new QDoubleValidator(mAmountEdit);
    validator->setDecimals(2);
    validator->setNotation(QDoubleValidator::StandardNotation);
    validator->setLocale(QLocale::c());
    mAmountEdit->setValidator(validator);
    mClearButton->setGreenStyle();

    QHBoxLayout* tools = toolLayout();
    tools->addWidget(mAmountEdit, 0, Qt::AlignLeft);
    tools->addWidget(mWithdrawButton, 0, Qt::AlignLeft);
    tools->addWidget(mDepositButton, 0, Qt::AlignLeft);
    tools->addWidget(mClearButton, 0, Qt::AlignLeft);
    tools->addStretch();
    tools->addWidget(mRefreshButton, 0, Qt::AlignRight);

    mRefreshLock->setSingleShot(true);
    mRefreshLock->setInterval(REFRESH_LOCK_MS);
    connect(mRefreshLock, &QTimer::timeout, this, &DepositAndWithdrawalWidget::slot_unlockRefresh);
    connect(mPending, &PendingQuery::timedOut, this, &DepositAndWithdrawalWidget::recordQueryTimedOut);

    SignalInterface* hub = SignalInterface::instance();
    connect(mRefreshButton, &QPushButton::clicked, this, &DepositAndWithdrawalWidget::slot_clicked);
    connect(mWithdrawButton, &QPushButton::clicked, this, &DepositAndWithdrawalWidget::slot_withdrawMoney);
    connect(mDepositButton, &QPushButton::clicked, this, &DepositAndWithdrawalWidget::slot_saveMoney);
    connect(hub, &SignalInterface::signal_rspQryInOutFundRecord, this,
            &DepositAndWithdrawalWidget::slot_rspQryInOutFundRecord);
    connect(hub, &SignalInterface::signal_rspInFund, this, &DepositAndWithdrawalWidget::slot_rspInFund);
    connect(hub, &SignalInterface::signal_rspOutFund, this, &DepositAndWithdrawalWidget::slot_rspOutFund);
    connect(mClearButton, &QPushButton::clicked, this, &DepositAndWithdrawalWidget::slot_clickedClear);
}

std::pair<bool, CMoruReqCapTransferField> DepositAndWithdrawalWidget::checkValue() {
    const QString text = mAmountEdit->text();
    const std::optional<double> amount = NumberInput::amountFromText(text);
    if (!amount) {
        DialogSeam::warning(QStringLiteral("提示"), QStringLiteral("请输入正确的金额"));
        qWarning() << "input error money double is :" << text.toDouble();  // 0 when empty or not a number
        return {false, InOutFundRecords::transferRequest(QString(), 0)};
    }
    return {true, InOutFundRecords::transferRequest(currentAccount, *amount)};
}

void DepositAndWithdrawalWidget::sendFundRequest(FundRequest request, const char* failureLog,
                                                 AnswerLock* lock) {
    lock->hold();
    const std::pair<bool, CMoruReqCapTransferField> checked = checkValue();
    if (!checked.first) {
        lock->release();
        return;
    }
    if (request(&checked.second, takeRequestId(), entryNo) != 0) {
        lock->release();
        qWarning() << failureLog;
        DialogSeam::warning(QStringLiteral("错误"), QStringLiteral("请求失败"));
    }
}

void DepositAndWithdrawalWidget::slot_saveMoney() {
    sendFundRequest(&reqInFund, "入金请求失败", mDepositLock);
}

void DepositAndWithdrawalWidget::slot_withdrawMoney() {
    sendFundRequest(&reqOutFund, "出金请求失败", mWithdrawLock);
}

void DepositAndWithdrawalWidget::showFundAnswer(const CMoruRspInfo& info, const QString& failure,
                                                const QString& success) {
    if (info.ErrorID != 0) {
        const QString text = failure + rspErrorText(info);
        qWarning() << text;
        DialogSeam::warningFor(this, QStringLiteral("错误"), text);
        return;
    }
    qInfo() << success;
    DialogSeam::informationFor(this, QStringLiteral("提示"), success);
}

void DepositAndWithdrawalWidget::slot_rspInFund(const CMoruRspCapTransferField&, const CMoruRspInfo& pRspInfo,
                                                int, bool) {
    mDepositLock->release();
    showFundAnswer(pRspInfo, QStringLiteral("调入资金失败"), QStringLiteral("调入资金成功"));
}

void DepositAndWithdrawalWidget::slot_rspOutFund(const CMoruRspCapTransferField&,
                                                 const CMoruRspInfo& pRspInfo, int, bool) {
    mWithdrawLock->release();
    showFundAnswer(pRspInfo, QStringLiteral("调出资金失败"), QStringLiteral("调出资金成功"));
}

void DepositAndWithdrawalWidget::slot_clicked() {
    // At most one query a second, whatever becomes of this one.
    mRefreshButton->setEnabled(false);
    mRefreshLock->start();

    const CMoruReqQryCapTransferRecordField request = InOutFundRecords::recordQuery(currentAccount);
    const int requestId = takeRequestId();
    if (reqQryInOutFundRecord(&request, requestId, entryNo) != 0) {
        qWarning() << "出入金信息查询请求失败";
        DialogSeam::warningFor(this, QStringLiteral("错误"), QStringLiteral("查询出错"));
        return;
    }
    mPending->sent(requestId);
    tableWidget()->setRowCount(0);
    mRowCount = 0;
}

void DepositAndWithdrawalWidget::slot_unlockRefresh() {
    mRefreshButton->setEnabled(true);
}

void DepositAndWithdrawalWidget::slot_rspQryInOutFundRecord(
    const CMoruRspQryCapTransferRecordField& pRspField, const CMoruRspInfo& pRspInfo, int nRequestID,
    bool bIsLast) {
    // Two refreshes a second apart: only the later one's records are listed.
    if (!mPending->isCurrent(nRequestID)) {
        qInfo() << "fund record answer of an earlier query dropped:" << nRequestID;
        return;
    }
    if (bIsLast)
        mPending->done();
    else
        mPending->answered();
    if (pRspInfo.ErrorID != 0) {
        const QString text = rspErrorText(pRspInfo);
        qWarning() << QStringLiteral("出入金信息查询失败%1").arg(text);
        DialogSeam::warningFor(this, QStringLiteral("错误"), text);
        return;
    }
    if (pRspField.TransferDirection == '0' && bIsLast) {
        DialogSeam::informationFor(this, QStringLiteral("提示"), QStringLiteral("查询成功，没有记录"));
        return;
    }
    const QStringList cells = InOutFundRecords::rowCells(pRspField);
    BaseTableWidget* table = tableWidget();
    table->insertRow(mRowCount);
    for (int column = 0; column < cells.size(); ++column)
        table->setItem(mRowCount, column, new QTableWidgetItem(cells.at(column)));
    ++mRowCount;
    // Times and directions are wider than the default column; the record lists are short.
    if (bIsLast) table->resizeColumnsToContents();
}

void DepositAndWithdrawalWidget::recordQueryTimedOut() {
    qWarning() << "fund record query not answered in time";
    mRefreshButton->setEnabled(true);
    DialogSeam::warningFor(this, QStringLiteral("错误"), QStringLiteral("查询超时"));
}

void DepositAndWithdrawalWidget::slot_clickedClear() {
    mAmountEdit->clear();
}

QList<XlsxExport::Kind> DepositAndWithdrawalWidget::xlsxKinds() const {
    return InOutFundRecords::columnKinds();
}
