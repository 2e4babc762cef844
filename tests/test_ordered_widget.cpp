// The order query page against the fake trading library: the request bytes of every filter, paging
// and blocks of rows, every cell of the rows, tick boxes and batch cancellation, errors, both exports.

#include <QtTest>
#include <memory>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_header_view.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_time_edit.h"
#include "captured_log.h"
#include "constants.h"
#include "query_page_support.h"
#include "user/orderWindow/pretrade_checks.h"
#include "user/queryWindow/ordered_widget.h"
#include "utils/api_state.h"
#include "utils/desk_settings.h"
#include "utils/read_api_config.h"
#include "utils/rsp_convert_config.h"
#include "utils/signal_interface.h"

using namespace qps;

namespace {

const int REQUEST_SIZE = 162;
const QByteArray QUERY_MODE("\x02", 1);

CMoruRspQryOrderField makeOrder(quint32 sysId, const QByteArray& orderNo, const QByteArray& code,
                                uint8_t secType, double price, quint32 qty, char orderType, char status,
                                uint8_t kind, char side, quint32 traded, double amount, quint32 leaves,
                                quint16 error, const QByteArray& recvTime, const QByteArray& offeror) {
    auto r = zeroed<CMoruRspQryOrderField>();
    r.OrderSysID = sysId;
    setText(r.OrderNo, orderNo);
    r.NodeID = 6;
    setText(r.SecurityID, code);
    r.SecurityType = secType;
    r.LimitPrice = price;
    r.OrderQty = qty;
    r.OrderType = orderType;
    r.OrderStatus = status;
    r.MsgKind = kind;
    r.Side = side;
    r.TradeQty = traded;
    r.TradeAmount = amount;
    r.LeavesQty = leaves;
    r.ErrorCode = error;
    setText(r.RecvTime, recvTime);
    setText(r.TenderOfferorCode, offeror);
    return r;
}

// Twelve orders covering every column's conversions and every case of the trade price.
QList<CMoruRspQryOrderField> sampleOrders() {
    QList<CMoruRspQryOrderField> out;
    out << makeOrder(1001, "0000001001", "600000", 1, 10.5, 1000, '2', '8', 0x65, '1', 1000, 10480.0, 0, 0,
                     "093015123", "");
    // Bytes after a NUL inside the order number are not part of it.
    out << makeOrder(1002,
                     QByteArray("12\0"
                                "9999999",
                                10),
                     "688001", 8, 20.0, 300, '1', '7', 0xAB, '2', 100, 2001.0, 200, 0, "145959999", "");
    out << makeOrder(1003, "0000001003", "510050", 18, 2.5, 900000, '2', '2', 0xAD, '3', 0, 0, 900000, 0,
                     "100000000", "");
    out << makeOrder(1004, "0000001004", "510050", 18, 2.5, 900000, '2', '9', 0x65, '4', 0, 0, 0, 2002,
                     "100001000", "");
    out << makeOrder(1005, "0000001005", "204001", 17, 2.345, 100, '2', '8', 0x65, '2', 100, 999.0, 0, 0, "",
                     "");
    out << makeOrder(1006, "0000001006", "204001", 17, 3.1, 100, '2', '8', 0xAB, '2', 100, 310.0, 0, 0,
                     "130000000", "");
    out << makeOrder(1007, "0000001007", "204001", 17, 1.5, 100, '2', '7', 0xAD, '2', 50, 75.0, 50, 0,
                     "130000001", "");
    out << makeOrder(1008, "0000001008", "204001", 17, 1.75, 100, '2', '6', 0x65, '2', 0, 0, 0, 0,
                     "130000002", "");
    out << makeOrder(1009, "0000001009", "600000", 1, 10.5, 1000, '2', '6', 'g', '1', 0, 0, 0, 0, "133000000",
                     "");
    // A full code and a full offeror code, each followed by other bytes.
    out << makeOrder(1010, "0000001010", "60099900", 1, 9.9, 500, '9', 'X', 0x10, '7', 0, 0, 500, 0, "",
                     "706001");
    out.last().Reserved251[0] = 'X';
    out << makeOrder(1011, "0000001011", "600999", 1, 9.9, 500, '2', '2', 0x65, '8', 0, 0, 500, 0, "",
                     "70\"01");
    out << makeOrder(1012, "0000001012", "204001", 17, 2.0, 100, '2', '5', 0xAB, '2', 60, 120.0, 0, 0,
                     "140000000", "");
    return out;
}

// Columns 1 .. 17 of sampleOrders(), and whether each row has a tick box.
const QList<QStringList> SAMPLE_CELLS = {
    {"0000001001", "6", "600000", "股票", "10.500000", "1000", "限价", "已成", "普通报单", "买", "10.480",
     "1000", "0", "0", "", "09:30:15.123", ""},
    {"12", "6", "688001", "科创板", "20.000000", "300", "对手方最优剩余转限价", "部成", "普通报单", "卖",
     "20.010", "100", "200", "0", "", "14:59:59.999", ""},
    {"0000001003", "6", "510050", "ETF基金", "2.500000", "900000", "限价", "已报", "普通报单", "申购",
     "1.000", "0", "900000", "0", "", "10:00:00.000", ""},
    {"0000001004", "6", "510050", "ETF基金", "2.500000", "900000", "限价", "废单", "普通报单", "赎回",
     "0.000", "0", "0", "2002", "委托价格超出当日涨跌停范围", "10:00:01.000", ""},
    {"0000001005", "6", "204001", "逆回购", "2.345000", "100", "限价", "已成", "普通报单", "卖", "2.345",
     "100", "0", "0", "", "", ""},
    {"0000001006", "6", "204001", "逆回购", "3.100000", "100", "限价", "已成", "普通报单", "卖", "0.000",
     "100", "0", "0", "", "13:00:00.000", ""},
    {"0000001007", "6", "204001", "逆回购", "1.500000", "100", "限价", "部成", "普通报单", "卖", "1.500",
     "50", "50", "0", "", "13:00:00.001", ""},
    {"0000001008", "6", "204001", "逆回购", "1.750000", "100", "限价", "已撤", "普通报单", "卖", "0.000", "0",
     "0", "0", "", "13:00:00.002", ""},
    {"0000001009", "6", "600000", "股票", "10.500000", "1000", "限价", "已撤", "普通撤单", "买", "0.000", "0",
     "0", "0", "", "13:30:00.000", ""},
    {"0000001010", "6", "60099900", "股票", "9.900000", "500", "", "", "未知类型", "要约预受", "0.000", "0",
     "500", "0", "", "", "706001"},
    {"0000001011", "6", "600999", "股票", "9.900000", "500", "限价", "已报", "普通报单", "要约撤销", "0.000",
     "0", "500", "0", "", "", "70\"01"},
    {"0000001012", "6", "204001", "逆回购", "2.000000", "100", "限价", "部撤", "普通报单", "卖", "2.000",
     "60", "0", "0", "", "14:00:00.000", ""},
};
const QList<bool> SAMPLE_TICKABLE = {true, true, true,  false, true, true,
                                     true, true, false, false, true, true};

QString orderNumber(int n) {
    return QStringLiteral("%1").arg(n, 10, 10, QLatin1Char('0'));
}

CMoruRspQryOrderField numberedOrder(int n) {
    return makeOrder(quint32(n), orderNumber(n).toLatin1(), "600000", 1, 10.0, 100, '2', '8', 0x65, '1', 100,
                     1000.0, 0, 0, "093000000", "");
}

}  // namespace

