#include "user/queryWindow/position_widget.h"

#include <QHBoxLayout>

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
      mExportAllButton(new MyPushButton(QStringLiteral("全部导出"), this)) {
    PagedQueryOptions options;
    options.blockRows = BLOCK_ROWS;
    options.followPages = false;
    options.moreOffOnSearch = true;
    options.sendFailedBox = DialogSeam::Kind::Critical;
    options.errorLog = QStringLiteral("持仓查询失败%1");
    mQuery = new PagedRecords<CMoruRspQryStockPositionField>(
        this, mSearchButton, mMoreButton, options,
        [this](int32_t, int requestId) {
            CMoruReqQryStockPositionField req = positionQueryRequest(currentAccount, mCodeEdit->text());
            return reqQryPosition(&req, requestId, entryNo);
        },
        [this](int first, int end) { fillRows(first, end); });
    mCodeEdit->setPlaceholderText(tr("证券代码"));
    mCodeEdit->setMaxLength(6);
    mClearButton->setGreenStyle();
    mMoreButton->setEnabled(false);

    QHBoxLayout* tools = toolLayout();
    for (QWidget* w : std::initializer_list<QWidget*>{mCodeEdit, mSearchButton, mMoreButton, mClearButton})
        tools->addWidget(w, 0, Qt::AlignLeft);
    addExportButtons(mExportButton, mExportAllButton);

    connect(mClearButton, &QPushButton::clicked, this, &PositionWidget::slot_clickedClear);
    connect(mSearchButton, &QPushButton::clicked, this, &PositionWidget::slot_check);
    connect(mMoreButton, &QPushButton::clicked, this, &PositionWidget::slot_clickMore);
    connect(SignalInterface::instance(), &SignalInterface::signal_rspQryPosition, this,
            &PositionWidget::slot_rspQryPosition);
}

MyPushButton* PositionWidget::orderButton(int row) const {
    QWidget* cell = tableWidget()->cellWidget(row, ButtonColumn);
    return cell ? cell->findChild<MyPushButton*>() : nullptr;
}

void PositionWidget::slot_enableSearch() {
    mQuery->enableSearch();
}

void PositionWidget::slot_check() {
    mQuery->search();
}

void PositionWidget::slot_rspQryPosition(const CMoruRspQryStockPositionField& pRspField,
                                         const CMoruRspInfo& pRspInfo, int nRequestID, bool bIsLast) {
    if (PrivateRequests::contains(nRequestID)) return;  // the order window's own figures
    mQuery->answer(pRspField, pRspInfo, nRequestID, bIsLast);
}

void PositionWidget::fillRows(int first, int end) {
    // The first block of a search: the buttons of the rows before went with them.
    if (first == 0) mButtonToRow.clear();
    BaseTableWidget* table = tableWidget();
    for (int row = first; row < end; ++row) {
        const PositionCells cells = positionCells(mQuery->record(row));
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
    mQuery->showMore();
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
        titles, [this] { return mQuery->recordCount(); },
        [this](QString& out, int index) {
            const PositionCells cells = positionCells(mQuery->record(index));
            for (int c = 0; c < POSITION_TEXT_COLUMNS; ++c)
                Utils::appendCsvField(out, cells[c], c == POSITION_TEXT_COLUMNS - 1);
        });
}

QList<XlsxExport::Kind> PositionWidget::xlsxKinds() const {
    return positionColumnKinds();
}

XlsxExport::Rows PositionWidget::allRecordRows() const {
    // A copy: a search may start while the export runs.
    return {mQuery->recordCount(), [records = mQuery->records()](int index) {
                const PositionCells cells = positionCells(records[std::size_t(index)]);
                return QStringList(cells.begin(), cells.end());
            }};
}
