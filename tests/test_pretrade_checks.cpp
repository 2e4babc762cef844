// The rules behind the order window's additions, without widgets: each board's lot, tick and limits,
// the fat-finger limits, the flow-control window, the per-code cancel count, 可买/可卖 and the quick
// buttons' shares, and the keys read from moru-desk.ini.

#include <QtTest>

#include "user/orderWindow/order_quantities.h"
#include "user/orderWindow/pretrade_checks.h"
#include "utils/desk_settings.h"
#include "utils/key_bindings.h"

Q_DECLARE_METATYPE(BoardRule)
using KeyTexts = QMap<QString, QString>;

namespace {
BoardRule rule(char market, const char* code) {
    return boardRuleOf(market, QString::fromLatin1(code));
}
}  // namespace

class TestPretradeChecks : public QObject {
    Q_OBJECT
private slots:
    void exchangeRulesPerBoard_data() {
        QTest::addColumn<char>("market");
        QTest::addColumn<QString>("code");
        QTest::addColumn<char>("side");
        QTest::addColumn<char>("type");
        QTest::addColumn<double>("price");
        QTest::addColumn<qint64>("quantity");
        QTest::addColumn<double>("upper");  // 0: limits not cached
        QTest::addColumn<double>("lower");
        QTest::addColumn<QString>("refusal");

        const QString lot100 = "买入数量须为100股的整数倍";
        const QString tickCent = "价格须为0.01元的整数倍";
        const QString tickMil = "价格须为0.001元的整数倍";
        const QString limits = "价格超出涨跌停范围 [10.030, 12.250]";
        // Lots, buys only.
        QTest::newRow("SH main, buy 150")
            << '1' << "600000" << '1' << '2' << 11.15 << qint64(150) << 0.0 << 0.0 << lot100;
        QTest::newRow("SH main, buy 200")
            << '1' << "601988" << '1' << '2' << 11.15 << qint64(200) << 0.0 << 0.0 << "";
        QTest::newRow("SH main, sell odd 150")
            << '1' << "600000" << '2' << '2' << 11.15 << qint64(150) << 0.0 << 0.0 << "";
        QTest::newRow("SZ main, buy 50")
            << '2' << "000001" << '1' << '2' << 11.15 << qint64(50) << 0.0 << 0.0 << lot100;
        QTest::newRow("ChiNext, buy 250")
            << '2' << "300015" << '1' << '2' << 57.2 << qint64(250) << 0.0 << 0.0 << lot100;
        QTest::newRow("STAR, buy 100") << '1' << "688001" << '1' << '2' << 57.2 << qint64(100) << 0.0 << 0.0
                                       << "科创板买入数量不得少于200股";
        QTest::newRow("STAR, buy 199") << '1' << "688001" << '1' << '2' << 57.2 << qint64(199) << 0.0 << 0.0
                                       << "科创板买入数量不得少于200股";
        QTest::newRow("STAR, buy 200")
            << '1' << "688001" << '1' << '2' << 57.2 << qint64(200) << 0.0 << 0.0 << "";
        QTest::newRow("STAR, buy 201")
            << '1' << "688001" << '1' << '2' << 57.2 << qint64(201) << 0.0 << 0.0 << "";
        QTest::newRow("STAR CDR, buy 150") << '1' << "689009" << '1' << '2' << 40.0 << qint64(150) << 0.0
                                           << 0.0 << "科创板买入数量不得少于200股";
        QTest::newRow("SH ETF, buy 150")
            << '1' << "510050" << '1' << '2' << 3.5 << qint64(150) << 0.0 << 0.0 << lot100;
        QTest::newRow("SH bond, buy 15") << '1' << "113001" << '1' << '2' << 101.5 << qint64(15) << 0.0 << 0.0
                                         << "买入数量须为10张的整数倍";
        QTest::newRow("SZ bond, buy 20")
            << '2' << "123001" << '1' << '2' << 101.5 << qint64(20) << 0.0 << 0.0 << "";
        QTest::newRow("subscribe 150")
            << '1' << "510050" << '3' << '2' << 0.0 << qint64(150) << 0.0 << 0.0 << "";
        QTest::newRow("no market") << '0' << "600000" << '1' << '2' << 11.155 << qint64(150) << 0.0 << 0.0
                                   << "";
        QTest::newRow("SH repo, not listed")
            << '1' << "204001" << '1' << '2' << 1.8 << qint64(15) << 0.0 << 0.0 << "";
        // Ticks, both sides.
        QTest::newRow("stock off the cent")
            << '1' << "600000" << '2' << '2' << 11.155 << qint64(100) << 0.0 << 0.0 << tickCent;
        QTest::newRow("stock on the cent, binary")
            << '2' << "000001" << '1' << '2' << 10.03 << qint64(100) << 0.0 << 0.0 << "";
        QTest::newRow("fund off the mil")
            << '1' << "510050" << '1' << '2' << 1.2345 << qint64(100) << 0.0 << 0.0 << tickMil;
        QTest::newRow("fund on the mil")
            << '2' << "159901" << '1' << '2' << 1.235 << qint64(100) << 0.0 << 0.0 << "";
        QTest::newRow("warrant off the mil")
            << '2' << "031001" << '2' << '2' << 1.2505 << qint64(100) << 0.0 << 0.0 << tickMil;
        // The day's limits, limit orders only, both ends included.
        QTest::newRow("buy above limit up")
            << '1' << "600000" << '1' << '2' << 12.26 << qint64(100) << 12.25 << 10.03 << limits;
        QTest::newRow("sell below limit down")
            << '1' << "600000" << '2' << '2' << 10.02 << qint64(100) << 12.25 << 10.03 << limits;
        QTest::newRow("at limit up") << '1' << "600000" << '1' << '2' << 12.25 << qint64(100) << 12.25
                                     << 10.03 << "";
        QTest::newRow("at limit down")
            << '1' << "600000" << '2' << '2' << 10.03 << qint64(100) << 12.25 << 10.03 << "";
        QTest::newRow("market type above")
            << '1' << "600000" << '1' << '1' << 12.26 << qint64(100) << 12.25 << 10.03 << "";
        QTest::newRow("limits not cached")
            << '1' << "600000" << '1' << '2' << 99.99 << qint64(100) << 0.0 << 0.0 << "";
        // One refusal, the lot's first, then the tick's.
        QTest::newRow("lot before tick")
            << '1' << "600000" << '1' << '2' << 11.155 << qint64(150) << 12.25 << 10.03 << lot100;
        QTest::newRow("tick before limits")
            << '1' << "600000" << '1' << '2' << 12.255 << qint64(100) << 12.25 << 10.03 << tickCent;
    }

