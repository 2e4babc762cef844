// The workspace's live additions: what each order return says, the notices and the day's list, the
// refresh after fills, floating profit, and the quote table's colours and search.
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "constants.h"
#include "quote_frames.h"
#include "user/live/live_updates.h"
#include "user/live/order_return_events.h"
#include "user/live/order_return_rows.h"
#include "user/live/position_pnl.h"
#include "user/live/return_notices.h"
#include "user/live/today_returns_widget.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"
#include "utils/desk_settings.h"

namespace {
CMoruRtnOrderField rtn(quint32 sysId, const char* code, char side, double price, quint32 qty, quint32 traded,
                       char status) {
    CMoruRtnOrderField r;
    std::memset(&r, 0, sizeof r);
    r.OrderSysID = sysId;
    std::memcpy(r.SecurityID, code, std::strlen(code));
    r.Side = side;
    r.LimitPrice = price;
    r.OrderQty = qty;
    r.TradeQty = traded;
    r.LeavesQty = qty - traded;
    r.OrderStatus = status;
    return r;
}

QString nameOf(const QString& code) {
    return code == QLatin1String("600000") ? QStringLiteral("西凤源集团") : QString();
}
}  // namespace

Q_DECLARE_METATYPE(QList<PositionFigures>)

class TestLiveUpdates : public QObject {
    Q_OBJECT
private slots:
    void init() { DeskSettings::instance().load(QStringLiteral("/nonexistent/moru-desk.ini")); }

    // One order's returns in turn: what each one says, and whether it pops up.
    void returnsOfOneOrder() {
        OrderReturnTracker tracker(nameOf);
        struct Step {
            CMoruRtnOrderField r;
            int errorId;
            bool news;
            ReturnEvent::Kind kind;
            bool notify;
            QString text;
        };
        const QList<Step> steps = {
            {rtn(7, "600000", '1', 11.15, 500, 0, '2'), 0, true, ReturnEvent::Accepted, false,
             "买 600000 西凤源集团 已报 500 股 @ 11.150"},
            {rtn(7, "600000", '1', 11.15, 500, 0, '2'), 0, false, ReturnEvent::Accepted, false, ""},
            {rtn(7, "600000", '1', 11.15, 500, 100, '7'), 0, true, ReturnEvent::Fill, true,
             "买 600000 西凤源集团 成交 100 股 @ 11.150"},
            {rtn(7, "600000", '1', 11.15, 500, 300, '7'), 0, true, ReturnEvent::Fill, true,
             "买 600000 西凤源集团 成交 200 股 @ 11.150"},
            {rtn(7, "600000", '1', 11.15, 500, 300, '5'), 0, true, ReturnEvent::Cancelled, true,
             "买 600000 西凤源集团 已撤 200 股"},
            {rtn(8, "000001", '2', 0, 300, 100, '5'), 0, true, ReturnEvent::Fill, true,
             "卖 000001 成交 100 股，已撤 200 股"},
            {rtn(9, "000001", '2', 9.5, 300, 0, '6'), 0, true, ReturnEvent::Cancelled, true,
             "卖 000001 已撤 300 股"},
            {rtn(10, "999999", '1', 9.5, 100, 0, '9'), 2001, true, ReturnEvent::Refused, true,
             "报单被拒 [2001] 证券代码不存在"},
        };
        for (const Step& step : steps) {
            ReturnEvent event;
            const bool news = tracker.take(step.r, step.errorId, QStringLiteral("证券代码不存在"), event);
            QCOMPARE(news, step.news);
            if (!news) continue;
            QCOMPARE(event.kind, step.kind);
            QCOMPARE(event.notify, step.notify);
            QCOMPARE(event.filled, step.kind == ReturnEvent::Fill);
            QCOMPARE(event.text, step.text);
        }
    }

    // A burst of fills: every return in the day's list, newest first; notices bounded; one refresh.
    void aBurstOfFillsRefreshesOnce() {
        QWidget workspace;
        workspace.resize(800, 600);
        LiveUpdates live(&workspace, nameOf);
        int refreshes = 0;
        live.setAfterFills([&] { ++refreshes; });
        for (quint32 i = 1; i <= 50; ++i)
            live.slot_rtnOrder(rtn(i, "600000", '1', 11.0, 100, 100, '8'), CMoruRspInfo{}, 0, true);
        QCOMPARE(live.todayList()->list()->count(), 50);
        QVERIFY(live.todayList()->list()->item(0)->text().endsWith("成交 100 股 @ 11.000"));
        QCOMPARE(live.notices()->shown(), ReturnNotices::MAX_SHOWN);
        QVERIFY(live.notices()->focusPolicy() == Qt::NoFocus);
        QTRY_COMPARE(refreshes, 1);
        QTest::qWait(LiveUpdates::REFRESH_GAP_MS / 4);
        QCOMPARE(refreshes, 1);
    }

