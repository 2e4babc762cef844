#include "user/queryWindow/ordered_widget.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QTimer>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_header_view.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_time_edit.h"
#include "constants.h"
#include "moru_securities_api.h"
#include "user/live/order_return_rows.h"
#include "user/orderWindow/pretrade_checks.h"
#include "user/queryWindow/counter_order_texts.h"
#include "user/queryWindow/csv_export.h"
#include "user/queryWindow/order_rows.h"
#include "user/queryWindow/pending_query.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/error_msg.h"
#include "utils/read_api_config.h"
#include "utils/record_text.h"
#include "utils/signal_interface.h"

namespace {
enum Column { TickColumn = 0 };

const QString ERROR_TITLE = QStringLiteral("错误");
}  // namespace

OrderedWidget::OrderedWidget(QWidget* parent)
    : QueryWindow(ORDER_QUERY_TAB, parent),
      mCodeEdit(new MyLineEdit(this)),
      mCancelButton(new MyPushButton(QStringLiteral("批量撤单"), this)),
      mOrderNoLabel(new MyLabel(QStringLiteral("报单编号"), this)),
      mOrderNoEdit(new MyLineEdit(this)),
      mStartLabel(new MyLabel(QStringLiteral("开始时间"), this)),
      mStartTime(new MyTimeEdit(this)),
      mEndLabel(new MyLabel(QStringLiteral("结束时间"), this)),
      mEndTime(new MyTimeEdit(this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)),
      mSearchButton(new MyPushButton(QStringLiteral("搜索"), this)),
      mMoreButton(new MyPushButton(QStringLiteral("更多"), this)),
      mExportButton(new MyPushButton(QStringLiteral("导出"), this)),
      mExportAllButton(new MyPushButton(QStringLiteral("全部导出"), this)),
      mCancelTimer(new QTimer(this)),
      mApiConfig(new ReadApiConfig(this)) {
    PagedQueryOptions options;
    options.blockRows = BLOCK_ROWS;
    options.nextPageFailedBox = DialogSeam::Kind::Critical;
    options.sendFailedLog = "发送委托查询请求失败";
    options.nextPageFailedLog = "发送委托查询请求失败";
    options.errorLog = QStringLiteral("委托查询出错%1");
    mQuery = new PagedRecords<CMoruRspQryOrderField>(
        this, mSearchButton, mMoreButton, options,
        [this](int32_t position, int requestId) {
            CMoruReqQryOrderField req = orderQueryRequest(mFilter, position);
            return reqQryOrder(&req, requestId, entryNo);
        },
        [this](int first, int end) { fillRows(first, end); });

    mApiConfig->readConfig();
    initLayout();
    mCancelTimer->setSingleShot(true);
    mCancelTimer->setInterval(PendingQuery::DEFAULT_TIMEOUT_MS);

    SignalInterface* hub = SignalInterface::instance();
    connect(mSearchButton, &QPushButton::clicked, this, &OrderedWidget::slot_clicked);
    connect(mMoreButton, &QPushButton::clicked, this, &OrderedWidget::slot_moreInfClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &OrderedWidget::slot_cancelOrderClicked);
    connect(hub, &SignalInterface::signal_rspQryOrderGathered, this, &OrderedWidget::slot_rspQryOrder);
    connect(hub, &SignalInterface::signal_rspCancelOrder, this, &OrderedWidget::slot_rspCancelOrder);
    connect(mClearButton, &QPushButton::clicked, this, &OrderedWidget::slot_clickedClear);
    connect(mCancelTimer, &QTimer::timeout, this, &OrderedWidget::cancelTimedOut);
}

void OrderedWidget::initLayout() {
    mCodeEdit->setPlaceholderText(tr("证券代码"));
    mCodeEdit->setMaxLength(6);
    mOrderNoEdit->setPlaceholderText(tr("报单编号"));
    mOrderNoEdit->setMaxLength(9);
    for (MyTimeEdit* edit : {mStartTime, mEndTime}) edit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    mClearButton->setGreenStyle();
    mMoreButton->setEnabled(false);

    QHBoxLayout* tools = toolLayout();
    for (QWidget* w : std::initializer_list<QWidget*>{mCodeEdit, mCancelButton, mOrderNoLabel, mOrderNoEdit,
                                                      mStartLabel, mStartTime, mEndLabel, mEndTime})
        tools->addWidget(w, 0, Qt::AlignLeft);
    tools->addWidget(mSearchButton, 0, Qt::AlignRight);
    tools->addWidget(mMoreButton, 0, Qt::AlignRight);
    tools->addWidget(mClearButton, 0, Qt::AlignLeft);
    addExportButtons(mExportButton, mExportAllButton);
}

void OrderedWidget::slot_enableSearch() {
    mQuery->enableSearch();
}

void OrderedWidget::slot_clicked() {
    mFilter = makeQueryFilter(mCodeEdit->text(), mOrderNoEdit->text(), mStartTime->time(), mEndTime->time());
    mQuery->search();
}

