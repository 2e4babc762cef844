// Order entry end to end: the real order window driven with clicks and keys, through the real trading
// library, against moru-sim's counter and its published books.

#include <QRadioButton>
#include <QTabWidget>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_click_label.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_label.h"
#include "basicControl/my_spin_box.h"
#include "captured_log.h"
#include "e2e_session.h"
#include "user/orderWindow/exercise_of_warrants_widget.h"
#include "user/orderWindow/level_widget.h"
#include "user/orderWindow/order_widget.h"
#include "user/orderWindow/order_window.h"
#include "user/orderWindow/tender_offer_widget.h"
#include "user/queryWindow/query_windows_manager.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"
#include "utils/desk_settings.h"
#include "utils/signal_interface.h"

namespace {

QStringList tabTitles(const OrderWindow* window) {
    QStringList titles;
    for (int i = 0; i < window->tabWidget()->count(); ++i) titles << window->tabWidget()->tabText(i);
    return titles;
}

}  // namespace

class TestOrderE2e : public QObject {
    Q_OBJECT
private slots:
    void init() {
        CapturedLog::install();
        DeskSettings::instance().load(QStringLiteral("/nonexistent/moru-desk.ini"));
    }
    void cleanup() { CapturedLog::uninstall(); }

    void limitBuyAtTheClickedAskFills() {
        e2e::Session session;
        QVERIFY(session.start({"--no-walk"}));  // the book stays where the panel shows it
        QVERIFY2(session.login(e2e::Shanghai, "10880001", "123456"), qPrintable(session.boxesText()));
        OrderWindow* window = openOrderWindow(session);
        QVERIFY(window);
        OrderWidget* form = window->orderWidget();
        LevelWidget* panel = window->levelWidget();

        QTest::keyClicks(form->codeEdit(), "600000");
        QVERIFY(waitForQuote(session, "600000"));
        panel->slot_releaseData();  // the panel's one-second refresh
        const QString ask = panel->askPriceCell(1)->text();
        QVERIFY2(ask.toDouble() > 0, qPrintable(ask));
        QTest::mouseClick(panel->askPriceCell(1), Qt::LeftButton);
        QCOMPARE(form->priceEdit()->text(), ask);
        e2e::typeInto(form->quantityEdit(), "100");

        // Taken in the GUI thread, like the form's own slot.
        QList<CMoruRtnOrderField> returns;
        QObject receiver;
        connect(SignalInterface::instance(), &SignalInterface::signal_rtnOrder, &receiver,
                [&returns](const CMoruRtnOrderField& rtn) { returns << rtn; });
        QTest::mouseClick(form->orderButton(), Qt::LeftButton);
        QVERIFY2(session.waitForBoxes(2), qPrintable(session.boxesText()));
        QCOMPARE(session.boxes[0].title, QStringLiteral("确认"));
        QCOMPARE(session.boxes[0].text, QStringLiteral("是否确认交易"));
        QCOMPARE(session.boxes[1].title, QStringLiteral("成功"));
        QCOMPARE(session.boxes[1].text, QStringLiteral("报单发送成功"));

        // Accepted, then filled at once: it crossed the ask.
        QTRY_VERIFY_WITH_TIMEOUT(returns.size() >= 2, 10000);
        QCOMPARE(returns[0].OrderStatus, '2');
        const CMoruRtnOrderField rtn = returns.last();
        QCOMPARE(fixture::val(rtn.TradeQty), 100u);
        const QString line = QStringLiteral("\"600000 1 100@%1 #%2交易成功\"").arg(ask).arg(rtn.OrderSysID);
        QTRY_VERIFY2(CapturedLog::has(QtInfoMsg, line), qPrintable(CapturedLog::texts().join('\n')));
        QCOMPARE(session.boxes.size(), 2);
    }

