#include "user/queryWindow/fundtransfer/fundtransfer_table_widget.h"

#include <QDebug>
#include <QHBoxLayout>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_push_button.h"
#include "moru_securities_api.h"
#include "user/queryWindow/fundtransfer/fund_transfer_records.h"
#include "user/queryWindow/pending_query.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/error_msg.h"
#include "utils/signal_interface.h"

FundTransferTableWidget::FundTransferTableWidget(QWidget* parent)
    : QueryWindow(QStringLiteral("资金调拨记录"), parent),
      mRefreshButton(new MyPushButton(QStringLiteral("刷新"), this)),
      mPending(new PendingQuery(this)) {
    QHBoxLayout* tools = toolLayout();
    tools->addStretch();
    tools->addWidget(mRefreshButton, 0, Qt::AlignRight);

    armRefresh();
    connect(SignalInterface::instance(), &SignalInterface::signal_rspQryBTFundTransferRecord, this,
            &FundTransferTableWidget::slot_rspQryBTFundTransferRecord);
    connect(mPending, &PendingQuery::timedOut, this, &FundTransferTableWidget::queryTimedOut);
}

void FundTransferTableWidget::armRefresh() {
    // Never twice: a doubled connection would send two queries per click.
    if (!mRefreshConnection)
        mRefreshConnection =
            connect(mRefreshButton, &QPushButton::clicked, this, &FundTransferTableWidget::slot_clicked);
}

void FundTransferTableWidget::slot_clicked() {
    // Clicks do nothing until this query has been answered in full.
    disconnect(mRefreshConnection);
    mRefreshConnection = QMetaObject::Connection();

    const CMoruReqQryBTCapTransferManagerField request = FundTransferRecords::recordQuery(currentAccount);
    const int requestId = takeRequestId();
    if (reqQryBTFundTransferRecord(&request, requestId, entryNo) != 0) {
        qWarning() << "资金调拨信息查询失败";
        armRefresh();  // before the box: the page may be gone once it returns
        DialogSeam::warningFor(this, QStringLiteral("错误"), QStringLiteral("查询失败"));
        return;
    }
    mPending->sent(requestId);
    tableWidget()->setRowCount(0);
    mRowCount = 0;
}

void FundTransferTableWidget::slot_rspQryBTFundTransferRecord(
    const CMoruRspQryBTCapTransferManagerField& pRspField, const CMoruRspInfo& pRspInfo, int nRequestID,
    bool bIsLast) {
    if (!mPending->isCurrent(nRequestID)) {
        qInfo() << "transfer record answer of an earlier query dropped:" << nRequestID;
        return;
    }
    if (bIsLast) {
        mPending->done();
        armRefresh();
    } else {
        mPending->answered();
    }
    if (pRspInfo.ErrorID != 0) {
        const QString text = QStringLiteral("[%0]%1")
                                 .arg(pRspInfo.ErrorID)
                                 .arg(ErrorMsg::instance()->getErrorMsgManagerPriority(pRspInfo));
        qWarning() << QStringLiteral("资金调拨信息查询失败%1").arg(text);
        DialogSeam::warningFor(this, QStringLiteral("错误"), text);
        return;
    }
    const QStringList cells = FundTransferRecords::rowCells(pRspField);
    BaseTableWidget* table = tableWidget();
    table->insertRow(mRowCount);
    for (int column = 0; column < cells.size(); ++column)
        table->setItem(mRowCount, column, new QTableWidgetItem(cells.at(column)));
    ++mRowCount;
    // Times and directions are wider than the default column; the record lists are short.
    if (bIsLast) table->resizeColumnsToContents();
}

void FundTransferTableWidget::queryTimedOut() {
    qWarning() << "transfer record query not answered in time";
    armRefresh();
    DialogSeam::warningFor(this, QStringLiteral("错误"), QStringLiteral("查询超时"));
}

QList<XlsxExport::Kind> FundTransferTableWidget::xlsxKinds() const {
    return FundTransferRecords::columnKinds();
}
