// The trade query page against the fake trading library: request bytes of every filter, paging in
// blocks of 10000 rows, every cell, errors and both exports.

#include <QtTest>
#include <memory>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_time_edit.h"
#include "captured_log.h"
#include "constants.h"
#include "query_page_support.h"
#include "user/queryWindow/transaction_widget.h"
#include "utils/api_state.h"
#include "utils/signal_interface.h"

using namespace qps;

namespace {

const int REQUEST_SIZE = 158;
const QByteArray QUERY_MODE("\x02", 1);

CMoruRspQryTradeField makeTrade(const QByteArray& orderNo, const QByteArray& code, double price, char side,
                                qint32 qty, qint32 leaves, const QByteArray& time, char orderType,
                                qint16 components, const QByteArray& componentCode, char source,
                                quint32 oldQty, quint32 componentQty, double cash) {
    auto r = zeroed<CMoruRspQryTradeField>();
    setText(r.OrderNo, orderNo);
    setText(r.SecurityID, code);
    r.TradePrice = price;
    r.Side = side;
    r.TradeQty = qty;
    r.LeavesQty = leaves;
    setText(r.TradeTime, time);
    r.OrderType = orderType;
    r.ComponentCount = components;
    setText(r.ComponentSecurityID, componentCode);
    r.ComponentSource = source;
    r.OldPositionQty = oldQty;
    r.ComponentTradeQty = componentQty;
    r.CashReplaceAmount = cash;
    return r;
}

QString orderNumber(int n) {
    return QStringLiteral("%1").arg(n, 10, 10, QLatin1Char('0'));
}

CMoruRspQryTradeField numberedTrade(int n) {
    return makeTrade(orderNumber(n).toLatin1(), "600000", 10.0, '1', 100, 0, "093000000", '2', 0, "", 0, 0, 0,
                     0);
}

QList<CMoruRspQryTradeField> sampleTrades() {
    QList<CMoruRspQryTradeField> out;
    out << makeTrade("0000001001", "600000", 10.48, '1', 1000, 0, "093015123", '2', 0, "", 0, 0, 0, 0);
    // An ETF creation: components from both markets; a NUL ends the order number early.
    out << makeTrade(QByteArray("77\0"
                                "1234567",
                                10),
                     "510050", 2.5, '3', 900000, 0, "100000000", '2', 50, "600000", '1', 300, 1200, 1234.5);
    out << makeTrade("0000001003", "159919", 4.1, '4', 1000000, 5, "145959999", '6', -1, "000001", '2', 0, 7,
                     0.0000004);
    // A full code and component code, each followed by other bytes; an unknown source.
    out << makeTrade("0000001004", "123456789", 1.0, '2', 1, 0, "", '9', 1, "12345678", 'X', 1, 1, 1);
    out.last().Reserved30[0] = 'Q';
    out << makeTrade("00\"00001005", "600999", 9.9, '7', 500, 0, "130000000", '2', 0, "", '1', 0, 0, 0);
    return out;
}

const QList<QStringList> SAMPLE_CELLS = {
    {"0000001001", "600000", "10.480000", "买", "1000", "0", "09:30:15.123", "限价", "0", "", "", "0", "0",
     "0.000000"},
    {"77", "510050", "2.500000", "申购", "900000", "0", "10:00:00.000", "限价", "50", "600000", "上交所",
     "300", "1200", "1234.500000"},
    {"0000001003", "159919", "4.100000", "赎回", "1000000", "5", "14:59:59.999", "最优五档立即成交剩余撤销",
     "-1", "000001", "深交所", "0", "7", "0.000000"},
    {"0000001004", "123456789", "1.000000", "卖", "1", "0", "", "", "1", "12345678", "", "1", "1",
     "1.000000"},
    {"00\"0000100", "600999", "9.900000", "要约预受", "500", "0", "13:00:00.000", "限价", "0", "", "上交所",
     "0", "0", "0.000000"},
};

}  // namespace

class TestTransactionWidget : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void requestBytesForEveryFilter_data();
    void requestBytesForEveryFilter();
    void pagesShowBlocksOf10000AndMoreShowsTheRest();
    void everyCellOfEveryRow();
    void errorsAndSendFailuresGiveTheButtonBack();
    void bothExportsMatchTheExpectedFiles();
    void endlessPagingStops();
    void errorStormShowsOneBox();
    void silentQueryIsGivenUp();