void OrderedWidget::slot_rspQryOrder(const CMoruRspQryOrderField& pRspField, const CMoruRspInfo& pRspInfo,
                                     int nRequestID, bool bIsLast) {
    mQuery->answer(pRspField, pRspInfo, nRequestID, bIsLast,
                   PageEnd{pRspField.HasMore != 0, pRspField.NextPosition});
}

void OrderedWidget::additem() {
    mQuery->showRows();
}

void OrderedWidget::fillRows(int first, int end) {
    // Nothing listens to single cells, and the view, its updates off, repaints the block whole: a
    // change signal per cell would be 170000 calls for nothing.
    const QSignalBlocker quiet(tableWidget()->model());
    OrderTexts texts = counterOrderTexts();
    for (int i = first; i < end; ++i) {
        // The same text as a stream would make, without building one per row.
        qInfo("mpRspFieldMap.value(i).OrderSysID %u", unsigned(mQuery->record(i).OrderSysID));
        fillRow(i, texts);
    }
}

void OrderedWidget::fillRow(int row, OrderTexts& texts) {
    BaseTableWidget* table = tableWidget();
    const CMoruRspQryOrderField& record = mQuery->record(row);
    if (orderHasCheckBox(record)) {
        auto* tick = new QTableWidgetItem;
        tick->setCheckState(Qt::Unchecked);
        table->setItem(row, TickColumn, tick);
    }
    const OrderCells cells = orderCells(record, texts);
    for (int c = 0; c < ORDER_TEXT_COLUMNS; ++c) table->setItem(row, c + 1, new QTableWidgetItem(cells[c]));
}

int OrderedWidget::recordIndexOf(quint32 orderSysId) {
    if (mIndexedGeneration != mQuery->generation()) {
        mIndexBySysId.clear();
        mIndexedCount = 0;
        mIndexedGeneration = mQuery->generation();
    }
    // Records only ever come at the end: index those that came since the last look.
    for (; mIndexedCount < mQuery->recordCount(); ++mIndexedCount)
        mIndexBySysId.insert(quint32(mQuery->record(mIndexedCount).OrderSysID), mIndexedCount);
    return mIndexBySysId.value(orderSysId, -1);
}

void OrderedWidget::applyOrderReturn(const CMoruRtnOrderField& rtn, const CMoruRspInfo& info) {
    if (!mQuery->searchedOnce()) return;
    const quint32 sysId = rtn.OrderSysID;
    int index = recordIndexOf(sysId);
    BaseTableWidget* table = tableWidget();
    OrderTexts texts = counterOrderTexts();
    if (index < 0) {
        // A search under way brings it with the counter's own record.
        if (mQuery->searching()) return;
        // Placed after the search: kept when the search's code filter lets it in.
        if (!mFilter.code.isEmpty() && mFilter.code != fieldText(rtn.SecurityID)) return;
        if (mFilter.orderSysId != 0 && mFilter.orderSysId != sysId) return;
        mQuery->appendRecord(orderRecordFromReturn(rtn, quint16(info.ErrorID)));
        index = recordIndexOf(sysId);
        const int shown = table->rowCount();
        // Shown when it falls in the blocks already on screen; otherwise "更多" brings it.
        if (index == shown && shown % BLOCK_ROWS != 0) {
            table->setRowCount(shown + 1);
            fillRow(index, texts);
        } else if (index >= shown) {
            mMoreButton->setEnabled(true);
        }
        return;
    }
    CMoruRspQryOrderField& record = mQuery->recordToChange(index);
    if (!::applyOrderReturn(record, rtn) || index >= table->rowCount()) return;
    const OrderCells cells = orderCells(record, texts);
    for (int c = 0; c < ORDER_TEXT_COLUMNS; ++c) {
        QTableWidgetItem* item = table->item(index, c + 1);
        if (item && item->text() != cells[c]) item->setText(cells[c]);
    }
    // A finished order can no longer be cancelled: its tick box goes, ticked or not.
    if (isFinalOrderStatus(record.OrderStatus)) delete table->takeItem(index, TickColumn);
}

void OrderedWidget::slot_moreInfClicked() {
    mQuery->showMore();
}

bool OrderedWidget::rowIsEligible(int row) const {
    // Rows are the records in arrival order; the table is never sorted.
    return row < mQuery->recordCount() && orderHasCheckBox(mQuery->record(row));
}