    void exchangeRulesPerBoard() {
        QFETCH(char, market);
        QFETCH(QString, code);
        QFETCH(char, side);
        QFETCH(char, type);
        QFETCH(double, price);
        QFETCH(qint64, quantity);
        QFETCH(double, upper);
        QFETCH(double, lower);
        PretradeOrder order;
        order.market = market;
        order.code = code;
        order.side = side;
        order.orderType = type;
        order.price = price;
        order.quantity = quantity;
        QuoteFigures quote;
        quote.upperLimit = upper;
        quote.lowerLimit = lower;
        QTEST(exchangeRuleRefusal(order, quote), "refusal");
    }

    void fatFingerLimits_data() {
        QTest::addColumn<double>("price");
        QTest::addColumn<qint64>("quantity");
        QTest::addColumn<double>("last");
        QTest::addColumn<qint64>("maxQuantity");
        QTest::addColumn<double>("maxAmount");
        QTest::addColumn<double>("percent");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("question");
        QTest::newRow("inside every limit")
            << 11.0 << qint64(1000) << 11.0 << qint64(1000) << 11000.0 << 5.0 << ""
            << "";
        QTest::newRow("one share too many")
            << 11.0 << qint64(1001) << 11.0 << qint64(1000) << 0.0 << 0.0 << "委托数量1001超过单笔上限1000"
            << "";
        QTest::newRow("one cent too much") << 11.01 << qint64(1000) << 11.0 << qint64(0) << 11000.0 << 0.0
                                           << "委托金额11010.00超过单笔上限11000.00"
                                           << "";
        QTest::newRow("no price: valued at the last") << 0.0 << qint64(1000) << 12.0 << qint64(0) << 11000.0
                                                      << 5.0 << "委托金额12000.00超过单笔上限11000.00"
                                                      << "";
        QTest::newRow("limits off") << 11.0 << qint64(99999999) << 11.0 << qint64(0) << 0.0 << 0.0 << ""
                                    << "";
        QTest::newRow("5% above the last") << 10.5 << qint64(100) << 10.0 << qint64(0) << 0.0 << 5.0 << ""
                                           << "";
        QTest::newRow("above 5% of the last") << 10.51 << qint64(100) << 10.0 << qint64(0) << 0.0 << 5.0 << ""
                                              << "委托价格10.510偏离最新价10.000达5.10%,超过5%,是否继续?";
        QTest::newRow("below by 20%") << 8.0 << qint64(100) << 10.0 << qint64(0) << 0.0 << 5.0 << ""
                                      << "委托价格8.000偏离最新价10.000达20.00%,超过5%,是否继续?";
        QTest::newRow("no last price") << 8.0 << qint64(100) << 0.0 << qint64(0) << 0.0 << 5.0 << ""
                                       << "";
    }