    void switchedOff() {
        DeskSettings::instance().set(QStringLiteral("live/notices"), false);
        DeskSettings::instance().set(QStringLiteral("live/todayReturns"), false);
        QWidget workspace;
        LiveUpdates live(&workspace, nameOf);
        live.slot_rtnOrder(rtn(1, "600000", '1', 11.0, 100, 100, '8'), CMoruRspInfo{}, 0, true);
        QVERIFY(!live.notices());
        QVERIFY(!live.todayList());
    }

    // The stored record follows the returns; an order placed after the search gets a record of its own.
    void recordsFollowReturns() {
        CMoruRspQryOrderField record = orderRecordFromReturn(rtn(7, "600000", '1', 11.0, 500, 0, '2'), 0);
        QCOMPARE(quint32(record.OrderSysID), 7u);
        QCOMPARE(record.OrderStatus, '2');
        QCOMPARE(quint32(record.LeavesQty), 500u);
        QVERIFY(!applyOrderReturn(record, rtn(7, "600000", '1', 11.0, 500, 0, '2')));
        QVERIFY(applyOrderReturn(record, rtn(7, "600000", '1', 11.0, 500, 200, '7')));
        QVERIFY(applyOrderReturn(record, rtn(7, "600000", '1', 11.0, 500, 500, '8')));
        QCOMPARE(quint32(record.TradeQty), 500u);
        QCOMPARE(quint32(record.LeavesQty), 0u);
        QCOMPARE(double(record.TradeAmount), 5500.0);
        QVERIFY(isFinalOrderStatus(record.OrderStatus));
        QVERIFY(!isFinalOrderStatus('7'));
    }

    void floatingProfit_data() {
        QTest::addColumn<QList<PositionFigures>>("positions");
        QTest::addColumn<double>("last");
        QTest::addColumn<QString>("line");
        QTest::newRow("gain") << QList<PositionFigures>{{"600000", 1000, 10.0}} << 11.5
                              << "市值 11,500.00  成本 10,000.00  浮动盈亏 +1,500.00";
        QTest::newRow("loss") << QList<PositionFigures>{{"600000", 200, 10.0}} << 9.0
                              << "市值 1,800.00  成本 2,000.00  浮动盈亏 -200.00";
        QTest::newRow("unpriced counts at cost")
            << QList<PositionFigures>{{"600000", 100, 10.0}, {"000001", 100, 5.0}} << 12.0
            << "市值 1,700.00  成本 1,500.00  浮动盈亏 +200.00";
        QTest::newRow("nothing held")
            << QList<PositionFigures>{{"600000", 0, 10.0}} << 12.0 << "市值 0.00  成本 0.00  浮动盈亏 0.00";
    }

    void floatingProfit() {
        QFETCH(QList<PositionFigures>, positions);
        QFETCH(double, last);
        QFETCH(QString, line);
        QCOMPARE(pnlLine(positionPnl(positions, {{"600000", last}})), line);
    }

    // Red above the previous close, green below, drawn in spite of the tables' one text colour.
    void quotePricesAreColouredOnScreen() {
        QTemporaryDir dir;
        QuotesTcpClient client(nullptr, dir.filePath(QStringLiteral("none.ini")));
        const QByteArray frame = quoteFrame("600000", "N", 10.0);  // last above the close, low below it
        QCOMPARE(client.ingest(frame.constData(), frame.size()), qint64(frame.size()));
        StockQuotesWidget page;
        page.setTableHeader(QUOTE_HEADERS.size(), QUOTE_HEADERS);
        page.resize(1200, 400);
        page.setQuotesClient(&client);
        page.slot_releaseData();
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTableWidget* table = page.tableWidget();
        const auto inkOf = [table](int column) {
            const QRect cell = table->visualItemRect(table->item(0, column));
            const QImage image = table->viewport()->grab(cell).toImage();
            int red = 0;
            int green = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    red += c.red() > 150 && c.green() < 100 && c.blue() < 100;
                    green += c.green() > 100 && c.red() < 80 && c.blue() < 80;
                }
            return red > 0 ? 1 : green > 0 ? -1 : 0;
        };
        QCOMPARE(inkOf(2), 1);   // 最新
        QCOMPARE(inkOf(5), -1);  // 最低
        QCOMPARE(inkOf(8), 0);   // 昨收 itself
    }

    void quoteSearchSaysWhenACodeIsMissing() {
        StockQuotesWidget page;
        page.codeEdit()->setText("600000");
        QTest::keyClick(page.codeEdit(), Qt::Key_Return);
        QCOMPARE(page.notFoundLabel()->text(), QStringLiteral("行情中没有代码600000"));
        page.codeEdit()->clear();
        page.slot_checkClicked();
        QVERIFY(page.notFoundLabel()->text().isEmpty());
    }
};

QTEST_MAIN(TestLiveUpdates)
#include "test_live_updates.moc"
