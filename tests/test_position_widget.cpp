// The position query page against the fake trading library: request bytes, 20-row blocks, every cell,
// the "下单" buttons, errors and both exports.

#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "captured_log.h"
#include "constants.h"
#include "query_page_support.h"
#include "user/queryWindow/position_widget.h"
#include "utils/api_state.h"
#include "utils/signal_interface.h"

using namespace qps;

namespace {

CMoruRspQryStockPositionField makePosition(const QByteArray& code, quint32 todayBuy, quint32 todaySell,
                                           quint32 yesterday, quint32 total, quint32 available, double cost,
                                           qint64 purchasable, qint64 redeemable) {
    auto r = zeroed<CMoruRspQryStockPositionField>();
    setText(r.AccountID, "10880001");
    setText(r.SecurityID, code);
    r.TodayBuyQty = todayBuy;
    r.TodaySellQty = todaySell;
    r.YesterdayQty = yesterday;
    r.TotalQty = total;
    r.AvailableQty = available;
    r.PositionCost = cost;
    r.PurchasableQty = purchasable;
    r.RedeemableQty = redeemable;
    return r;
}

// Position n of a long list, with values whose texts the test can spell out.
CMoruRspQryStockPositionField numberedPosition(int n) {
    return makePosition(QByteArray::number(600000 + n), quint32(n * 100), quint32(n * 10), quint32(n * 1000),
                        quint32(n * 1090), quint32(n * 1080), n + 0.125, 5000000000LL + n, n);
}

QStringList numberedCells(int n) {
    return {QString::number(600000 + n),        QString::number(n * 100),          QString::number(n * 10),
            QString::number(n * 1000),          QString::number(n * 1090),         QString::number(n * 1080),
            QStringLiteral("%1.125000").arg(n), QString::number(5000000000LL + n), QString::number(n)};
}

}  // namespace

class TestPositionWidget : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void requestBytes_data();
    void requestBytes();
    void blocksOf20RowsWithEveryCell();
    void errorsAndSendFailuresGiveTheButtonBack();
    void bothExportsMatchTheExpectedFiles();
    void endlessAnswerStopsAtTheCap();
    void errorStormShowsOneBox();
    void silentSearchIsGivenUp();

private:
    PageDriver<CMoruRspQryStockPositionField> positions() const {
        return {page.get(), page->query(), page->searchButton(), "reqQryPosition",
                &SignalInterface::signal_rspQryPosition};
    }
    int search() { return positions().search(); }
    void feed(const QList<CMoruRspQryStockPositionField>& records, bool endsQuery = true);

    QTemporaryDir dir;
    std::unique_ptr<PositionWidget> page;
};

void TestPositionWidget::init() {
    CapturedLog::install();
    fakeapi::reset();
    currentAccount = QStringLiteral("10880001");
    page = std::make_unique<PositionWidget>();
    page->setTableHeader(POSITION_HEADERS.size(), POSITION_HEADERS);
    page->resize(1000, 500);
}

void TestPositionWidget::cleanup() {
    page.reset();
    CapturedLog::uninstall();
}

void TestPositionWidget::feed(const QList<CMoruRspQryStockPositionField>& records, bool endsQuery) {
    QVERIFY(positions().feed(records, positions().lastRequestId(), endsQuery));
}

void TestPositionWidget::requestBytes_data() {
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("all positions") << "10880001"
                                   << "" << Bytes(151).put(0, "10880001").bytes();
    QTest::newRow("one security") << "10880001"
                                  << "600000" << Bytes(151).put(0, "10880001").put(15, "600000").bytes();
    // A 15-character account fills its field; the code follows without a terminator between.
    QTest::newRow("longest account") << "123456789012345"
                                     << "000001"
                                     << Bytes(151).put(0, "123456789012345").put(15, "000001").bytes();
}

void TestPositionWidget::requestBytes() {
    QFETCH(QString, account);
    QFETCH(QString, code);
    QFETCH(QByteArray, expected);
    currentAccount = account;
    QTest::keyClicks(page->codeEdit(), code);
    search();
    const auto sent = requestsOf("reqQryPosition");
    QCOMPARE(int(sent.size()), 1);
    QCOMPARE(bytesOf(sent[0]), expected);
    QVERIFY(!page->searchButton()->isEnabled());
}

void TestPositionWidget::blocksOf20RowsWithEveryCell() {
    QList<CMoruRspQryStockPositionField> records;
    for (int n = 1; n <= 45; ++n) records << numberedPosition(n);
    search();
    feed(records.mid(0, 19), false);
    QCOMPARE(page->tableWidget()->rowCount(), 0);
    feed(records.mid(19, 1), false);
    QCOMPARE(page->tableWidget()->rowCount(), 20);
    QVERIFY(!page->moreButton()->isEnabled());
    feed(records.mid(20, 1), false);
    QVERIFY(page->moreButton()->isEnabled());
    feed(records.mid(21));
    QCOMPARE(page->tableWidget()->rowCount(), 20);
    QVERIFY(page->searchButton()->isEnabled());

    QTest::mouseClick(page->moreButton(), Qt::LeftButton);
    QCOMPARE(page->tableWidget()->rowCount(), 40);
    QVERIFY(page->moreButton()->isEnabled());
    QTest::mouseClick(page->moreButton(), Qt::LeftButton);
    QCOMPARE(page->tableWidget()->rowCount(), 45);
    QVERIFY(!page->moreButton()->isEnabled());
    QSignalSpy orders(SignalInterface::instance(), &SignalInterface::signal_clicketOrder);
    for (int row = 0; row < 45; ++row) {
        QCOMPARE(rowTexts(*page->tableWidget(), row).mid(0, 9), numberedCells(row + 1));
        QVERIFY(!page->tableWidget()->item(row, 9));
        QCOMPARE(page->orderButton(row)->text(), QStringLiteral("下单"));
        QCOMPARE(page->orderButton(row)->size(), QSize(50, 18));
        // Each row's button names the code shown in that row.
        QTest::mouseClick(page->orderButton(row), Qt::LeftButton);
        QCOMPARE(orders.last().at(0).toString(), QString::number(600000 + row + 1));
    }
    QCOMPARE(orders.size(), 45);

    // A new search starts from an empty table with "更多" off; fewer than 20 show at the last record.
    search();
    QCOMPARE(page->tableWidget()->rowCount(), 0);
    QVERIFY(!page->moreButton()->isEnabled());
    feed(records.mid(0, 2), false);
    QCOMPARE(page->tableWidget()->rowCount(), 0);
    feed(records.mid(2, 1));
    QCOMPARE(page->tableWidget()->rowCount(), 3);
    QVERIFY(!page->moreButton()->isEnabled());
}