private:
    PageDriver<CMoruRspQryTradeField> trades() const {
        return {page.get(), page->query(), page->queryButton(), "reqQryTrade",
                &SignalInterface::signal_rspQryTrade};
    }
    int query() { return trades().search(); }
    void feed(const QList<CMoruRspQryTradeField>& records, int requestId, bool hasMore = false,
              int32_t nextPosition = 0, bool endsPage = true);

    QTemporaryDir dir;
    std::unique_ptr<TransactionWidget> page;
};

void TestTransactionWidget::init() {
    CapturedLog::install();
    fakeapi::reset();
    page = std::make_unique<TransactionWidget>();
    page->setTableHeader(TRADE_HEADERS.size(), TRADE_HEADERS);
    page->resize(1200, 500);
}

void TestTransactionWidget::cleanup() {
    page.reset();
    CapturedLog::uninstall();
}

void TestTransactionWidget::feed(const QList<CMoruRspQryTradeField>& records, int requestId, bool hasMore,
                                 int32_t nextPosition, bool endsPage) {
    QVERIFY(trades().feed(paged(records, hasMore, nextPosition), requestId, endsPage));
}

void TestTransactionWidget::requestBytesForEveryFilter_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("orderNo");
    QTest::addColumn<QTime>("start");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<QByteArray>("expected");
    for (int mask = 0; mask < 16; ++mask) {
        Bytes expected(REQUEST_SIZE);
        expected.put(42, QUERY_MODE);
        if (mask & 1) expected.put(4, "000001");
        if (mask & 2) expected.putValue<int32_t>(0, 987654321);
        if (mask & 4) expected.put(12, "091500000");
        if (mask & 8) expected.put(21, "235959000");
        QTest::addRow("code %d number %d start %d end %d", mask & 1, (mask >> 1) & 1, (mask >> 2) & 1,
                      (mask >> 3) & 1)
            << (mask & 1 ? QStringLiteral("000001") : QString())
            << (mask & 2 ? QStringLiteral("987654321") : QString()) << (mask & 4 ? QTime(9, 15) : QTime(0, 0))
            << (mask & 8 ? QTime(23, 59, 59) : QTime(0, 0)) << expected.bytes();
    }
}

void TestTransactionWidget::requestBytesForEveryFilter() {
    QFETCH(QString, code);
    QFETCH(QString, orderNo);
    QFETCH(QTime, start);
    QFETCH(QTime, end);
    QFETCH(QByteArray, expected);
    QTest::keyClicks(page->codeEdit(), code);
    QTest::keyClicks(page->orderNoEdit(), orderNo);
    page->startTimeEdit()->setTime(start);
    page->endTimeEdit()->setTime(end);
    const int id = query();
    auto sent = requestsOf("reqQryTrade");
    QCOMPARE(int(sent.size()), 1);
    QCOMPARE(bytesOf(sent[0]), expected);
    QVERIFY(!page->queryButton()->isEnabled());

    feed({numberedTrade(1)}, id, true, 77);
    sent = requestsOf("reqQryTrade");
    QCOMPARE(int(sent.size()), 2);
    QCOMPARE(bytesOf(sent[1]), Bytes(REQUEST_SIZE).put(0, expected).putValue<int32_t>(34, 77).bytes());
}

void TestTransactionWidget::pagesShowBlocksOf10000AndMoreShowsTheRest() {
    const int total = 12000;
    const int pageSize = 3000;
    int id = query();
    for (int p = 0; p < total / pageSize; ++p) {
        QList<CMoruRspQryTradeField> records;
        for (int n = p * pageSize + 1; n <= (p + 1) * pageSize; ++n) records << numberedTrade(n);
        const bool more = p + 1 < total / pageSize;
        if (p == 3) {
            // The 10000th record shows the first block, in the middle of a page.
            feed(records.mid(0, 999), id, more, 0, false);
            QCOMPARE(page->tableWidget()->rowCount(), 9000);
            feed(records.mid(999, 2), id, more, 0, false);
            QCOMPARE(page->tableWidget()->rowCount(), 10000);
            QVERIFY(page->moreButton()->isEnabled());
            records = records.mid(1001);
        }
        feed(records, id, more, (p + 1) * pageSize);
        QCOMPARE(page->tableWidget()->rowCount(), qMin((p + 1) * pageSize, 10000));
        QCOMPARE(page->queryButton()->isEnabled(), !more);
        const auto sent = requestsOf("reqQryTrade");
        QCOMPARE(int(sent.size()), more ? p + 2 : p + 1);
        if (!more) break;
        QCOMPARE(sent.back().as<CMoruReqQryTradeField>().QueryPosition, (p + 1) * pageSize);
        if (p == 0) {
            // "更多" is on from the first page that says more exist; with nothing to add it goes off.
            QVERIFY(page->moreButton()->isEnabled());
            QTest::mouseClick(page->moreButton(), Qt::LeftButton);
            QCOMPARE(page->tableWidget()->rowCount(), pageSize);
            QVERIFY(!page->moreButton()->isEnabled());
        }
        id = sent.back().requestId;
    }
    QCOMPARE(page->recordCount(), total);
    QTest::mouseClick(page->moreButton(), Qt::LeftButton);
    QCOMPARE(page->tableWidget()->rowCount(), total);
    QVERIFY(!page->moreButton()->isEnabled());
    for (int row = 0; row < total; ++row)
        QCOMPARE(page->tableWidget()->item(row, 0)->text(), orderNumber(row + 1));
}