    void fatFingerLimits() {
        QFETCH(double, price);
        QFETCH(qint64, quantity);
        QFETCH(double, last);
        QFETCH(qint64, maxQuantity);
        QFETCH(double, maxAmount);
        QFETCH(double, percent);
        PretradeOrder order;
        order.market = '1';
        order.code = "600000";
        order.price = price;
        order.quantity = quantity;
        QuoteFigures quote;
        quote.last = last;
        PretradeLimits limits;
        limits.maxQuantity = maxQuantity;
        limits.maxAmount = maxAmount;
        limits.deviationPercent = percent;
        QTEST(sizeLimitRefusal(order, quote, limits), "refusal");
        QTEST(priceDeviationQuestion(order, quote, limits), "question");
        // Subscriptions and redemptions are not orders of a price.
        order.side = '3';
        QCOMPARE(sizeLimitRefusal(order, quote, limits), QString());
        QCOMPARE(priceDeviationQuestion(order, quote, limits), QString());
    }

    void flowWindowCountsTheLastSecond_data() {
        QTest::addColumn<QList<qint64>>("sent");  // times of the orders sent, ms
        QTest::addColumn<qint64>("now");
        QTest::addColumn<int>("perSecond");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("room left") << QList<qint64>{0, 100} << qint64(200) << 3 << true;
        QTest::newRow("full") << QList<qint64>{0, 100, 200} << qint64(300) << 3 << false;
        QTest::newRow("one ms before the first leaves")
            << QList<qint64>{0, 100, 200} << qint64(999) << 3 << false;
        QTest::newRow("the first has left") << QList<qint64>{0, 100, 200} << qint64(1000) << 3 << true;
        QTest::newRow("all at once") << QList<qint64>{500, 500} << qint64(500) << 2 << false;
        QTest::newRow("no limit") << QList<qint64>{0, 1, 2, 3, 4, 5} << qint64(6) << 0 << true;
    }

    void flowWindowCountsTheLastSecond() {
        QFETCH(QList<qint64>, sent);
        QFETCH(qint64, now);
        QFETCH(int, perSecond);
        FlowWindow window;
        for (qint64 t : sent) window.note(t);
        QTEST(window.allows(now, perSecond), "allowed");
        // Asking again does not change the answer.
        QTEST(window.allows(now, perSecond), "allowed");
    }

    void cancelsPerCodeAndDay() {
        CancelCounter counter;
        const QDate day(2026, 12, 8);
        counter.note("600000", day);
        QCOMPARE(counter.refusal("600000", 2, day), QString());
        counter.note("600000", day);
        QCOMPARE(counter.refusal("600000", 2, day), QStringLiteral("600000今日撤单已达2次上限"));
        QCOMPARE(counter.refusal("600000", 0, day), QString());
        QCOMPARE(counter.refusal("000001", 2, day), QString());
        QCOMPARE(counter.refusal("600000", 2, day.addDays(1)), QString());
        QCOMPARE(counter.count("600000", day.addDays(1)), 0);
    }

    void canBuy_data() {
        QTest::addColumn<double>("funds");
        QTest::addColumn<double>("price");
        QTest::addColumn<BoardRule>("rule");
        QTest::addColumn<qint64>("quantity");
        QTest::newRow("main board, whole lots") << 100000.0 << 11.17 << rule('1', "600000") << qint64(8900);
        QTest::newRow("exactly ten lots") << 11170.0 << 11.17 << rule('1', "600000") << qint64(1000);
        QTest::newRow("a cent short of one lot") << 1116.99 << 11.17 << rule('2', "000001") << qint64(0);
        QTest::newRow("STAR, at least 200") << 29999.0 << 150.0 << rule('1', "688001") << qint64(0);
        QTest::newRow("STAR, exactly 200") << 30000.0 << 150.0 << rule('1', "688001") << qint64(200);
        QTest::newRow("STAR, then by one") << 100000.0 << 150.0 << rule('1', "688001") << qint64(666);
        QTest::newRow("bond, tens") << 10000.0 << 101.5 << rule('1', "113001") << qint64(90);
        QTest::newRow("unknown board, hundreds") << 10000.0 << 1.8 << rule('1', "204001") << qint64(5500);
        QTest::newRow("no price") << 10000.0 << 0.0 << rule('1', "600000") << qint64(0);
        QTest::newRow("no funds") << 0.0 << 11.0 << rule('1', "600000") << qint64(0);
        QTest::newRow("beyond 32 bits") << 1e12 << 1.0 << rule('1', "510050") << qint64(1000000000000);
    }

    void canBuy() {
        QFETCH(double, funds);
        QFETCH(double, price);
        QFETCH(BoardRule, rule);
        QTEST(maxBuyQuantity(funds, price, rule), "quantity");
    }