class TestOrderedWidget : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void requestBytesForEveryFilter_data();
    void requestBytesForEveryFilter();
    void pagesOf1000ShowBlocksOf10000();
    void everyCellOfEveryRowAndTheTickBoxes();
    void errorsAndSendFailuresGiveTheButtonBack();
    void answersOfAnEarlierSearchAreDropped();
    void batchCancelSendsOneRequestPerTickedOrderAndShowsOneBox();
    void singleCancelAndNothingTicked();
    void linkLossDuringTheCancelBoxStartsNoSearch();
    void bothExportsMatchTheExpectedFiles();
    void endlessPagingStops();
    void errorStormShowsOneBox();
    void silentSearchIsGivenUp();
    void batchCancelButtonIsOffUntilAnswered();
    void batchCancelWithNothingSentSaysSo();
    void ordersFollowTheirReturns();
    void cancelsPerCodeAreCapped();

private:
    PageDriver<CMoruRspQryOrderField> orders() const {
        return {page.get(), page->query(), page->searchButton(), "reqQryOrder",
                &SignalInterface::signal_rspQryOrder};
    }
    int search() { return orders().search(); }
    // Searches, shows the sample orders and ticks those of `rows`.
    void showSampleTicking(const QList<int>& rows);
    // Delivers records as one page (the last one marked last, unless `endsPage` is false).
    void feed(const QList<CMoruRspQryOrderField>& records, int requestId, bool hasMore = false,
              int32_t nextPosition = 0, bool endsPage = true);
    void clickHeaderBox();

    QTemporaryDir dir;
    std::unique_ptr<OrderedWidget> page;
    MyHeaderView* header = nullptr;
};

