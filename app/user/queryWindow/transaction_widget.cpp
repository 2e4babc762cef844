#include "user/queryWindow/transaction_widget.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QTimer>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_time_edit.h"
#include "constants.h"
#include "moru_securities_api.h"
#include "user/queryWindow/csv_export.h"
#include "utils/rsp_error_text.h"
#include "user/queryWindow/trade_rows.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/signal_interface.h"
#include "utils/utils.h"

namespace {
const QString ERROR_TITLE = QStringLiteral("错误");
const QString QUERY_FAILED = QStringLiteral("查询出错");
}  // namespace

TransactionWidget::TransactionWidget(QWidget* parent)
    : QueryWindow(TRADE_QUERY_TAB, parent),
      mCodeEdit(new MyLineEdit(this)),
      mOrderNoLabel(new MyLabel(QStringLiteral("报单编号"), this)),
      mOrderNoEdit(new MyLineEdit(this)),
      mStartLabel(new MyLabel(QStringLiteral("开始时间"), this)),
      mStartTime(new MyTimeEdit(this)),
      mEndLabel(new MyLabel(QStringLiteral("结束时间"), this)),
      mEndTime(new MyTimeEdit(this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)),
      mQueryButton(new MyPushButton(QStringLiteral("查询"), this)),
      mMoreButton(new MyPushButton(QStringLiteral("更多"), this)),
      mExportButton(new MyPushButton(QStringLiteral("导出"), this)),
      mExportAllButton(new MyPushButton(QStringLiteral("全部导出"), this)),
      mRetryTimer(new QTimer(this)) {
    initLayout();
    mRetryTimer->setSingleShot(true);
    mRetryTimer->setInterval(RETRY_DELAY_MS);

    connect(mQueryButton, &QPushButton::clicked, this, &TransactionWidget::slot_click);
    connect(mClearButton, &QPushButton::clicked, this, &TransactionWidget::slot_clickedClear);
    connect(SignalInterface::instance(), &SignalInterface::signal_rspQryTrade, this,
            &TransactionWidget::slot_rspQryTrade);
    connect(mMoreButton, &QPushButton::clicked, this, &TransactionWidget::slot_moreInfClicked);
    connect(mExportButton, &QPushButton::clicked, this, &QueryWindow::exportToCsv);
    connect(mExportAllButton, &QPushButton::clicked, this, &QueryWindow::exportAllToCsv);
    connect(mRetryTimer, &QTimer::timeout, this, &TransactionWidget::slot_enableQuery);
}

void TransactionWidget::initLayout() {
    mCodeEdit->setPlaceholderText(tr("证券代码"));
    mCodeEdit->setMaxLength(6);
    mOrderNoEdit->setPlaceholderText(tr("报单编号"));
    mOrderNoEdit->setMaxLength(9);
    for (MyTimeEdit* edit : {mStartTime, mEndTime}) edit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    mClearButton->setGreenStyle();
    mMoreButton->setEnabled(false);

    QHBoxLayout* tools = toolLayout();
    for (QWidget* w : std::initializer_list<QWidget*>{mCodeEdit, mOrderNoLabel, mOrderNoEdit, mStartLabel,
                                                      mStartTime, mEndLabel, mEndTime})
        tools->addWidget(w, 0, Qt::AlignLeft);
    tools->addWidget(mQueryButton, 0, Qt::AlignRight);
    tools->addWidget(mMoreButton, 0, Qt::AlignRight);
    tools->addWidget(mClearButton, 0, Qt::AlignLeft);
    tools->addStretch();
    tools->addWidget(mExportButton, 0, Qt::AlignRight);
    tools->addWidget(mExportAllButton, 0, Qt::AlignRight);
}

void TransactionWidget::slot_enableQuery() {
    mQueryButton->setEnabled(true);
}

void TransactionWidget::slot_click() {
    mQueryButton->setEnabled(false);
    mFilter = makeQueryFilter(mCodeEdit->text(), mOrderNoEdit->text(), mStartTime->time(), mEndTime->time());
    CMoruReqQryTradeField req = tradeQueryRequest(mFilter, 0);
    if (reqQryTrade(&req, takeRequestId(), entryNo) != 0) {
        qWarning() << "成交查询请求失败";
        DialogSeam::warning(ERROR_TITLE, QUERY_FAILED);
        mRetryTimer->start();
        return;
    }
    tableWidget()->setRowCount(0);
    mRecordCount = 0;
    mRecords.clear();
}

void TransactionWidget::slot_rspQryTrade(const CMoruRspQryTradeField& pRspField, const CMoruRspInfo& pRspInfo,
                                         int, bool bIsLast) {
    if (pRspInfo.ErrorID != 0) {
        mQueryButton->setEnabled(true);
        const QString text = rspErrorText(pRspInfo);
        qWarning() << QStringLiteral("成交查询失败%1").arg(text);
        DialogSeam::warning(ERROR_TITLE, text);
        return;
    }
    mRecords.insert(mRecordCount, pRspField);
    ++mRecordCount;
    if (mRecordCount == BLOCK_ROWS)
        showRows();
    else if (mRecordCount > BLOCK_ROWS)
        mMoreButton->setEnabled(true);

    if (!bIsLast) return;
    if (mRecordCount < BLOCK_ROWS) showRows();
    if (pRspField.HasMore != 0) {
        mMoreButton->setEnabled(true);
        requestNextPage(pRspField.NextPosition);
    } else {
        mQueryButton->setEnabled(true);
    }
}

void TransactionWidget::requestNextPage(int32_t nextPosition) {
    CMoruReqQryTradeField req = tradeQueryRequest(mFilter, nextPosition);
    if (reqQryTrade(&req, takeRequestId(), entryNo) != 0) {
        qWarning() << "成交查询更多信息请求失败";
        mQueryButton->setEnabled(true);
        DialogSeam::warning(ERROR_TITLE, QUERY_FAILED);
    }
}

void TransactionWidget::showRows() {
    BaseTableWidget* table = tableWidget();
    const int first = table->rowCount();
    const int end = qMin(first + BLOCK_ROWS, mRecordCount);
    if (end <= first) return;
    table->setRowCount(end);
    for (int row = first; row < end; ++row) {
        const TradeCells cells = tradeCells(*mRecords.constFind(row));
        for (int c = 0; c < TRADE_TEXT_COLUMNS; ++c) table->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
}

void TransactionWidget::slot_moreInfClicked() {
    showRows();
    if (tableWidget()->rowCount() == mRecordCount) mMoreButton->setEnabled(false);
}

void TransactionWidget::slot_clickedClear() {
    mCodeEdit->clear();
    mOrderNoEdit->clear();
    mStartTime->setTime(QTime(0, 0));
    mEndTime->setTime(QTime(0, 0));
}

void TransactionWidget::exportAllToCsv() {
    CsvExport::exportLines(
        headerLabels(), [this] { return mRecordCount; },
        [this](QString& out, int index) {
            const TradeCells cells = tradeCells(*mRecords.constFind(index));
            for (int c = 0; c < TRADE_TEXT_COLUMNS; ++c)
                Utils::appendCsvField(out, cells[c], c == TRADE_TEXT_COLUMNS - 1);
        });
}

QList<XlsxExport::Kind> TransactionWidget::xlsxKinds() const {
    return tradeColumnKinds();
}

XlsxExport::Rows TransactionWidget::allRecordRows() const {
    return {mRecordCount, [records = mRecords](int index) {
                const TradeCells cells = tradeCells(*records.constFind(index));
                return QStringList(cells.begin(), cells.end());
            }};
}
