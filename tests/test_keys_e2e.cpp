// Trading from the keyboard end to end: the real workspace and order window against moru-sim, driven
// by the keys a trader presses (F1, F2, F4, typing, Enter), with 可卖 and 全部 from the account's own
// answers, and each exchange rule refusing once before the confirmation.

#include <QApplication>
#include <QRadioButton>
#include <QSignalSpy>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_click_label.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_label.h"
#include "basicControl/my_spin_box.h"
#include "e2e_session.h"
#include "user/orderWindow/level_widget.h"
#include "user/orderWindow/order_widget.h"
#include "user/orderWindow/order_window.h"
#include "user/orderWindow/quick_quantity_bar.h"
#include "user/queryWindow/ordered_widget.h"
#include "user/queryWindow/position_widget.h"
#include "user/queryWindow/query_windows_manager.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/queryWindow/transaction_widget.h"
#include "utils/desk_settings.h"
#include "utils/signal_interface.h"

namespace {

QWidget* focused() {
    return QApplication::focusWidget();
}

// Keys go where the focus is, as on a keyboard.
void press(Qt::Key key) {
    QWidget* target = focused() ? focused() : QApplication::activeWindow();
    QVERIFY(target);
    QTest::keyClick(target, key);
}

void type(const QString& text) {
    QVERIFY(focused());
    QTest::keyClicks(focused(), text);
}

QString price3(double price) {
    return QString::number(price, 'f', 3);
}

}  // namespace

class TestKeysE2e : public QObject {
    Q_OBJECT
private slots:
    void init() { DeskSettings::instance().load(QStringLiteral("/nonexistent/moru-desk.ini")); }