namespace {
CMoruRtnOrderField orderReturn(const CMoruRspQryOrderField& order, quint32 traded, char status) {
    auto r = zeroed<CMoruRtnOrderField>();
    r.OrderSysID = order.OrderSysID;
    std::memcpy(r.SecurityID, order.SecurityID, sizeof r.SecurityID);
    r.Side = order.Side;
    r.LimitPrice = order.LimitPrice;
    r.OrderQty = order.OrderQty;
    r.TradeQty = traded;
    r.LeavesQty = (status == '5' || status == '6') ? 0 : quint32(order.OrderQty) - traded;
    r.OrderStatus = status;
    return r;
}
}  // namespace

// Returns between searches: shown rows change in place, a finished order loses its tick box, records
// past the shown blocks change unseen, an order placed after the search is added, a search replaces all.
void TestOrderedWidget::ordersFollowTheirReturns() {
    const auto resting = [](quint32 id) {
        return makeOrder(id, QByteArray::number(id).rightJustified(10, '0'), "600000", 1, 10.5, 1000, '2',
                         '2', 0x65, '1', 0, 0, 1000, 0, "093000000", "");
    };
    const int statusColumn = 8;  // after the tick box and seven columns of the order
    const int tradedColumn = 12;
    QList<CMoruRspQryOrderField> block;
    for (quint32 id = 1; id <= quint32(OrderedWidget::BLOCK_ROWS) + 1; ++id) block << resting(id);
    feed(block, search());
    BaseTableWidget* table = page->tableWidget();
    QCOMPARE(table->rowCount(), OrderedWidget::BLOCK_ROWS);

    page->applyOrderReturn(orderReturn(block[0], 300, '7'), rspInfo());
    QCOMPARE(table->item(0, statusColumn)->text(), QStringLiteral("部成"));
    QCOMPARE(table->item(0, tradedColumn)->text(), QStringLiteral("300"));
    QVERIFY(table->item(0, 0) != nullptr);
    table->item(0, 0)->setCheckState(Qt::Checked);
    page->applyOrderReturn(orderReturn(block[0], 1000, '8'), rspInfo());
    QVERIFY(table->item(0, 0) == nullptr);
    QCOMPARE(char(page->query()->record(0).OrderStatus), '8');

    const int hidden = OrderedWidget::BLOCK_ROWS;
    page->applyOrderReturn(orderReturn(block[hidden], 0, '6'), rspInfo());
    QCOMPARE(char(page->query()->record(hidden).OrderStatus), '6');
    QCOMPARE(table->rowCount(), OrderedWidget::BLOCK_ROWS);

    page->applyOrderReturn(orderReturn(resting(99999), 0, '2'), rspInfo());
    QCOMPARE(page->query()->recordCount(), block.size() + 1);
    QCOMPARE(quint32(page->query()->record(block.size()).OrderSysID), 99999u);
    QVERIFY(page->moreButton()->isEnabled());

    // A short search: an order placed after it shows at once.
    feed({resting(5), resting(6)}, search());
    QCOMPARE(page->query()->recordCount(), 2);
    QCOMPARE(char(page->query()->record(0).OrderStatus), '2');
    page->applyOrderReturn(orderReturn(resting(7), 0, '2'), rspInfo());
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->item(2, 1)->text(), QString());  // the return carries no order number text
    QCOMPARE(table->item(2, statusColumn)->text(), QStringLiteral("已报"));
}

void TestOrderedWidget::initTestCase() {
    currentMarket = '1';
    RspConvertConfig::instance()->setFilePath(
        QStringLiteral(MORU_SOURCE_DIR "/app/config/defaults/rsp_convert.json"));
    // Error texts come from the library once its data is ready.
    apiDataReady = true;
}