void OrderedWidget::slot_cancelOrderClicked() {
    // Off until the batch is answered: a second click would cancel every order again.
    mCancelButton->setEnabled(false);
    const char operWay = ReadApiConfig::operWayByte(mApiConfig->value(OPER_WAY_KEY));
    const BaseTableWidget* table = tableWidget();
    int ticked = 0;
    int sent = 0;
    QString limited;  // the first cancel a daily limit held back
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem* tick = table->item(row, TickColumn);
        if (!rowIsEligible(row) || !tick || tick->checkState() != Qt::Checked) continue;
        ++ticked;
        const CMoruRspQryOrderField& record = mQuery->record(row);
        const QString code = fieldText(record.SecurityID);
        const QString refusal = cancelRefusal(code);
        if (!refusal.isEmpty()) {
            if (limited.isEmpty()) limited = refusal;
            continue;
        }
        const quint32 orderSysId = record.OrderSysID;
        CMoruReqOrderActionField req = cancelOrderRequest(takeOrderRef(), orderSysId, operWay);
        if (reqCancelOrder(&req, takeRequestId(), entryNo) != 0) {
            qWarning() << "cancel request not sent for order" << orderSysId;
        } else {
            ++sent;
            noteCancelSent(code);
        }
    }

    if (sent > 0) {
        mCancelMode = sent == 1 ? CancelOne : CancelSeveral;
        mCancelTimer->start();
        // Not one box per page: the batch's own answer may come while this one is open.
        if (!limited.isEmpty()) DialogSeam::warning(ERROR_TITLE, limited);
        return;
    }
    mCancelButton->setEnabled(true);
    if (ticked == 0) {
        DialogSeam::informationFor(this, QStringLiteral("提示"), QStringLiteral("请选择报单"));
    } else if (!limited.isEmpty()) {
        DialogSeam::warningFor(this, ERROR_TITLE, limited);
    } else {
        qWarning() << "no cancel request sent of" << ticked;
        DialogSeam::criticalFor(this, ERROR_TITLE, QStringLiteral("撤单请求发送失败"));
    }
}

void OrderedWidget::cancelTimedOut() {
    // Answers still coming for this batch are only logged.
    mCancelMode = CancelIdle;
    mCancelButton->setEnabled(true);
    qWarning() << "batch cancel not answered in time";
    DialogSeam::warningFor(this, ERROR_TITLE, QStringLiteral("撤单应答超时"));
}

void OrderedWidget::slot_HeadCheckBoxToggled(bool checked) {
    BaseTableWidget* table = tableWidget();
    for (int row = 0; row < table->rowCount(); ++row) {
        QTableWidgetItem* tick = table->item(row, TickColumn);
        if (tick && rowIsEligible(row)) tick->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void OrderedWidget::slot_rspCancelOrder(const CMoruRspOrderActionField&, const CMoruRspInfo& pRspInfo, int,
                                        bool) {
    const QString name = mCancelMode == CancelOne       ? QStringLiteral("撤单")
                         : mCancelMode == CancelSeveral ? QStringLiteral("批量撤单")
                                                        : QString();
    if (pRspInfo.ErrorID != 0)
        AfterCancelOrder(
            QStringLiteral("%0发送失败[%1]%2")
                .arg(name, QString::number(pRspInfo.ErrorID), ErrorMsg::instance()->getErrorMsg(pRspInfo)),
            false);
    else
        AfterCancelOrder(QStringLiteral("%0发送成功").arg(name), true);
}

void OrderedWidget::AfterCancelOrder(const QString& msg, bool ok) {
    qInfo() << msg;
    // Only the first answer of a batch reaches the user.
    if (mCancelMode == CancelIdle) return;
    mCancelMode = CancelIdle;
    mCancelTimer->stop();
    mCancelButton->setEnabled(true);
    DialogSeam::SessionWatch watch;
    if (ok)
        DialogSeam::informationFor(this, QStringLiteral("成功"), msg);
    else
        DialogSeam::criticalFor(this, ERROR_TITLE, msg);
    if (watch.ended()) return;
    slot_clicked();
    if (auto* header = qobject_cast<MyHeaderView*>(tableWidget()->horizontalHeader()))
        header->resetCheckState();
}

void OrderedWidget::slot_clickedClear() {
    mStartTime->setTime(QTime(0, 0));
    mEndTime->setTime(QTime(0, 0));
    mCodeEdit->clear();
    mOrderNoEdit->clear();
}

void OrderedWidget::exportAllToCsv() {
    QStringList titles = headerLabels();
    if (!titles.isEmpty()) titles.removeFirst();  // the tick box column
    OrderTexts texts = counterOrderTexts();
    CsvExport::exportLines(
        titles, [this] { return mQuery->recordCount(); },
        [this, &texts](QString& out, int index) { appendOrderCsvLine(out, mQuery->record(index), texts); });
}

QList<XlsxExport::Kind> OrderedWidget::xlsxKinds() const {
    return orderColumnKinds();
}

XlsxExport::Rows OrderedWidget::allRecordRows() const {
    // A copy: records may change or a search start while the export runs.
    return {mQuery->recordCount(),
            [records = mQuery->records(), texts = counterOrderTexts()](int index) mutable {
                const OrderCells cells = orderCells(records[std::size_t(index)], texts);
                return QStringList(cells.begin(), cells.end());
            }};
}
