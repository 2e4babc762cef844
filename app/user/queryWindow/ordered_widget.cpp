#include "user/queryWindow/ordered_widget.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QTimer>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_header_view.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_time_edit.h"
#include "constants.h"
#include "moru_securities_api.h"
#include "user/queryWindow/csv_export.h"
#include "user/queryWindow/order_rows.h"
#include "utils/rsp_error_text.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/error_msg.h"
#include "utils/read_api_config.h"
#include "utils/signal_interface.h"

namespace {
enum Column { TickColumn = 0, KindColumn = 9, ErrorCodeColumn = 14 };

const QString ERROR_TITLE = QStringLiteral("错误");
const QString QUERY_FAILED = QStringLiteral("查询出错");
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
      mRetryTimer(new QTimer(this)),
      mApiConfig(new ReadApiConfig(this)) {
    mApiConfig->readConfig();
    initLayout();
    mRetryTimer->setSingleShot(true);
    mRetryTimer->setInterval(RETRY_DELAY_MS);

    SignalInterface* hub = SignalInterface::instance();
    connect(mSearchButton, &QPushButton::clicked, this, &OrderedWidget::slot_clicked);
    connect(mMoreButton, &QPushButton::clicked, this, &OrderedWidget::slot_moreInfClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &OrderedWidget::slot_cancelOrderClicked);
    connect(hub, &SignalInterface::signal_rspQryOrder, this, &OrderedWidget::slot_rspQryOrder);
    connect(hub, &SignalInterface::signal_rspCancelOrder, this, &OrderedWidget::slot_rspCancelOrder);
    connect(mClearButton, &QPushButton::clicked, this, &OrderedWidget::slot_clickedClear);
    connect(mExportButton, &QPushButton::clicked, this, &QueryWindow::exportToCsv);
    connect(mExportAllButton, &QPushButton::clicked, this, &QueryWindow::exportAllToCsv);
    connect(mRetryTimer, &QTimer::timeout, this, &OrderedWidget::slot_enableSearch);
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
    tools->addStretch();
    tools->addWidget(mExportButton, 0, Qt::AlignRight);
    tools->addWidget(mExportAllButton, 0, Qt::AlignRight);
}

void OrderedWidget::slot_enableSearch() {
    mSearchButton->setEnabled(true);
}

void OrderedWidget::slot_clicked() {
    mSearchButton->setEnabled(false);
    mFilter = makeQueryFilter(mCodeEdit->text(), mOrderNoEdit->text(), mStartTime->time(), mEndTime->time());
    CMoruReqQryOrderField req = orderQueryRequest(mFilter, 0);
    const int requestId = takeRequestId();
    if (reqQryOrder(&req, requestId, entryNo) != 0) {
        qWarning() << "发送委托查询请求失败";
        DialogSeam::warning(ERROR_TITLE, QUERY_FAILED);
        mRetryTimer->start();
        return;
    }
    mQueryRequestId = requestId;
    tableWidget()->setRowCount(0);
    mRecordCount = 0;
    mOrderSysIds.clear();
    mpRspFieldMap.clear();
}

void OrderedWidget::slot_rspQryOrder(const CMoruRspQryOrderField& pRspField, const CMoruRspInfo& pRspInfo,
                                     int nRequestID, bool bIsLast) {
    if (nRequestID != mQueryRequestId) {
        // A search started after a cancellation while the previous query still had pages coming.
        qInfo() << "order query answer of an earlier search dropped" << nRequestID;
        return;
    }
    if (pRspInfo.ErrorID != 0) {
        mSearchButton->setEnabled(true);
        const QString text = rspErrorText(pRspInfo);
        qWarning() << QStringLiteral("委托查询出错%1").arg(text);
        DialogSeam::warning(ERROR_TITLE, text);
        return;
    }
    mpRspFieldMap.insert(mRecordCount, pRspField);
    ++mRecordCount;
    if (mRecordCount == BLOCK_ROWS)
        additem();
    else if (mRecordCount > BLOCK_ROWS)
        mMoreButton->setEnabled(true);
    mOrderSysIds.append(quint32(pRspField.OrderSysID));  // a copy: the field is unaligned

    if (!bIsLast) return;
    if (mRecordCount < BLOCK_ROWS) additem();
    if (pRspField.HasMore != 0)
        requestNextPage(pRspField.NextPosition);
    else
        mSearchButton->setEnabled(true);
}

void OrderedWidget::requestNextPage(int32_t nextPosition) {
    CMoruReqQryOrderField req = orderQueryRequest(mFilter, nextPosition);
    const int requestId = takeRequestId();
    if (reqQryOrder(&req, requestId, entryNo) != 0) {
        qWarning() << "发送委托查询请求失败";
        mSearchButton->setEnabled(true);
        DialogSeam::critical(ERROR_TITLE, QUERY_FAILED);
        return;
    }
    mQueryRequestId = requestId;
}

void OrderedWidget::additem() {
    BaseTableWidget* table = tableWidget();
    const int first = table->rowCount();
    const int end = qMin(first + BLOCK_ROWS, mRecordCount);
    if (end <= first) return;
    // One repaint for the whole block instead of one request per cell.
    table->setUpdatesEnabled(false);
    table->setRowCount(end);
    ErrorTextCache errorTexts;
    for (int i = first; i < end; ++i) {
        const CMoruRspQryOrderField& record = *mpRspFieldMap.constFind(i);
        qInfo() << "mpRspFieldMap.value(i).OrderSysID" << quint32(record.OrderSysID);
        if (orderHasCheckBox(record)) {
            auto* tick = new QTableWidgetItem;
            tick->setCheckState(Qt::Unchecked);
            table->setItem(i, TickColumn, tick);
        }
        const OrderCells cells = orderCells(record, errorTexts);
        for (int c = 0; c < ORDER_TEXT_COLUMNS; ++c) table->setItem(i, c + 1, new QTableWidgetItem(cells[c]));
    }
    table->setUpdatesEnabled(true);
}

void OrderedWidget::slot_moreInfClicked() {
    additem();
    if (tableWidget()->rowCount() == mRecordCount) mMoreButton->setEnabled(false);
}

bool OrderedWidget::rowIsEligible(int row) const {
    const QTableWidgetItem* code = tableWidget()->item(row, ErrorCodeColumn);
    const QTableWidgetItem* kind = tableWidget()->item(row, KindColumn);
    return code && kind && rowIsCancellable(code->text(), kind->text());
}

void OrderedWidget::slot_cancelOrderClicked() {
    const char operWay = ReadApiConfig::operWayByte(mApiConfig->value(OPER_WAY_KEY));
    const BaseTableWidget* table = tableWidget();
    int sent = 0;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem* tick = table->item(row, TickColumn);
        if (!rowIsEligible(row) || !tick || tick->checkState() != Qt::Checked) continue;
        const quint32 orderSysId = row < mOrderSysIds.size() ? mOrderSysIds.at(row) : 0;
        CMoruReqOrderActionField req = cancelOrderRequest(takeOrderRef(), orderSysId, operWay);
        if (reqCancelOrder(&req, takeRequestId(), entryNo) != 0)
            qWarning() << "cancel request not sent for order" << orderSysId;
        ++sent;
    }
    if (sent > 0)
        mCancelMode = sent == 1 ? CancelOne : CancelSeveral;
    else
        DialogSeam::information(QStringLiteral("提示"), QStringLiteral("请选择报单"));
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
    DialogSeam::SessionWatch watch;
    if (ok)
        DialogSeam::information(QStringLiteral("成功"), msg);
    else
        DialogSeam::critical(ERROR_TITLE, msg);
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
    ErrorTextCache errorTexts;
    CsvExport::exportLines(
        titles, [this] { return mRecordCount; },
        [this, &errorTexts](QString& out, int index) {
            appendOrderCsvLine(out, *mpRspFieldMap.constFind(index), errorTexts);
        });
}

QList<XlsxExport::Kind> OrderedWidget::xlsxKinds() const {
    return orderColumnKinds();
}

XlsxExport::Rows OrderedWidget::allRecordRows() const {
    // The map is shared, not copied, until a record arrives or a search starts.
    return {mRecordCount, [records = mpRspFieldMap, errorTexts = ErrorTextCache()](int index) mutable {
                const OrderCells cells = orderCells(*records.constFind(index), errorTexts);
                return QStringList(cells.begin(), cells.end());
            }};
}