void TestPositionWidget::errorsAndSendFailuresGiveTheButtonBack() {
    Dialogs dialogs;
    fakeapi::scriptResult("reqQryPosition", -1);
    search();
    QCOMPARE(dialogs.texts(), QStringList{"错误/查询出错"});
    QCOMPARE(dialogs.boxes[0].kind, DialogSeam::Kind::Critical);
    QVERIFY(!page->searchButton()->isEnabled());
    QVERIFY(page->retryTimer()->isActive());
    QCOMPARE(page->retryTimer()->interval(), 1000);
    page->slot_enableSearch();
    QVERIFY(page->searchButton()->isEnabled());

    const int id = search();
    onLibraryThread([id] {
        emit SignalInterface::instance()->signal_rspQryPosition(numberedPosition(1),
                                                                rspInfo(5001, "查询无记录"), id, true);
    });
    QVERIFY(deliver([&] { return page->searchButton()->isEnabled(); }));
    QCOMPARE(dialogs.texts().last(), QStringLiteral("错误/[5001]查询无记录"));
    QCOMPARE(dialogs.boxes.last().kind, DialogSeam::Kind::Warning);
    QVERIFY(CapturedLog::has(QtWarningMsg, QStringLiteral("\"持仓查询失败[5001]查询无记录\"")));
    QCOMPARE(page->recordCount(), 0);
}

void TestPositionWidget::bothExportsMatchTheExpectedFiles() {
    Dialogs dialogs;
    // The empty page first, then three positions, one code with a double quote.
    dialogs.savePath = dir.filePath(QStringLiteral("empty_all.csv"));
    QTest::mouseClick(page->exportAllButton(), Qt::LeftButton);
    QCOMPARE(readFile(dialogs.savePath), expectedFile(QStringLiteral("position_export_empty.csv")));
    dialogs.savePath = dir.filePath(QStringLiteral("empty_table.csv"));
    QTest::mouseClick(page->exportButton(), Qt::LeftButton);
    QCOMPARE(readFile(dialogs.savePath), expectedFile(QStringLiteral("position_export_empty.csv")));

    search();
    feed({makePosition("600000", 100, 0, 2000, 2100, 2000, 10.123456, 0, 0),
          makePosition("51\"0050", 0, 300, 900000, 899700, 899700, 2.5, 900000, 899700),
          makePosition("1234567890123456", 1, 2, 3, 4, 5, 0.5, -1, 9223372036854775807LL)});
    QCOMPARE(
        rowTexts(*page->tableWidget(), 2).mid(0, 9),
        QStringList({"1234567890123456", "1", "2", "3", "4", "5", "0.500000", "-1", "9223372036854775807"}));
    const QByteArray expected = expectedFile(QStringLiteral("position_export.csv"));
    dialogs.savePath = dir.filePath(QStringLiteral("all.csv"));
    QTest::mouseClick(page->exportAllButton(), Qt::LeftButton);
    QCOMPARE(readFile(dialogs.savePath), expected);
    dialogs.savePath = dir.filePath(QStringLiteral("table.csv"));
    QTest::mouseClick(page->exportButton(), Qt::LeftButton);
    QCOMPARE(readFile(dialogs.savePath), expected);
    QCOMPARE(dialogs.texts().size(), 4);
}

void TestPositionWidget::endlessAnswerStopsAtTheCap() {
    // A counter that never marks a last position: the search ends at the cap with what came.
    Dialogs dialogs;
    page->query()->setRecordCap(50);
    const int id = search();
    QList<CMoruRspQryStockPositionField> records;
    for (int n = 1; n <= 80; ++n) records << numberedPosition(n);
    positions().answer(records, id, false);
    QVERIFY(deliver([&] { return !dialogs.boxes.isEmpty(); }));
    QVERIFY(positions().settle());
    QCOMPARE(dialogs.texts(), QStringList{"错误/查询记录超过50条，已停止"});
    QCOMPARE(page->recordCount(), 50);
    QCOMPARE(page->tableWidget()->rowCount(), 20);
    QVERIFY(page->moreButton()->isEnabled());
    QVERIFY(page->searchButton()->isEnabled());
}

void TestPositionWidget::errorStormShowsOneBox() {
    checkErrorStorm(positions(), numberedPosition(1));
}

void TestPositionWidget::silentSearchIsGivenUp() {
    QList<CMoruRspQryStockPositionField> records;
    for (int n = 1; n <= 5; ++n) records << numberedPosition(n);
    checkSilentQueryIsGivenUp(positions(), records);
    QCOMPARE(page->orderButton(3)->text(), QStringLiteral("下单"));
}

QTEST_MAIN(TestPositionWidget)
#include "test_position_widget.moc"