    void buyAndSellWithKeysOnly() {
        e2e::Session session;
        QVERIFY(session.start({"--no-walk"}));
        QVERIFY2(session.login(e2e::Shanghai, "10880001", "123456"), qPrintable(session.boxesText()));
        QVERIFY(activate(session.window.get()));
        QVERIFY(waitForQuote(session, "600000") && waitForQuote(session, "600030"));
        OrderWindow* window = session.workspace()->orderWindow();
        OrderWidget* form = window->orderWidget();
        QSignalSpy accepted(SignalInterface::instance(), &SignalInterface::signal_rspInsertOrder);

        // F1: the order window on 买, the code field ready.
        press(Qt::Key_F1);
        QVERIFY(window->isVisible());
        QVERIFY(comesToFront(window));
        QVERIFY(form->sideButton(0)->isChecked());
        QCOMPARE(focused(), static_cast<QWidget*>(form->codeEdit()));
        const double ask = quote(session, "600000").AskPrice1;
        type("600000");
        press(Qt::Key_Return);
        QCOMPARE(form->nameLabel()->text(), quoteSecurityName(quote(session, "600000")));
        QCOMPARE(window->levelWidget()->askPriceCell(1)->text(), price3(ask));
        type("100");
        press(Qt::Key_Return);
        type(price3(ask));
        press(Qt::Key_Return);
        QCOMPARE(focused(), static_cast<QWidget*>(form->orderButton()));
        press(Qt::Key_Return);
        QVERIFY2(session.waitForBoxes(2), qPrintable(session.boxesText()));
        QCOMPARE(session.boxes[0].text, QStringLiteral("是否确认交易"));
        QVERIFY2(session.boxes[0].detail.contains(QStringLiteral("方向: 买")),
                 qPrintable(session.boxes[0].detail));
        QVERIFY2(session.boxes[0].detail.contains(QStringLiteral("数量: 100")),
                 qPrintable(session.boxes[0].detail));
        QCOMPARE(session.boxes[1].text, QStringLiteral("报单发送成功"));
        QTRY_COMPARE_WITH_TIMEOUT(accepted.size(), 1, 10000);

        // Escape hides it; F2 brings it back on 卖, whatever the form held.
        press(Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QVERIFY(activate(session.window.get()));
        press(Qt::Key_F2);
        QVERIFY(window->isVisible());
        QVERIFY(comesToFront(window));
        QVERIFY(form->sideButton(1)->isChecked());
        QCOMPARE(focused(), static_cast<QWidget*>(form->codeEdit()));
        const double bid = quote(session, "600030").BidPrice1;
        type("600030");
        press(Qt::Key_Return);
        type("100");
        press(Qt::Key_Return);
        type(price3(bid));
        press(Qt::Key_Return);
        press(Qt::Key_Return);
        QVERIFY2(session.waitForBoxes(4), qPrintable(session.boxesText()));
        QVERIFY2(session.boxes[2].detail.contains(QStringLiteral("方向: 卖")),
                 qPrintable(session.boxes[2].detail));
        QCOMPARE(session.boxes[3].text, QStringLiteral("报单发送成功"));
        QTRY_COMPARE_WITH_TIMEOUT(accepted.size(), 2, 10000);

        // F1 after a sale starts on 买 again: a leftover 卖 sends nothing unintended.
        press(Qt::Key_F1);
        QVERIFY(form->sideButton(0)->isChecked());
        QCOMPARE(form->side(), '1');

        // F3: both orders on 委托查询; F5 searches the tab shown, here 成交查询.
        press(Qt::Key_Escape);
        QVERIFY(activate(session.window.get()));
        UserWidget* workspace = session.workspace();
        press(Qt::Key_F3);
        QCOMPARE(workspace->tabWidget()->currentWidget(), static_cast<QWidget*>(workspace->orderPage()));
        QTRY_COMPARE_WITH_TIMEOUT(workspace->orderPage()->tableWidget()->rowCount(), 2, 10000);
        QVERIFY(e2e::showTab(workspace->tabWidget(), workspace->tradePage()));
        QCOMPARE(workspace->tradePage()->tableWidget()->rowCount(), 0);
        press(Qt::Key_F5);
        QTRY_COMPARE_WITH_TIMEOUT(workspace->tradePage()->tableWidget()->rowCount(), 2, 10000);
        QCOMPARE(session.boxes.size(), 4);
    }

    void sellAWholePositionWithAll() {
        e2e::Session session;
        QVERIFY(session.start({"--no-walk"}));
        QVERIFY2(session.login(e2e::Shanghai, "10880001", "123456"), qPrintable(session.boxesText()));
        QVERIFY(activate(session.window.get()));
        UserWidget* workspace = session.workspace();
        PositionWidget* page = workspace->positionPage();
        const QString code = "600111";  // 2000 shares held from yesterday

        // F4: the position page, searched.
        press(Qt::Key_F4);
        QCOMPARE(workspace->tabWidget()->currentWidget(), static_cast<QWidget*>(page));
        BaseTableWidget* table = page->tableWidget();
        QTRY_VERIFY_WITH_TIMEOUT(table->rowCount() > 0 && page->searchButton()->isEnabled(), 10000);
        int row = rowOf(table, code);
        QVERIFY(row >= 0);
        const int rows = table->rowCount();
        QVERIFY(waitForQuote(session, code));

        // A position row's 下单: 卖 with 可卖, the focus in 数量.
        table->scrollToItem(table->item(row, 0));
        QTest::mouseClick(page->orderButton(row), Qt::LeftButton);
        OrderWindow* window = workspace->orderWindow();
        OrderWidget* form = window->orderWidget();
        QVERIFY(window->isVisible());
        QVERIFY(comesToFront(window));
        QVERIFY(form->sideButton(1)->isChecked());
        QCOMPARE(form->codeEdit()->text(), code);
        QCOMPARE(focused(), static_cast<QWidget*>(form->quantityEdit()));
        QuickQuantityBar* bar = form->quickBar();
        QCOMPARE(bar->nameLabel()->text(), QStringLiteral("可卖"));
        QTRY_COMPARE_WITH_TIMEOUT(bar->figureLabel()->text(), QStringLiteral("2000"), 10000);
        // The order window's own position answer does not reach the page.
        QCOMPARE(table->rowCount(), rows);

        QTest::mouseClick(bar->button(0), Qt::LeftButton);  // 全部
        QCOMPARE(form->quantityEdit()->value(), 2000);
        press(Qt::Key_Return);
        type(price3(quote(session, code).BidPrice1));
        press(Qt::Key_Return);
        press(Qt::Key_Return);
        QVERIFY2(session.waitForBoxes(2), qPrintable(session.boxesText()));
        QCOMPARE(session.boxes[1].text, QStringLiteral("报单发送成功"));
        // The fill is asked for again: nothing left to sell.
        QTRY_COMPARE_WITH_TIMEOUT(bar->figureLabel()->text(), QStringLiteral("0"), 10000);
    }

    void eachExchangeRuleRefusesOnce_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<double>("offset");     // from the last price
        QTest::addColumn<bool>("pastLimitUp");  // one cent past limit up instead
        QTest::addColumn<QString>("refusal");   // %1 %2: the day's limits
        QTest::newRow("odd lot") << "600000"
                                 << "150" << 0.0 << false << "买入数量须为100股的整数倍";
        QTest::newRow("STAR minimum") << "688001"
                                      << "100" << 0.0 << false << "科创板买入数量不得少于200股";
        QTest::newRow("off the tick") << "600000"
                                      << "100" << 0.005 << false << "价格须为0.01元的整数倍";
        QTest::newRow("past limit up") << "600000"
                                       << "100" << 0.0 << true << "价格超出涨跌停范围 [%1, %2]";
    }

