#include "user/queryWindow/position_widget.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QTimer>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "constants.h"
#include "moru_securities_api.h"
#include "user/orderWindow/order_origin.h"
#include "user/queryWindow/csv_export.h"
#include "user/queryWindow/position_rows.h"
#include "user/queryWindow/query_requests.h"
#include "user/queryWindow/row_button.h"
#include "utils/rsp_error_text.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/private_requests.h"
#include "utils/signal_interface.h"
#include "utils/utils.h"

namespace {
enum Column { CodeColumn = 0, ButtonColumn = 9 };
}  // namespace

PositionWidget::PositionWidget(QWidget* parent)
    : QueryWindow(POSITION_QUERY_TAB, parent),
      mCodeEdit(new MyLineEdit(this)),
      mSearchButton(new MyPushButton(QStringLiteral("搜索"), this)),
      mMoreButton(new MyPushButton(QStringLiteral("更多"), this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)),
      mExportButton(new MyPushButton(QStringLiteral("导出"), this)),
      mExportAllButton(new MyPushButton(QStringLiteral("全部导出"), this)),
      mRetryTimer(new QTimer(this)) {
    mCodeEdit->setPlaceholderText(tr("证券代码"));
    mCodeEdit->setMaxLength(6);
    mClearButton->setGreenStyle();
    mMoreButton->setEnabled(false);
    mRetryTimer->setSingleShot(true);
    mRetryTimer->setInterval(RETRY_DELAY_MS);

    QHBoxLayout* tools = toolLayout();
    for (QWidget* w : std::initializer_list<QWidget*>{mCodeEdit, mSearchButton, mMoreButton, mClearButton})
        tools->addWidget(w, 0, Qt::AlignLeft);
    tools->addStretch();
    tools->addWidget(mExportButton, 0, Qt::AlignRight);
    tools->addWidget(mExportAllButton, 0, Qt::AlignRight);

    connect(mClearButton, &QPushButton::clicked, this, &PositionWidget::slot_clickedClear);
    connect(mSearchButton, &QPushButton::clicked, this, &PositionWidget::slot_check);
    connect(mMoreButton, &QPushButton::clicked, this, &PositionWidget::slot_clickMore);
    connect(SignalInterface::instance(), &SignalInterface::signal_rspQryPosition, this,
            &PositionWidget::slot_rspQryPosition);
    connect(mExportButton, &QPushButton::clicked, this, &QueryWindow::exportToCsv);
    connect(mExportAllButton, &QPushButton::clicked, this, &QueryWindow::exportAllToCsv);
    connect(mRetryTimer, &QTimer::timeout, this, &PositionWidget::slot_enableSearch);
}

MyPushButton* PositionWidget::orderButton(int row) const {
    QWidget* cell = tableWidget()->cellWidget(row, ButtonColumn);
    return cell ? cell->findChild<MyPushButton*>() : nullptr;
}

void PositionWidget::slot_enableSearch() {
    mSearchButton->setEnabled(true);
}

void PositionWidget::slot_check() {
    mSearchButton->setEnabled(false);
    CMoruReqQryStockPositionField req = positionQueryRequest(currentAccount, mCodeEdit->text());
    if (reqQryPosition(&req, takeRequestId(), entryNo) != 0) {
        DialogSeam::critical(QStringLiteral("错误"), QStringLiteral("查询出错"));
        mRetryTimer->start();
        return;
    }
    mMoreButton->setEnabled(false);
    tableWidget()->setRowCount(0);
    mRecordCount = 0;
    mButtonToRow.clear();
    mRecords.clear();
}

void PositionWidget::slot_rspQryPosition(const CMoruRspQryStockPositionField& pRspField,
                                         const CMoruRspInfo& pRspInfo, int nRequestID, bool bIsLast) {
    if (PrivateRequests::contains(nRequestID)) return;  // the order window's own figures
    if (pRspInfo.ErrorID != 0) {
        mSearchButton->setEnabled(true);
        const QString text = rspErrorText(pRspInfo);
        qWarning() << QStringLiteral("持仓查询失败%1").arg(text);
        DialogSeam::warning(QStringLiteral("错误"), text);
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
    mSearchButton->setEnabled(true);
}

void PositionWidget::showRows() {
    BaseTableWidget* table = tableWidget();
    const int first = table->rowCount();
    const int end = qMin(first + BLOCK_ROWS, mRecordCount);
    if (end <= first) return;
    table->setRowCount(end);
    for (int row = first; row < end; ++row) {
        const PositionCells cells = positionCells(*mRecords.constFind(row));
        for (int c = 0; c < POSITION_TEXT_COLUMNS; ++c)
            table->setItem(row, c, new QTableWidgetItem(cells[c]));
        placeOrderButton(row);
    }
}

void PositionWidget::placeOrderButton(int row) {
    MyPushButton* button = placeRowButton(tableWidget(), row, ButtonColumn, QStringLiteral("下单"));
    mButtonToRow.insert(button, row);
    connect(button, &QPushButton::clicked, this, &PositionWidget::slot_clickOrder);
}

void PositionWidget::slot_clickMore() {
    showRows();
    if (tableWidget()->rowCount() == mRecordCount) mMoreButton->setEnabled(false);
}

void PositionWidget::slot_clickOrder() {
    const auto it = mButtonToRow.constFind(sender());
    if (it == mButtonToRow.cend()) return;
    const QTableWidgetItem* item = tableWidget()->item(it.value(), CodeColumn);
    OrderOrigin::notePositionRow();
    emit SignalInterface::instance()->signal_clicketOrder(item ? item->text() : QString());
}

void PositionWidget::slot_clickedClear() {
    mCodeEdit->clear();
}

void PositionWidget::exportAllToCsv() {
    QStringList titles = headerLabels();
    if (!titles.isEmpty()) titles.removeLast();  // the button column
    CsvExport::exportLines(
        titles, [this] { return mRecordCount; },
        [this](QString& out, int index) {
            const PositionCells cells = positionCells(*mRecords.constFind(index));
            for (int c = 0; c < POSITION_TEXT_COLUMNS; ++c)
                Utils::appendCsvField(out, cells[c], c == POSITION_TEXT_COLUMNS - 1);
        });
}