    void refusedOrderShowsTheCountersNumberAndText_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("box");
        QTest::newRow("unknown security") << "999999"
                                          << "10"
                                          << "报单发送失败[2001]证券代码不存在";
        // The counter's own text is English here: the library's Chinese table gives the shown text.
        QTest::newRow("above the limit") << "600000"
                                         << "99.99"
                                         << "报单发送失败[2002]委托价格超出涨跌停范围";
    }

    void refusedOrderShowsTheCountersNumberAndText() {
        QFETCH(QString, code);
        QFETCH(QString, price);
        QFETCH(QString, box);
        // The counter's own refusal: the terminal's checks before the confirmation stand aside.
        DeskSettings::instance().set("checks/enabled", false);
        e2e::Session session;
        QVERIFY(session.start());
        QVERIFY2(session.login(e2e::Shanghai, "10880001", "123456"), qPrintable(session.boxesText()));
        OrderWindow* window = openOrderWindow(session);
        QVERIFY(window);
        OrderWidget* form = window->orderWidget();
        QTest::keyClicks(form->codeEdit(), code);
        e2e::typeInto(form->priceEdit(), price);
        e2e::typeInto(form->quantityEdit(), "100");
        QTest::mouseClick(form->orderButton(), Qt::LeftButton);
        QVERIFY2(session.waitForBoxes(2), qPrintable(session.boxesText()));
        QCOMPARE(session.boxes[1].kind, DialogSeam::Kind::Warning);
        QCOMPARE(session.boxes[1].title, QStringLiteral("失败"));
        QCOMPARE(session.boxes[1].text, box);
    }

    void placeOrderInTheQuoteTableOpensTheWindowOnItsRow() {
        e2e::Session session;
        QVERIFY(session.start());
        QVERIFY2(session.login(e2e::Shenzhen, "10880001", "123456"), qPrintable(session.boxesText()));
        UserWidget* workspace = session.workspace();
        StockQuotesWidget* quotes = workspace->quotePage();
        QuotesTcpClient* client = workspace->manager()->quotesClient();
        QTRY_VERIFY_WITH_TIMEOUT(client->marketDataMap().size() > 10, 15000);
        quotes->slot_releaseData();  // the table's one-second refresh
        const int row = 7;
        const QString code = quotes->tableWidget()->item(row, 0)->text();
        OrderWindow* window = workspace->orderWindow();
        QVERIFY(!window->isVisible());

        quotes->tableWidget()->scrollToItem(quotes->tableWidget()->item(row, 0));
        QVERIFY(quotes->orderButton(row));
        QTest::mouseClick(quotes->orderButton(row), Qt::LeftButton);
        QVERIFY(window->isVisible());
        QCOMPARE(window->orderWidget()->codeEdit()->text(), code);
        QCOMPARE(window->levelWidget()->shownCode(), code);
        QCOMPARE(window->orderWidget()->nameLabel()->text(), quoteSecurityName(client->getMarketData(code)));
        QVERIFY(session.boxes.isEmpty());
    }

    void shanghaiTenderOfferIsAccepted() {
        e2e::Session session;
        QVERIFY(session.start());
        QVERIFY2(session.login(e2e::Shanghai, "10880001", "123456"), qPrintable(session.boxesText()));
        OrderWindow* window = openOrderWindow(session);
        QVERIFY(window);
        QCOMPARE(tabTitles(window), QStringList({"买卖/申赎", "要约收购"}));
        window->tabWidget()->tabBar()->setCurrentIndex(1);
        QCOMPARE(window->size(), QSize(343, 333));

        TenderOfferWidget* form = window->tenderOfferWidget();
        QTest::keyClicks(form->codeEdit(), "600999");
        e2e::typeInto(form->quantityEdit(), "1000");
        QTest::keyClicks(form->offerorEdit(), "706001");
        QTest::mouseClick(form->acceptButton(), Qt::LeftButton);
        QTest::mouseClick(form->orderButton(), Qt::LeftButton);
        QVERIFY2(session.waitForBoxes(2), qPrintable(session.boxesText()));
        QCOMPARE(session.boxes[0].text, QStringLiteral("是否确认交易"));
        QCOMPARE(session.boxes[1].title, QStringLiteral("成功"));
        QCOMPARE(session.boxes[1].text, QStringLiteral("要约发送成功"));

        // The wrong offeror is refused with the counter's number and text.
        form->offerorEdit()->clear();
        QTest::keyClicks(form->offerorEdit(), "706002");
        QTest::mouseClick(form->orderButton(), Qt::LeftButton);
        QVERIFY2(session.waitForBoxes(4), qPrintable(session.boxesText()));
        QCOMPARE(session.boxes[3].title, QStringLiteral("失败"));
        QCOMPARE(session.boxes[3].text, QStringLiteral("要约发送失败[2011]要约收购代码错误"));
    }

    void shenzhenWarrantExerciseIsAccepted() {
        e2e::Session session;
        QVERIFY(session.start());
        QVERIFY2(session.login(e2e::Shenzhen, "10880001", "123456"), qPrintable(session.boxesText()));
        OrderWindow* window = openOrderWindow(session);
        QVERIFY(window);
        QCOMPARE(tabTitles(window), QStringList({"买卖/申赎", "权证行权"}));
        window->tabWidget()->tabBar()->setCurrentIndex(1);

        ExerciseOfWarrantsWidget* form = window->exerciseWidget();
        QTest::keyClicks(form->codeEdit(), "031001");
        e2e::typeInto(form->quantityEdit(), "1000");
        e2e::typeInto(form->priceEdit(), "5.6");
        QTest::mouseClick(form->orderButton(), Qt::LeftButton);
        QVERIFY2(session.waitForBoxes(2), qPrintable(session.boxesText()));
        QCOMPARE(session.boxes[1].title, QStringLiteral("成功"));
        QCOMPARE(session.boxes[1].text, QStringLiteral("权证行权发送成功"));

        // Only a warrant can be exercised.
        form->codeEdit()->clear();
        QTest::keyClicks(form->codeEdit(), "000001");
        QTest::mouseClick(form->orderButton(), Qt::LeftButton);
        QVERIFY2(session.waitForBoxes(4), qPrintable(session.boxesText()));
        QCOMPARE(session.boxes[3].title, QStringLiteral("失败"));
        QCOMPARE(session.boxes[3].text, QStringLiteral("权证行权发送失败[2012]不允许权证行权"));
    }

private:
    static OrderWindow* openOrderWindow(e2e::Session& session) {
        UserWidget* workspace = session.workspace();
        QTest::mouseClick(workspace->tradeButton(), Qt::LeftButton);
        OrderWindow* window = workspace->orderWindow();
        return window && window->isVisible() ? window : nullptr;
    }

    static bool waitForQuote(e2e::Session& session, const QString& code) {
        QuotesTcpClient* client = session.workspace()->manager()->quotesClient();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000 && quoteSecurityId(client->getMarketData(code)) != code) QTest::qWait(20);
        return quoteSecurityId(client->getMarketData(code)) == code;
    }
};

QTEST_MAIN(TestOrderE2e)
#include "test_order_e2e.moc"