    void quickButtons_data() {
        QTest::addColumn<qint64>("available");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<bool>("sell");
        QTest::addColumn<BoardRule>("rule");
        QTest::addColumn<qint64>("quantity");
        QTest::newRow("sell all keeps the odd lot")
            << qint64(1050) << 1 << true << rule('1', "600000") << qint64(1050);
        QTest::newRow("sell half, whole lots")
            << qint64(1050) << 2 << true << rule('1', "600000") << qint64(500);
        QTest::newRow("sell a third of 100") << qint64(100) << 3 << true << rule('1', "600000") << qint64(0);
        QTest::newRow("buy all") << qint64(8900) << 1 << false << rule('1', "600000") << qint64(8900);
        QTest::newRow("buy a third") << qint64(8900) << 3 << false << rule('1', "600000") << qint64(2900);
        QTest::newRow("buy a quarter") << qint64(8900) << 4 << false << rule('2', "000001") << qint64(2200);
        QTest::newRow("STAR quarter") << qint64(1000) << 4 << true << rule('1', "688001") << qint64(250);
        QTest::newRow("STAR quarter under 200")
            << qint64(700) << 4 << false << rule('1', "688001") << qint64(0);
        QTest::newRow("nothing held") << qint64(0) << 1 << true << rule('1', "600000") << qint64(0);
    }

    void quickButtons() {
        QFETCH(qint64, available);
        QFETCH(int, divisor);
        QFETCH(bool, sell);
        QFETCH(BoardRule, rule);
        QTEST(quickQuantity(available, divisor, sell, rule), "quantity");
    }

    void keysFromSettings_data() {
        QTest::addColumn<KeyTexts>("configured");
        QTest::addColumn<QStringList>("expected");  // buy, sell, orders, positions, refresh, hideOrder
        QTest::addColumn<QStringList>("problems");  // parts every problem line must hold, in order
        using Map = KeyTexts;
        QTest::newRow("defaults") << Map{} << QStringList{"F1", "F2", "F3", "F4", "F5", "Esc"}
                                  << QStringList{};
        QTest::newRow("one moved") << Map{{"buy", "F9"}} << QStringList{"F9", "F2", "F3", "F4", "F5", "Esc"}
                                   << QStringList{};
        QTest::newRow("swapped") << Map{{"buy", "F2"}, {"sell", "F1"}}
                                 << QStringList{"F2", "F1", "F3", "F4", "F5", "Esc"} << QStringList{};
        QTest::newRow("onto another's default")
            << Map{{"refresh", "F1"}} << QStringList{"F1", "F2", "F3", "F4", "F5", "Esc"}
            << QStringList{"key F1 is bound to both buy and refresh"};
        QTest::newRow("both set alike") << Map{{"orders", "Ctrl+O"}, {"positions", "Ctrl+O"}}
                                        << QStringList{"F1", "F2", "F3", "F4", "F5", "Esc"}
                                        << QStringList{"key Ctrl+O is bound to both orders and positions"};
        QTest::newRow("falling back clashes again")
            << Map{{"buy", "F3"}, {"refresh", "F1"}} << QStringList{"F1", "F2", "F3", "F4", "F5", "Esc"}
            << QStringList{"key F3 is bound to both buy and orders",
                           "key F1 is bound to both buy and refresh"};
        QTest::newRow("unreadable") << Map{{"sell", "Shift+Nonsense"}}
                                    << QStringList{"F1", "F2", "F3", "F4", "F5", "Esc"}
                                    << QStringList{"key Shift+Nonsense of sell cannot be read"};
        QTest::newRow("a chord is not a key")
            << Map{{"hideOrder", "Ctrl+K, Ctrl+L"}} << QStringList{"F1", "F2", "F3", "F4", "F5", "Esc"}
            << QStringList{"of hideOrder cannot be read"};
    }

    void keysFromSettings() {
        QFETCH(KeyTexts, configured);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, problems);
        QStringList lines;
        const QMap<QString, QKeySequence> keys = KeyBindings::resolve(
            KeyBindings::workspaceActions(),
            [&configured](const QString& name) { return configured.value(name); }, &lines);
        QStringList shown;
        for (const char* name : {"buy", "sell", "orders", "positions", "refresh", "hideOrder"})
            shown << keys.value(name).toString(QKeySequence::PortableText);
        QCOMPARE(shown, expected);
        QCOMPARE(lines.size(), problems.size());
        for (int i = 0; i < problems.size(); ++i)
            QVERIFY2(lines.at(i).contains(problems.at(i)), qPrintable(lines.at(i)));
    }
};

QTEST_MAIN(TestPretradeChecks)
#include "test_pretrade_checks.moc"