    void eachExchangeRuleRefusesOnce() {
        QFETCH(QString, code);
        QFETCH(QString, quantity);
        QFETCH(double, offset);
        QFETCH(bool, pastLimitUp);
        QFETCH(QString, refusal);
        e2e::Session session;
        QVERIFY(session.start({"--no-walk"}));
        QVERIFY2(session.login(e2e::Shanghai, "10880001", "123456"), qPrintable(session.boxesText()));
        QVERIFY(activate(session.window.get()));
        QVERIFY(waitForQuote(session, code));
        const ClientSecurityMarketDataLevel1 q = quote(session, code);
        const double price = pastLimitUp ? q.UpperLimitPrice + 0.01 : q.LastPrice + offset;
        const int refBefore = nextOrderRef.load();

        press(Qt::Key_F1);
        QVERIFY(comesToFront(session.workspace()->orderWindow()));
        type(code);
        press(Qt::Key_Return);
        type(quantity);
        press(Qt::Key_Return);
        type(price3(price));
        press(Qt::Key_Return);
        press(Qt::Key_Return);
        QVERIFY2(session.waitForBoxes(1), qPrintable(session.boxesText()));
        QTest::qWait(300);
        QCOMPARE(session.boxes.size(), 1);
        QCOMPARE(session.boxes[0].kind, DialogSeam::Kind::Warning);
        QCOMPARE(session.boxes[0].title, QStringLiteral("错误"));
        QCOMPARE(session.boxes[0].text, refusal.arg(price3(q.LowerLimitPrice), price3(q.UpperLimitPrice)));
        QCOMPARE(nextOrderRef.load(), refBefore);
        // The form as the user left it.
        OrderWidget* form = session.workspace()->orderWindow()->orderWidget();
        QCOMPARE(form->codeEdit()->text(), code);
        QCOMPARE(QString::number(form->quantityEdit()->value()), quantity);
    }

private:
    // The window system hands the keyboard over a moment after the window asked for it.
    static bool comesToFront(QWidget* w) {
        QElapsedTimer t;
        t.start();
        while (QApplication::activeWindow() != w && t.elapsed() < 5000) QTest::qWait(10);
        return QApplication::activeWindow() == w;
    }

    static bool activate(QWidget* w) {
        w->raise();
        w->activateWindow();
        QApplication::setActiveWindow(w);
        return QTest::qWaitForWindowActive(w);
    }

    static ClientSecurityMarketDataLevel1 quote(e2e::Session& session, const QString& code) {
        return session.workspace()->manager()->quotesClient()->getMarketData(code);
    }

    static bool waitForQuote(e2e::Session& session, const QString& code) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000 && quoteSecurityId(quote(session, code)) != code) QTest::qWait(20);
        return quoteSecurityId(quote(session, code)) == code;
    }

    static int rowOf(const QTableWidget* table, const QString& code) {
        for (int r = 0; r < table->rowCount(); ++r)
            if (table->item(r, 0) && table->item(r, 0)->text() == code) return r;
        return -1;
    }
};

QTEST_MAIN(TestKeysE2e)
#include "test_keys_e2e.moc"
