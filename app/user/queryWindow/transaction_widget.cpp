#include "user/queryWindow/transaction_widget.h"

#include <QHBoxLayout>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_time_edit.h"
#include "constants.h"
#include "moru_securities_api.h"
#include "user/queryWindow/csv_export.h"
#include "user/queryWindow/trade_rows.h"
#include "utils/api_state.h"
#include "utils/signal_interface.h"
#include "utils/utils.h"

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
      mExportAllButton(new MyPushButton(QStringLiteral("全部导出"), this)) {
    PagedQueryOptions options;
    options.blockRows = BLOCK_ROWS;
    options.moreWhenPagesFollow = true;
    options.sendFailedLog = "成交查询请求失败";
    options.nextPageFailedLog = "成交查询更多信息请求失败";
    options.errorLog = QStringLiteral("成交查询失败%1");
    mQuery = new PagedRecords<CMoruRspQryTradeField>(
        this, mQueryButton, mMoreButton, options,
        [this](int32_t position, int requestId) {
            CMoruReqQryTradeField req = tradeQueryRequest(mFilter, position);
            return reqQryTrade(&req, requestId, entryNo);
        },
        [this](int first, int end) { fillRows(first, end); });
    initLayout();

    connect(mQueryButton, &QPushButton::clicked, this, &TransactionWidget::slot_click);
    connect(mClearButton, &QPushButton::clicked, this, &TransactionWidget::slot_clickedClear);
    connect(SignalInterface::instance(), &SignalInterface::signal_rspQryTrade, this,
            &TransactionWidget::slot_rspQryTrade);
    connect(mMoreButton, &QPushButton::clicked, this, &TransactionWidget::slot_moreInfClicked);
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
    addExportButtons(mExportButton, mExportAllButton);
}

void TransactionWidget::slot_enableQuery() {
    mQuery->enableSearch();
}

void TransactionWidget::slot_click() {
    mFilter = makeQueryFilter(mCodeEdit->text(), mOrderNoEdit->text(), mStartTime->time(), mEndTime->time());
    mQuery->search();
}

void TransactionWidget::slot_rspQryTrade(const CMoruRspQryTradeField& pRspField, const CMoruRspInfo& pRspInfo,
                                         int nRequestID, bool bIsLast) {
    mQuery->answer(pRspField, pRspInfo, nRequestID, bIsLast,
                   PageEnd{pRspField.HasMore != 0, pRspField.NextPosition});
}

void TransactionWidget::fillRows(int first, int end) {
    BaseTableWidget* table = tableWidget();
    for (int row = first; row < end; ++row) {
        const TradeCells cells = tradeCells(mQuery->record(row));
        for (int c = 0; c < TRADE_TEXT_COLUMNS; ++c) table->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
}

void TransactionWidget::slot_moreInfClicked() {
    mQuery->showMore();
}

void TransactionWidget::slot_clickedClear() {
    mCodeEdit->clear();
    mOrderNoEdit->clear();
    mStartTime->setTime(QTime(0, 0));
    mEndTime->setTime(QTime(0, 0));
}

void TransactionWidget::exportAllToCsv() {
    CsvExport::exportLines(
        headerLabels(), [this] { return mQuery->recordCount(); },
        [this](QString& out, int index) {
            const TradeCells cells = tradeCells(mQuery->record(index));
            for (int c = 0; c < TRADE_TEXT_COLUMNS; ++c)
                Utils::appendCsvField(out, cells[c], c == TRADE_TEXT_COLUMNS - 1);
        });
}

QList<XlsxExport::Kind> TransactionWidget::xlsxKinds() const {
    return tradeColumnKinds();
}

XlsxExport::Rows TransactionWidget::allRecordRows() const {
    // A copy: a search may start while the export runs.
    return {mQuery->recordCount(), [records = mQuery->records()](int index) {
                const TradeCells cells = tradeCells(records[std::size_t(index)]);
                return QStringList(cells.begin(), cells.end());
            }};
}