void TestTransactionWidget::everyCellOfEveryRow() {
    const int id = query();
    feed(sampleTrades(), id);
    QCOMPARE(page->tableWidget()->rowCount(), SAMPLE_CELLS.size());
    for (int row = 0; row < SAMPLE_CELLS.size(); ++row)
        QCOMPARE(rowTexts(*page->tableWidget(), row), SAMPLE_CELLS[row]);
}

void TestTransactionWidget::errorsAndSendFailuresGiveTheButtonBack() {
    Dialogs dialogs;
    fakeapi::scriptResult("reqQryTrade", -1);
    query();
    QCOMPARE(dialogs.texts(), QStringList{"错误/查询出错"});
    QCOMPARE(dialogs.boxes[0].kind, DialogSeam::Kind::Warning);
    QVERIFY(CapturedLog::has(QtWarningMsg, QStringLiteral("成交查询请求失败")));
    QVERIFY(page->retryTimer()->isActive());
    QCOMPARE(page->retryTimer()->interval(), 1000);
    page->slot_enableQuery();
    QVERIFY(page->queryButton()->isEnabled());

    int id = query();
    onLibraryThread([&] {
        emit SignalInterface::instance()->signal_rspQryTrade(numberedTrade(1), rspInfo(5001, "查询无记录"),
                                                             id, true);
    });
    QVERIFY(deliver([&] { return page->queryButton()->isEnabled(); }));
    QCOMPARE(dialogs.texts().last(), QStringLiteral("错误/[5001]查询无记录"));
    QVERIFY(CapturedLog::has(QtWarningMsg, QStringLiteral("\"成交查询失败[5001]查询无记录\"")));
    QCOMPARE(page->recordCount(), 0);

    id = query();
    fakeapi::scriptResult("reqQryTrade", -1);
    feed({numberedTrade(1)}, id, true, 1);
    QCOMPARE(dialogs.texts().last(), QStringLiteral("错误/查询出错"));
    QVERIFY(CapturedLog::has(QtWarningMsg, QStringLiteral("成交查询更多信息请求失败")));
    QVERIFY(page->queryButton()->isEnabled());
    QCOMPARE(page->tableWidget()->rowCount(), 1);
}

void TestTransactionWidget::bothExportsMatchTheExpectedFiles() {
    Dialogs dialogs;
    for (QPushButton* button : {page->exportAllButton(), page->exportButton()}) {
        dialogs.savePath = dir.filePath(button->text() + QStringLiteral("_empty.csv"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(readFile(dialogs.savePath), expectedFile(QStringLiteral("transaction_export_empty.csv")));
    }
    const int id = query();
    feed(sampleTrades(), id);
    for (QPushButton* button : {page->exportAllButton(), page->exportButton()}) {
        dialogs.savePath = dir.filePath(button->text() + QStringLiteral(".csv"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(readFile(dialogs.savePath), expectedFile(QStringLiteral("transaction_export.csv")));
    }
    QCOMPARE(dialogs.texts().size(), 4);
}

void TestTransactionWidget::endlessPagingStops() {
    QList<CMoruRspQryTradeField> records;
    for (int n = 1; n <= 25; ++n) records << numberedTrade(n);
    checkEndlessPagingStops(trades(), records);
}

void TestTransactionWidget::errorStormShowsOneBox() {
    checkErrorStorm(trades(), numberedTrade(1));
}

void TestTransactionWidget::silentQueryIsGivenUp() {
    checkSilentQueryIsGivenUp(trades(), sampleTrades());
}

QTEST_MAIN(TestTransactionWidget)
#include "test_transaction_widget.moc"