void TestOrderedWidget::init() {
    CapturedLog::install();  // 25,000 row lines stay out of the test output
    fakeapi::reset();
    fakeapi::setErrMsg(2002, "委托价格超出当日涨跌停范围");
    fakeapi::setErrMsg(2009, "委托不存在或不可撤");
    page = std::make_unique<OrderedWidget>();
    // As the workspace sets it up.
    header = new MyHeaderView(Qt::Horizontal, page->tableWidget());
    page->tableWidget()->setHorizontalHeader(header);
    page->setTableHeader(ORDER_HEADERS.size(), ORDER_HEADERS);
    connect(header, &MyHeaderView::signalHeadCheckBoxToggled, page.get(),
            &OrderedWidget::slot_HeadCheckBoxToggled);
    page->resize(1200, 500);
}

void TestOrderedWidget::cleanup() {
    page.reset();
    CapturedLog::uninstall();
}

void TestOrderedWidget::feed(const QList<CMoruRspQryOrderField>& records, int requestId, bool hasMore,
                             int32_t nextPosition, bool endsPage) {
    QVERIFY(orders().feed(paged(records, hasMore, nextPosition), requestId, endsPage));
}

void TestOrderedWidget::clickHeaderBox() {
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    QTRY_VERIFY(!header->checkBoxRect().isNull());
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, header->checkBoxRect().center());
}

void TestOrderedWidget::requestBytesForEveryFilter_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("orderNo");
    QTest::addColumn<QTime>("start");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<QByteArray>("expected");
    for (int mask = 0; mask < 16; ++mask) {
        const QString code = mask & 1 ? QStringLiteral("600000") : QString();
        const QString orderNo = mask & 2 ? QStringLiteral("123456789") : QString();
        const QTime start = mask & 4 ? QTime(9, 30, 15) : QTime(0, 0);
        const QTime end = mask & 8 ? QTime(14, 57, 0) : QTime(0, 0);
        Bytes expected(REQUEST_SIZE);
        expected.put(42, QUERY_MODE);
        if (mask & 1) expected.put(4, "600000");
        if (mask & 2) expected.putValue<int32_t>(0, 123456789);
        if (mask & 4) expected.put(16, "093015000");
        if (mask & 8) expected.put(25, "145700000");
        QTest::addRow("code %d number %d start %d end %d", mask & 1, (mask >> 1) & 1, (mask >> 2) & 1,
                      (mask >> 3) & 1)
            << code << orderNo << start << end << expected.bytes();
    }
}

void TestOrderedWidget::requestBytesForEveryFilter() {
    QFETCH(QString, code);
    QFETCH(QString, orderNo);
    QFETCH(QTime, start);
    QFETCH(QTime, end);
    QFETCH(QByteArray, expected);
    QTest::keyClicks(page->codeEdit(), code);
    QTest::keyClicks(page->orderNoEdit(), orderNo);
    page->startTimeEdit()->setTime(start);
    page->endTimeEdit()->setTime(end);
    const int id = search();
    QVERIFY(id >= 0);
    const auto sent = requestsOf("reqQryOrder");
    QCOMPARE(int(sent.size()), 1);
    QCOMPARE(bytesOf(sent[0]), expected);
    QCOMPARE(sent[0].entryNo, 0);
    QVERIFY(!page->searchButton()->isEnabled());

    // The next page repeats the filter from where the last record said to go on.
    feed({numberedOrder(1)}, id, true, 1000);
    const auto next = requestsOf("reqQryOrder");
    QCOMPARE(int(next.size()), 2);
    QCOMPARE(bytesOf(next[1]), Bytes(REQUEST_SIZE).put(0, expected).putValue<int32_t>(34, 1000).bytes());
    QVERIFY(next[1].requestId > id);
}

