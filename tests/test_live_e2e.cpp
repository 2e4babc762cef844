// A fill seen as it happens, through the real windows against moru-sim: a resting buy placed in the
// order window, the pages searched once, then another account's sell (a second session of the
// trading library) fills it in part; the order row, a notice, the day's list, the trade and the
// position pages follow without a click.
#include <QListWidget>
#include <QtTest>
#include <atomic>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_click_label.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_spin_box.h"
#include "captured_log.h"
#include "e2e_session.h"
#include "moru_securities_api.h"
#include "user/live/live_updates.h"
#include "user/live/return_notices.h"
#include "user/live/today_returns_widget.h"
#include "user/orderWindow/level_widget.h"
#include "user/orderWindow/order_widget.h"
#include "user/orderWindow/order_window.h"
#include "user/queryWindow/ordered_widget.h"
#include "user/queryWindow/position_widget.h"
#include "user/queryWindow/query_windows_manager.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/queryWindow/transaction_widget.h"
#include "user/user_widget.h"

namespace {
constexpr int OTHER_ENTRY = 1;
std::atomic<bool> g_otherReady{false};
std::atomic<int> g_otherInsertError{-1};
void otherInitTrader(CMoruRspUserLoginField*, CMoruRspInfo* info, int, bool) {
    g_otherReady = info && info->ErrorID == 0;
}
void otherInsert(CMoruRspOrderInsertField*, CMoruRspInfo* info, int, bool) {
    g_otherInsertError = info ? int(info->ErrorID) : -2;
}

// A second session in this process, as another trader's terminal would be.
bool otherTraderLogsIn(const QString& account, const QString& password) {
    g_otherReady = false;
    if (createTraderApi(OTHER_ENTRY) != 0) return false;
    CMoruTraderSpi spi;
    std::memset(&spi, 0, sizeof spi);
    spi.onRspInitTrader = reinterpret_cast<decltype(spi.onRspInitTrader)>(&otherInitTrader);
    spi.onRspInsertOrder = &otherInsert;
    registerSpi(spi, OTHER_ENTRY);
    const QByteArray config = (e2e::Session::configDir() + "/api_config.txt").toUtf8();
    if (reqLogin(config.constData(), account.toUtf8().constData(), password.toUtf8().constData(), OTHER_ENTRY,
                 6, '1', 1) != 0)
        return false;
    QElapsedTimer waited;
    waited.start();
    while (!g_otherReady && waited.elapsed() < 10000) QTest::qWait(20);
    return g_otherReady;
}

int rowOfOrder(const QTableWidget* table, const QString& code) {
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, 3) && table->item(row, 3)->text() == code) return row;
    return -1;
}
}  // namespace

class TestLiveE2e : public QObject {
    Q_OBJECT
private slots:
    void init() { CapturedLog::install(); }
    void cleanup() {
        release(OTHER_ENTRY);
        CapturedLog::uninstall();
    }

    void aFillShowsEverywhereWithoutAClick() {
        e2e::Session s;
        QVERIFY(s.start({"--no-walk"}));
        QVERIFY2(s.login(e2e::Shanghai, "10880001", "123456"), qPrintable(s.boxesText()));
        UserWidget* w = s.workspace();

        // The pages searched once: they follow fills from now on.
        QTest::mouseClick(w->positionPage()->searchButton(), Qt::LeftButton);
        QTest::mouseClick(w->tradePage()->queryButton(), Qt::LeftButton);
        QTRY_VERIFY(w->positionPage()->searchButton()->isEnabled() &&
                    w->tradePage()->queryButton()->isEnabled());
        QCOMPARE(rowOfPosition(w, "600135"), -1);
        const int tradesBefore = w->tradePage()->tableWidget()->rowCount();

        // A buy below the market rests.
        QTest::mouseClick(w->tradeButton(), Qt::LeftButton);
        OrderWindow* window = w->orderWindow();
        QVERIFY(window && window->isVisible());
        QTest::keyClicks(window->orderWidget()->codeEdit(), "600135");
        QuotesTcpClient* quotes = w->manager()->quotesClient();
        QTRY_VERIFY_WITH_TIMEOUT(quoteSecurityId(quotes->getMarketData("600135")) == "600135", 15000);
        window->levelWidget()->slot_releaseData();
        QTest::mouseClick(window->levelWidget()->bidPriceCell(3), Qt::LeftButton);
        const QString price = window->orderWidget()->priceEdit()->text();
        e2e::typeInto(window->orderWidget()->quantityEdit(), "300");
        QTest::mouseClick(window->orderWidget()->orderButton(), Qt::LeftButton);
        QVERIFY2(s.waitForBoxes(3), qPrintable(s.boxesText()));
        QVERIFY2(s.boxes.size() == 3 && s.boxes[2].text == QStringLiteral("报单发送成功"), qPrintable(s.boxesText()));

        OrderedWidget* orders = w->orderPage();
        QTest::mouseClick(orders->searchButton(), Qt::LeftButton);
        QTRY_VERIFY(rowOfOrder(orders->tableWidget(), "600135") >= 0);
        const int row = rowOfOrder(orders->tableWidget(), "600135");
        QCOMPARE(orders->tableWidget()->item(row, 8)->text(), QStringLiteral("已报"));

        // Another trader sells into it.
        QVERIFY(otherTraderLogsIn("10880002", "654321"));
        CMoruReqOrderInsertField sell;
        std::memset(&sell, 0, sizeof sell);
        std::memcpy(sell.SecurityID, "600135", 6);
        sell.Side = '2';
        sell.LimitPrice = price.toDouble();
        sell.OrderQty = 200;
        sell.OrderType = '2';
        sell.OrderRef = 1;
        QCOMPARE(reqInsertOrder(&sell, 2, OTHER_ENTRY), 0);
        QTRY_VERIFY(g_otherInsertError.load() >= 0);
        QCOMPARE(g_otherInsertError.load(), 0);

        QTRY_VERIFY2_WITH_TIMEOUT(orders->tableWidget()->item(row, 8)->text() == QStringLiteral("部成"),
                                  qPrintable(CapturedLog::texts().filter("rtn", Qt::CaseInsensitive).join('\n') +
                                             CapturedLog::texts().filter("600135").join('\n')),
                                  10000);
        QCOMPARE(orders->tableWidget()->item(row, 12)->text(), QStringLiteral("200"));
        QVERIFY(orders->tableWidget()->item(row, 0) != nullptr);  // still cancellable
        const QString fill = QStringLiteral("成交 200 股 @ %1").arg(price);
        QVERIFY(w->liveUpdates()->notices()->shown() >= 1);
        QTRY_VERIFY(w->liveUpdates()->todayList()->list()->item(0)->text().endsWith(fill));
        QTRY_VERIFY_WITH_TIMEOUT(w->tradePage()->tableWidget()->rowCount() == tradesBefore + 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(rowOfPosition(w, "600135") >= 0, 10000);
        QVERIFY2(s.boxes.size() == 3, qPrintable(s.boxesText()));  // the refreshes said nothing
    }

private:
    static int rowOfPosition(UserWidget* w, const QString& code) {
        const QTableWidget* table = w->positionPage()->tableWidget();
        for (int row = 0; row < table->rowCount(); ++row)
            if (table->item(row, 0) && table->item(row, 0)->text() == code) return row;
        return -1;
    }
};

QTEST_MAIN(TestLiveE2e)
#include "test_live_e2e.moc"