void TestOrderedWidget::pagesOf1000ShowBlocksOf10000() {
    const int total = 25000;
    const int pageSize = 1000;
    QVERIFY(!page->moreButton()->isEnabled());
    int id = search();
    for (int p = 0; p < total / pageSize; ++p) {
        const auto sent = requestsOf("reqQryOrder");
        QCOMPARE(int(sent.size()), p + 1);
        QCOMPARE(bytesOf(sent.back()),
                 Bytes(REQUEST_SIZE).put(42, QUERY_MODE).putValue<int32_t>(34, p * pageSize).bytes());
        id = sent.back().requestId;
        QList<CMoruRspQryOrderField> records;
        for (int i = p * pageSize; i < (p + 1) * pageSize; ++i) records << numberedOrder(i + 1);
        const bool more = p + 1 < total / pageSize;
        if (p == 10) {
            // "更多" comes with the 10001st record.
            QVERIFY(!page->moreButton()->isEnabled());
            feed(records.mid(0, 1), id, more, (p + 1) * pageSize, false);
            QVERIFY(page->moreButton()->isEnabled());
            records = records.mid(1);
        }
        feed(records, id, more, (p + 1) * pageSize);
        QCOMPARE(page->tableWidget()->rowCount(), qMin((p + 1) * pageSize, 10000));
        QCOMPARE(page->moreButton()->isEnabled(), (p + 1) * pageSize > 10000);
        QCOMPARE(page->searchButton()->isEnabled(), !more);
    }
    QCOMPARE(page->recordCount(), total);
    QCOMPARE(int(requestsOf("reqQryOrder").size()), total / pageSize);

    QTest::mouseClick(page->moreButton(), Qt::LeftButton);
    QCOMPARE(page->tableWidget()->rowCount(), 20000);
    QVERIFY(page->moreButton()->isEnabled());
    QTest::mouseClick(page->moreButton(), Qt::LeftButton);
    QCOMPARE(page->tableWidget()->rowCount(), total);
    QVERIFY(!page->moreButton()->isEnabled());

    // Every order once, in arrival order, each with its log line.
    QStringList expectedLines;
    for (int row = 0; row < total; ++row) {
        QCOMPARE(page->tableWidget()->item(row, 1)->text(), orderNumber(row + 1));
        expectedLines << QStringLiteral("mpRspFieldMap.value(i).OrderSysID %1").arg(row + 1);
    }
    const QStringList rowLines = CapturedLog::texts().filter(QStringLiteral("mpRspFieldMap.value(i)"));
    QCOMPARE(rowLines, expectedLines);
}

void TestOrderedWidget::everyCellOfEveryRowAndTheTickBoxes() {
    const int id = search();
    feed(sampleOrders(), id);
    QVERIFY(page->searchButton()->isEnabled());
    const QTableWidget& table = *page->tableWidget();
    QCOMPARE(table.rowCount(), SAMPLE_CELLS.size());
    for (int row = 0; row < table.rowCount(); ++row) {
        QCOMPARE(rowTexts(table, row, 1), SAMPLE_CELLS[row]);
        const QTableWidgetItem* tick = table.item(row, 0);
        QCOMPARE(tick != nullptr, SAMPLE_TICKABLE[row]);
        if (tick) {
            QCOMPARE(tick->checkState(), Qt::Unchecked);
            QVERIFY(tick->text().isEmpty());
        }
    }

    // The header box ticks and unticks exactly the rows with a box.
    clickHeaderBox();
    QVERIFY(header->isChecked());
    for (int row = 0; row < table.rowCount(); ++row) {
        if (SAMPLE_TICKABLE[row])
            QCOMPARE(table.item(row, 0)->checkState(), Qt::Checked);
        else
            QVERIFY(!table.item(row, 0));
    }
    clickHeaderBox();
    QVERIFY(!header->isChecked());
    for (int row = 0; row < table.rowCount(); ++row)
        if (SAMPLE_TICKABLE[row]) QCOMPARE(table.item(row, 0)->checkState(), Qt::Unchecked);
}

void TestOrderedWidget::errorsAndSendFailuresGiveTheButtonBack() {
    Dialogs dialogs;

    // A first page that cannot be sent: a box, and the button back after a second.
    fakeapi::scriptResult("reqQryOrder", -1);
    search();
    QCOMPARE(dialogs.texts(), QStringList{"错误/查询出错"});
    QCOMPARE(dialogs.boxes[0].kind, DialogSeam::Kind::Warning);
    QVERIFY(CapturedLog::has(QtWarningMsg, QStringLiteral("发送委托查询请求失败")));
    QVERIFY(!page->searchButton()->isEnabled());
    QVERIFY(page->retryTimer()->isActive());
    QCOMPARE(page->retryTimer()->interval(), 1000);
    page->slot_enableSearch();
    QVERIFY(page->searchButton()->isEnabled());

    // An error answer: its number and text in a box, nothing stored.
    fakeapi::setErrMsg(5001, "查询无记录");
    int id = search();
    onLibraryThread([&] {
        emit SignalInterface::instance()->signal_rspQryOrder(numberedOrder(1), rspInfo(5001, "no record"), id,
                                                             true);
    });
    QVERIFY(deliver([&] { return page->searchButton()->isEnabled(); }));
    QCOMPARE(dialogs.texts().last(), QStringLiteral("错误/[5001]查询无记录"));
    QVERIFY(CapturedLog::has(QtWarningMsg, QStringLiteral("\"委托查询出错[5001]查询无记录\"")));
    QCOMPARE(page->recordCount(), 0);
    QCOMPARE(page->tableWidget()->rowCount(), 0);

    // A follow-up page that cannot be sent: the records so far stay, the button comes back at once.
    id = search();
    fakeapi::scriptResult("reqQryOrder", -1);
    feed({numberedOrder(1), numberedOrder(2)}, id, true, 2);
    QCOMPARE(dialogs.texts().last(), QStringLiteral("错误/查询出错"));
    QCOMPARE(dialogs.boxes.last().kind, DialogSeam::Kind::Critical);
    QVERIFY(page->searchButton()->isEnabled());
    QCOMPARE(page->tableWidget()->rowCount(), 2);
}

void TestOrderedWidget::answersOfAnEarlierSearchAreDropped() {
    const int first = search();
    feed({numberedOrder(1)}, first, true, 1);
    const int followUp = requestsOf("reqQryOrder").back().requestId;
    // A search started meanwhile (as after a cancellation) owns the page from now on.
    page->slot_clicked();
    const int second = requestsOf("reqQryOrder").back().requestId;
    QVERIFY(second != followUp);
    onLibraryThread([&] {
        for (int n = 2; n <= 3; ++n)
            emit SignalInterface::instance()->signal_rspQryOrder(numberedOrder(n), rspInfo(), followUp,
                                                                 n == 3);
    });
    feed({numberedOrder(7), numberedOrder(8)}, second);
    QCOMPARE(page->recordCount(), 2);
    QCOMPARE(page->tableWidget()->item(0, 1)->text(), orderNumber(7));
    QCOMPARE(page->tableWidget()->item(1, 1)->text(), orderNumber(8));
    QVERIFY(page->searchButton()->isEnabled());
}

void TestOrderedWidget::batchCancelSendsOneRequestPerTickedOrderAndShowsOneBox() {
    Dialogs dialogs;
    const QString config = dir.filePath(QStringLiteral("api_config.txt"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("OperWay=Zk\n");
    file.close();
    page->apiConfig()->setFilePath(config);
    page->apiConfig()->readConfig();
    nextOrderRef = 700;

    const int id = search();
    feed(sampleOrders(), id);
    clickHeaderBox();
    // Leave three orders ticked: rows 0, 1 and 10.
    for (int row = 2; row < SAMPLE_CELLS.size(); ++row)
        if (row != 10 && page->tableWidget()->item(row, 0))
            page->tableWidget()->item(row, 0)->setCheckState(Qt::Unchecked);

    const int queriesBefore = int(requestsOf("reqQryOrder").size());
    QTest::mouseClick(page->cancelButton(), Qt::LeftButton);
    const auto cancels = requestsOf("reqCancelOrder");
    QCOMPARE(int(cancels.size()), 3);
    const quint32 orderIds[3] = {1001, 1002, 1011};
    for (int i = 0; i < 3; ++i) {
        const QByteArray expected =
            Bytes(48).putValue<int32_t>(0, 700 + i).putValue<quint32>(4, orderIds[i]).put(41, "Z").bytes();
        QCOMPARE(bytesOf(cancels[i]), expected);
    }
    QCOMPARE(int(nextOrderRef), 703);
    QCOMPARE(page->cancelMode(), int(OrderedWidget::CancelSeveral));
    QVERIFY(dialogs.boxes.isEmpty());

    // Three answers, the first refused: one box, then a new search and the header box off.
    onLibraryThread([&] {
        auto action = zeroed<CMoruRspOrderActionField>();
        emit SignalInterface::instance()->signal_rspCancelOrder(action, rspInfo(2009, "not cancellable"),
                                                                cancels[0].requestId, true);
        emit SignalInterface::instance()->signal_rspCancelOrder(action, rspInfo(), cancels[1].requestId,
                                                                true);
        emit SignalInterface::instance()->signal_rspCancelOrder(action, rspInfo(), cancels[2].requestId,
                                                                true);
    });
    QVERIFY(
        deliver([&] { return page->cancelMode() == OrderedWidget::CancelIdle && !dialogs.boxes.isEmpty(); }));
    QTest::qWait(50);
    QCOMPARE(dialogs.texts(), QStringList{"错误/批量撤单发送失败[2009]委托不存在或不可撤"});
    QCOMPARE(dialogs.boxes[0].kind, DialogSeam::Kind::Critical);
    QCOMPARE(int(requestsOf("reqQryOrder").size()), queriesBefore + 1);
    QVERIFY(!header->isChecked());
    QCOMPARE(page->tableWidget()->rowCount(), 0);
}

void TestOrderedWidget::singleCancelAndNothingTicked() {
    Dialogs dialogs;
    // Nothing at all, then records but nothing ticked.
    QTest::mouseClick(page->cancelButton(), Qt::LeftButton);
    const int id = search();
    feed(sampleOrders(), id);
    QTest::mouseClick(page->cancelButton(), Qt::LeftButton);
    QCOMPARE(dialogs.texts(), QStringList({"提示/请选择报单", "提示/请选择报单"}));
    QCOMPARE(dialogs.boxes[0].kind, DialogSeam::Kind::Information);
    QVERIFY(requestsOf("reqCancelOrder").empty());

    // A ticked cancellation record or refused order would not count; one ticked order does.
    page->tableWidget()->item(4, 0)->setCheckState(Qt::Checked);
    QTest::mouseClick(page->cancelButton(), Qt::LeftButton);
    const auto cancels = requestsOf("reqCancelOrder");
    QCOMPARE(int(cancels.size()), 1);
    QCOMPARE(quint32(cancels[0].as<CMoruReqOrderActionField>().OrderSysID), 1005u);
    QCOMPARE(page->cancelMode(), int(OrderedWidget::CancelOne));
    onLibraryThread([&] {
        emit SignalInterface::instance()->signal_rspCancelOrder(zeroed<CMoruRspOrderActionField>(), rspInfo(),
                                                                cancels[0].requestId, true);
    });
    QVERIFY(deliver([&] { return dialogs.boxes.size() == 3; }));
    QCOMPARE(dialogs.texts().last(), QStringLiteral("成功/撤单发送成功"));
    QCOMPARE(dialogs.boxes.last().kind, DialogSeam::Kind::Information);
}

void TestOrderedWidget::linkLossDuringTheCancelBoxStartsNoSearch() {
    Dialogs dialogs;
    dialogs.onBox = [](const DialogSeam::Box&) {
        DialogSeam::endSession();
        return QMessageBox::Ok;
    };
    const int id = search();
    feed(sampleOrders(), id);
    page->tableWidget()->item(0, 0)->setCheckState(Qt::Checked);
    QTest::mouseClick(page->cancelButton(), Qt::LeftButton);
    const int queries = int(requestsOf("reqQryOrder").size());
    page->slot_rspCancelOrder(zeroed<CMoruRspOrderActionField>(), rspInfo(), 1, true);
    QCOMPARE(dialogs.texts(), QStringList{"成功/撤单发送成功"});
    QCOMPARE(int(requestsOf("reqQryOrder").size()), queries);
    QCOMPARE(page->tableWidget()->rowCount(), SAMPLE_CELLS.size());
}

void TestOrderedWidget::bothExportsMatchTheExpectedFiles() {
    Dialogs dialogs;
    // Empty first, then the sample, which the visible table shows whole: both exports write the same bytes.
    for (bool filled : {false, true}) {
        if (filled) feed(sampleOrders(), search());
        const QString expected = filled ? "ordered_export.csv" : "ordered_export_empty.csv";
        for (QPushButton* button : {page->exportAllButton(), page->exportButton()}) {
            dialogs.savePath = dir.filePath(button->text() + expected);
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(readFile(dialogs.savePath), expectedFile(expected));
        }
    }
    QCOMPARE(dialogs.texts().count(QStringLiteral("成功/文件写入成功")), 4);
}

void TestOrderedWidget::showSampleTicking(const QList<int>& rows) {
    // As after a cancellation, a search may be running already; this one takes over.
    page->slot_clicked();
    feed(sampleOrders(), orders().lastRequestId());
    for (int row : rows) page->tableWidget()->item(row, 0)->setCheckState(Qt::Checked);
}

void TestOrderedWidget::endlessPagingStops() {
    QList<CMoruRspQryOrderField> records;
    for (int n = 1; n <= 30; ++n) records << numberedOrder(n);
    checkEndlessPagingStops(orders(), records);
}

void TestOrderedWidget::errorStormShowsOneBox() {
    checkErrorStorm(orders(), numberedOrder(1));
}

void TestOrderedWidget::silentSearchIsGivenUp() {
    checkSilentQueryIsGivenUp(orders(), sampleOrders());
    // The rows given up on keep their tick boxes.
    QVERIFY(page->tableWidget()->item(0, 0));
}

void TestOrderedWidget::batchCancelButtonIsOffUntilAnswered() {
    Dialogs dialogs;
    showSampleTicking({0, 1});
    // A double click sends the batch once.
    QTest::mouseDClick(page->cancelButton(), Qt::LeftButton);
    QTest::mouseClick(page->cancelButton(), Qt::LeftButton);
    auto cancels = requestsOf("reqCancelOrder");
    QCOMPARE(int(cancels.size()), 2);
    QVERIFY(!page->cancelButton()->isEnabled());
    page->slot_rspCancelOrder(zeroed<CMoruRspOrderActionField>(), rspInfo(), cancels[0].requestId, true);
    QVERIFY(page->cancelButton()->isEnabled());
    QCOMPARE(dialogs.texts(), QStringList{"成功/批量撤单发送成功"});

    // A batch nobody answers gives the button back after the wait; a late answer is only logged.
    showSampleTicking({4});
    page->cancelTimer()->setInterval(20);
    QTest::mouseClick(page->cancelButton(), Qt::LeftButton);
    QCOMPARE(int(requestsOf("reqCancelOrder").size()), 3);
    QVERIFY(deliver([&] { return page->cancelButton()->isEnabled(); }));
    QCOMPARE(dialogs.texts().last(), QStringLiteral("错误/撤单应答超时"));
    const int queries = int(requestsOf("reqQryOrder").size());
    page->slot_rspCancelOrder(zeroed<CMoruRspOrderActionField>(), rspInfo(), 99, true);
    QCOMPARE(dialogs.boxes.size(), 2);
    QCOMPARE(int(requestsOf("reqQryOrder").size()), queries);
}

void TestOrderedWidget::batchCancelWithNothingSentSaysSo() {
    Dialogs dialogs;
    showSampleTicking({0, 1, 2});
    // Only the requests that went out count.
    fakeapi::scriptResult("reqCancelOrder", -1);
    fakeapi::scriptResult("reqCancelOrder", -1);
    QTest::mouseClick(page->cancelButton(), Qt::LeftButton);
    QCOMPARE(page->cancelMode(), int(OrderedWidget::CancelOne));
    page->slot_rspCancelOrder(zeroed<CMoruRspOrderActionField>(), rspInfo(), 1, true);
    QCOMPARE(dialogs.texts(), QStringList{"成功/撤单发送成功"});

    showSampleTicking({0, 1});
    for (int i = 0; i < 2; ++i) fakeapi::scriptResult("reqCancelOrder", -1);
    QTest::mouseClick(page->cancelButton(), Qt::LeftButton);
    QCOMPARE(dialogs.texts().last(), QStringLiteral("错误/撤单请求发送失败"));
    QCOMPARE(dialogs.boxes.last().kind, DialogSeam::Kind::Critical);
    QCOMPARE(page->cancelMode(), int(OrderedWidget::CancelIdle));
    QVERIFY(page->cancelButton()->isEnabled());
    QCOMPARE(int(requestsOf("reqCancelOrder").size()), 5);
}

// A code at its daily cancel limit is held back with one box; the other ticked orders go out.
void TestOrderedWidget::cancelsPerCodeAreCapped() {
    Dialogs dialogs;
    showSampleTicking({0, 1, 2});
    const QString capped = page->tableWidget()->item(0, 3)->text();
    int others = 0;
    for (int row = 1; row < 3; ++row) others += page->tableWidget()->item(row, 3)->text() != capped;
    CancelCounter::instance().note(capped);
    DeskSettings::instance().set("checks/cancelsPerCodePerDay", CancelCounter::instance().count(capped));
    const size_t before = requestsOf("reqCancelOrder").size();
    QTest::mouseClick(page->cancelButton(), Qt::LeftButton);
    DeskSettings::instance().set("checks/cancelsPerCodePerDay", 50);
    QCOMPARE(int(requestsOf("reqCancelOrder").size() - before), others);
    QVERIFY2(dialogs.texts().filter(capped + QStringLiteral("今日撤单已达")).size() == 1,
             qPrintable(dialogs.texts().join('|')));
}

QTEST_MAIN(TestOrderedWidget)
#include "test_ordered_widget.moc"
