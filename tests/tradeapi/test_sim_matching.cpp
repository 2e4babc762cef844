// The counter's order handling without sockets: price types, fills against the
// book, what is held and given back.
#include <QTest>
#include <QTextCodec>
#include <algorithm>
#include <cstring>
#include <memory>

#include "sim_capture.h"

using namespace capture;

namespace {

char marketOf(const QByteArray& code) {
    return code.startsWith('6') || code.startsWith('5') ? '1' : '2';
}

void tender(sim::Counter& c, sim::Link& l, const char* code, char side, int qty, const char* offeror) {
    CMoruReqTenderOfferOrderField t;
    std::memset(&t, 0, sizeof t);
    std::memcpy(t.SecurityID, code, std::strlen(code));
    t.Side = side;
    t.OrderQty = qty;
    t.ExtFlag = 0xFF;
    std::memcpy(t.TenderOfferorCode, offeror, std::min(std::strlen(offeror), sizeof t.TenderOfferorCode));
    feed(c, l, moru_wire::Msg::ReqTenderOffer, &t, sizeof t);
}

void exercise(sim::Counter& c, sim::Link& l, const char* code, char side, double price, int qty) {
    CMoruReqWarrantExerciseOrderField w;
    std::memset(&w, 0, sizeof w);
    std::memcpy(w.SecurityID, code, std::strlen(code));
    w.Side = side;
    w.LimitPrice = price;
    w.OrderQty = qty;
    w.OrderType = '2';
    w.ExtFlag = 0xFF;
    feed(c, l, moru_wire::Msg::ReqWarrantExercise, &w, sizeof w);
}

QString gbk(const std::string& bytes) {
    return QTextCodec::codecForName("GBK")->toUnicode(bytes.data(), int(bytes.size()));
}

}  // namespace

class TestSimMatching : public QObject {
    Q_OBJECT

    std::unique_ptr<sim::Counter> owner;
    CaptureLink link;
    CaptureLink trade;

    sim::Counter& c() { return *owner; }
    // Orders go out on the login link here: the counter takes them on any link of the session.
    sim::Order lastOrder(char market) { return c().account("10880001")->markets[market].orders.back(); }

private slots:
    void init() {
        owner = std::make_unique<sim::Counter>();
        std::string err;
        QVERIFY2(c().loadFile(std::string(MORU_SOURCE_DIR) + "/sim/data/demo.json", &err), err.c_str());
        link = CaptureLink();
        trade = CaptureLink();
        c().attach(link);
    }

    void immediateOrCancelFillsTheBookAndGivesTheRestBack() {
        login(c(), link, "10880001", "123456", '1');
        sim::Security& s = *c().market().find("600000");
        uint64_t depth = bookDepth(s, true);
        double before = fund(c(), link).AvailableCapital;
        order(c(), link, "600000", '1', s.upper, int(depth + 1000), '6');
        QCOMPARE(link.lastError(moru_wire::Msg::RspInsertOrder), 0);
        sim::Order o = lastOrder('1');
        QCOMPARE(uint64_t(o.traded), depth);
        QCOMPARE(o.leaves, 0u);  // the rest is cancelled, not left waiting
        QCOMPARE(o.status, '5');
        QCOMPARE(bookDepth(s, true), uint64_t(0));
        auto f = fund(c(), link);
        QCOMPARE(double(f.FrozenCapital), 0.0);
        QVERIFY(qAbs(before - f.AvailableCapital - o.tradeAmount - f.Fee) < 0.01);
        auto& pos = c().account("10880001")->markets['1'].positions["600000"];
        QCOMPARE(pos.total, depth);
        QCOMPARE(pos.available, uint64_t(0));  // bought today, sellable tomorrow
    }

    void fillOrKillLeavesNothingWhenTheBookIsShort() {
        login(c(), link, "10880001", "123456", '2');
        sim::Security& s = *c().market().find("000001");
        uint64_t depth = bookDepth(s, true);
        double before = fund(c(), link).AvailableCapital;
        order(c(), link, "000001", '1', 0, int(depth + 100), '5');
        sim::Order o = lastOrder('2');
        QCOMPARE(o.traded, 0u);
        QCOMPARE(o.status, '6');
        QCOMPARE(bookDepth(s, true), depth);
        QCOMPARE(double(fund(c(), link).AvailableCapital), before);
        // Within the book it fills whole.
        order(c(), link, "000001", '1', 0, 100, '5');
        QCOMPARE(lastOrder('2').status, '8');
    }

    void counterpartyBestTakesOneLevelAndRestsThere() {
        login(c(), link, "10880001", "123456", '1');
        sim::Security& s = *c().market().find("600000");
        double ask1 = s.book.ask[0];
        uint64_t vol1 = s.book.askVol[0];
        order(c(), link, "600000", '1', s.upper, int(vol1 + 200), '1');
        sim::Order o = lastOrder('1');
        QCOMPARE(uint64_t(o.traded), vol1);
        QCOMPARE(o.leaves, 200u);
        QCOMPARE(o.status, '7');
        QCOMPARE(o.price, ask1);
        QVERIFY(s.book.askVol[1] > 0);  // the second level is untouched
    }

    void restingBuyFillsWhenTheBookComesToIt() {
        login(c(), link, "10880001", "123456", '1', &trade);
        QCOMPARE(trade.lastError(moru_wire::Msg::RspInitTrader), 0);
        sim::Security& s = *c().market().find("600000");
        double bid = s.book.bid[2];
        order(c(), link, "600000", '1', bid, 300, '2');
        QCOMPARE(lastOrder('1').status, '2');
        c().matchResting();
        QCOMPARE(lastOrder('1').status, '2');
        s.book.ask[0] = bid;
        s.book.askVol[0] = 1000;
        c().matchResting();
        sim::Order o = lastOrder('1');
        QCOMPARE(o.status, '8');
        QCOMPARE(o.traded, 300u);
        // Accepted, then filled: two order returns on the trade link.
        auto rtn = trade.records<CMoruRtnOrderField>(moru_wire::Msg::RtnOrder);
        QCOMPARE(rtn.size(), size_t(2));
        QCOMPARE(rtn[0].OrderStatus, '2');
        QCOMPARE(rtn[1].OrderStatus, '8');
        QCOMPARE(double(fund(c(), link).FrozenCapital), 0.0);
    }

    // Another account's limit order that reaches a resting order fills against it first, at the
    // resting price, and each account hears of its own fill.
    void restingOrdersMeetOtherAccounts() {
        login(c(), link, "10880001", "123456", '1', &trade);
        sim::Security& s = *c().market().find("600135");
        setBook(s);
        const double price = s.book.bid[2];
        order(c(), link, "600135", '1', price, 300, '2');
        QCOMPARE(lastOrder('1').status, '2');

        CaptureLink link2;
        CaptureLink trade2;
        c().attach(link2);
        login(c(), link2, "10880002", "654321", '1', &trade2);
        order(c(), link2, "600135", '2', price, 200, '2');
        QCOMPARE(link2.lastError(moru_wire::Msg::RspInsertOrder), 0);
        const sim::Order sold = c().account("10880002")->markets['1'].orders.back();
        QCOMPARE(sold.status, '8');
        QCOMPARE(sold.tradeAmount, price * 200);
        const sim::Order bought = lastOrder('1');
        QCOMPARE(bought.status, '7');
        QCOMPARE(bought.traded, 200u);
        const auto mine = trade.records<CMoruRtnOrderField>(moru_wire::Msg::RtnOrder);
        QCOMPARE(mine.back().OrderStatus, '7');
        QCOMPARE(int(val(mine.back().TradeQty)), 200);
        QCOMPARE(trade2.records<CMoruRtnOrderField>(moru_wire::Msg::RtnOrder).back().OrderStatus, '8');
        QCOMPARE(c().account("10880001")->markets['1'].positions["600135"].total, uint64_t(200));
    }

    void etfCreationAndRedemptionOnlyInWholeUnits() {
        login(c(), link, "10880001", "123456", '1');
        order(c(), link, "510050", '3', 0, 15000, '2');
        QCOMPARE(link.lastError(moru_wire::Msg::RspInsertOrder), 2004);
        order(c(), link, "510050", '3', 0, 20000, '2');
        QCOMPARE(link.lastError(moru_wire::Msg::RspInsertOrder), 0);
        order(c(), link, "510050", '4', 0, 70000, '2');  // holds 50,000 + 20,000
        QCOMPARE(link.lastError(moru_wire::Msg::RspInsertOrder), 0);
        order(c(), link, "510050", '4', 0, 10000, '2');
        QCOMPARE(link.lastError(moru_wire::Msg::RspInsertOrder), 2006);
    }

    // Prices are in ticks from the previous close: the asks sit at +1..+5, the bids at -1..-5.
    void marketableOrdersWalkTheOppositeLevels_data() {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<char>("side");
        QTest::addColumn<char>("type");
        QTest::addColumn<int>("ticks");  // the order's price; kNoRest = price 0
        QTest::addColumn<int>("qty");
        QTest::addColumn<QVector<int>>("fills");  // taken at each opposite level, best first
        QTest::addColumn<char>("status");
        QTest::addColumn<int>("leaves");
        QTest::addColumn<int>("restTicks");  // where the rest waits; kNoRest = nothing rests
        using V = QVector<int>;
        const int m = kNoRest;
        QTest::newRow("limit buy through two asks")
            << QByteArray("600000") << '1' << '2' << 2 << 1000 << V{300, 500} << '7' << 200 << 2;
        QTest::newRow("limit sell through two bids")
            << QByteArray("600030") << '2' << '2' << -2 << 1000 << V{300, 500} << '7' << 200 << -2;
        QTest::newRow("limit sell filled inside the book")
            << QByteArray("600030") << '2' << '2' << -5 << 1000 << V{300, 500, 200} << '8' << 0 << m;
        QTest::newRow("limit buy below the asks rests")
            << QByteArray("600000") << '1' << '2' << 0 << 500 << V{} << '2' << 500 << 0;
        QTest::newRow("limit sell above the bids rests")
            << QByteArray("600030") << '2' << '2' << 0 << 500 << V{} << '2' << 500 << 0;
        QTest::newRow("best five buy, rest cancelled")
            << QByteArray("600000") << '1' << '6' << m << 2000 << V{300, 500, 400, 200, 100} << '5' << 0 << m;
        QTest::newRow("best five sell, rest cancelled")
            << QByteArray("600030") << '2' << '6' << m << 2000 << V{300, 500, 400, 200, 100} << '5' << 0 << m;
        QTest::newRow("best five buy, rest at the last fill")
            << QByteArray("600000") << '1' << '7' << m << 2000 << V{300, 500, 400, 200, 100} << '7' << 500
            << 5;
        QTest::newRow("best five sell, rest at the last fill")
            << QByteArray("600030") << '2' << '7' << m << 2000 << V{300, 500, 400, 200, 100} << '7' << 500
            << -5;
        QTest::newRow("counterparty best sell")
            << QByteArray("600030") << '2' << '1' << m << 500 << V{300} << '7' << 200 << -1;
        QTest::newRow("counterparty best buy")
            << QByteArray("600000") << '1' << '1' << m << 200 << V{200} << '8' << 0 << m;
        QTest::newRow("own best sell joins the asks")
            << QByteArray("600030") << '2' << '3' << m << 500 << V{} << '2' << 500 << 1;
        QTest::newRow("own best buy joins the bids")
            << QByteArray("600000") << '1' << '3' << m << 500 << V{} << '2' << 500 << -1;
        QTest::newRow("market sell, rest cancelled (Shenzhen)")
            << QByteArray("000229") << '2' << '4' << m << 2000 << V{300, 500, 400, 200, 100} << '5' << 0 << m;
        QTest::newRow("market fill-or-kill buy inside the book")
            << QByteArray("000001") << '1' << '5' << m << 1000 << V{300, 500, 200} << '8' << 0 << m;
        QTest::newRow("market fill-or-kill sell beyond the book")
            << QByteArray("000229") << '2' << '5' << m << 1600 << V{} << '6' << 0 << m;
        QTest::newRow("limit fill-or-kill sell inside its limit")
            << QByteArray("000229") << '2' << '8' << -2 << 800 << V{300, 500} << '8' << 0 << m;
        QTest::newRow("limit fill-or-kill buy beyond its limit")
            << QByteArray("000001") << '1' << '8' << 2 << 1000 << V{} << '6' << 0 << m;
        QTest::newRow("limit buy through three asks (ChiNext)")
            << QByteArray("300015") << '1' << '2' << 3 << 1200 << V{300, 500, 400} << '8' << 0 << m;
    }
    void marketableOrdersWalkTheOppositeLevels() {
        QFETCH(QByteArray, code);
        QFETCH(char, side);
        QFETCH(char, type);
        QFETCH(int, ticks);
        QFETCH(int, qty);
        QFETCH(QVector<int>, fills);
        QFETCH(char, status);
        QFETCH(int, leaves);
        QFETCH(int, restTicks);
        const char market = marketOf(code);
        const bool buy = side == '1';
        login(c(), link, "10880001", "123456", market, &trade);
        sim::Security& s = *c().market().find(code.toStdString());
        setBook(s);
        sim::FundAccount& fa = c().account("10880001")->markets[market];
        const sim::Position posBefore = fa.positions[code.toStdString()];
        const size_t tradesBefore = fa.trades.size();
        const auto before = fund(c(), link);

        order(c(), link, code.constData(), side, ticks == kNoRest ? 0 : ticksFrom(s, ticks), qty, type);
        QCOMPARE(link.lastError(moru_wire::Msg::RspInsertOrder), 0);
        const sim::Order o = lastOrder(market);
        QCOMPARE(o.status, status);
        QCOMPARE(int(o.leaves), leaves);
        int traded = 0;
        double amount = 0;
        QCOMPARE(fa.trades.size() - tradesBefore, size_t(fills.size()));
        for (int k = 0; k < fills.size(); ++k) {
            // Each fill is at a level of the other side, at that level's own price.
            const sim::Trade& t = fa.trades[tradesBefore + size_t(k)];
            const double levelPrice = ticksFrom(s, buy ? k + 1 : -(k + 1));
            QCOMPARE(t.price, levelPrice);
            QCOMPARE(int(t.qty), fills[k]);
            QCOMPARE(t.side, side);
            QCOMPARE(t.orderSysId, o.sysId);
            traded += fills[k];
            amount += levelPrice * fills[k];
        }
        QCOMPARE(int(o.traded), traded);
        QVERIFY(qAbs(o.tradeAmount - amount) < 1e-6);
        for (int k = 0; k < 5; ++k) {
            const uint64_t left = kLevelVolume[k] - uint64_t(k < fills.size() ? fills[k] : 0);
            QCOMPARE(buy ? s.book.askVol[k] : s.book.bidVol[k], left);
            QCOMPARE(buy ? s.book.bidVol[k] : s.book.askVol[k], kLevelVolume[k]);  // own side untouched
        }
        if (restTicks != kNoRest) QCOMPARE(o.price, ticksFrom(s, restTicks));

        // An order return on the trade link for every change: accepted, each fill, the end.
        auto rtn = trade.records<CMoruRtnOrderField>(moru_wire::Msg::RtnOrder);
        QVERIFY(rtn.size() >= size_t(1 + fills.size()) && rtn.size() <= size_t(2 + fills.size()));
        QCOMPARE(rtn.front().OrderStatus, '2');
        QCOMPARE(int(val(rtn.front().TradeQty)), 0);
        int cumulative = 0;
        for (int k = 0; k < fills.size(); ++k) {
            cumulative += fills[k];
            QCOMPARE(int(val(rtn[size_t(k) + 1].TradeQty)), cumulative);
            QCOMPARE(int(val(rtn[size_t(k) + 1].LeavesQty)), qty - cumulative);
        }
        QCOMPARE(rtn.back().OrderStatus, status);
        QCOMPARE(int(val(rtn.back().TradeQty)), traded);
        QCOMPARE(int(val(rtn.back().LeavesQty)), leaves);
        for (const auto& r : rtn) QCOMPARE(val(r.OrderSysID), o.sysId);

        // Money and shares: nothing appears or vanishes.
        const auto after = fund(c(), link);
        const double fee = after.Fee - before.Fee;
        QVERIFY(fee >= 0 && fee <= amount * 0.001 + 0.01);
        const sim::Position& pos = fa.positions[code.toStdString()];
        if (buy) {
            QVERIFY(qAbs(before.AvailableCapital - after.AvailableCapital - after.FrozenCapital - amount -
                         fee) < 0.01);
            QCOMPARE(after.FrozenCapital > 0, leaves > 0);
            QVERIFY(after.FrozenCapital >= leaves * o.price - 1e-6);
            QCOMPARE(pos.total, posBefore.total + uint64_t(traded));
            QCOMPARE(pos.available, posBefore.available);
        } else {
            QVERIFY(qAbs(after.AvailableCapital - before.AvailableCapital - amount + fee) < 0.01);
            QCOMPARE(double(after.FrozenCapital), 0.0);
            QVERIFY(qAbs(after.TodaySellAmount - before.TodaySellAmount - amount) < 1e-6);
            QCOMPARE(pos.total, posBefore.total - uint64_t(traded));
            QCOMPARE(pos.frozen, uint64_t(leaves));
            QCOMPARE(pos.available, posBefore.available - uint64_t(traded + leaves));
        }
    }

    void pricesOutsideTheDayLimitsAreRefused_data() {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<char>("side");
        QTest::addColumn<char>("type");
        QTest::addColumn<QByteArray>("from");  // "lower", "upper" or "close"
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("error");
        QTest::newRow("buy a tick below the lower limit")
            << QByteArray("600000") << '1' << '2' << QByteArray("lower") << -1 << 2002;
        QTest::newRow("buy at the lower limit")
            << QByteArray("600000") << '1' << '2' << QByteArray("lower") << 0 << 0;
        QTest::newRow("buy at the upper limit")
            << QByteArray("600000") << '1' << '2' << QByteArray("upper") << 0 << 0;
        QTest::newRow("buy a tick above the upper limit")
            << QByteArray("600000") << '1' << '2' << QByteArray("upper") << 1 << 2002;
        QTest::newRow("sell a tick below the lower limit")
            << QByteArray("600030") << '2' << '2' << QByteArray("lower") << -1 << 2002;
        QTest::newRow("sell at the lower limit")
            << QByteArray("600030") << '2' << '2' << QByteArray("lower") << 0 << 0;
        QTest::newRow("sell a tick above the upper limit")
            << QByteArray("600030") << '2' << '2' << QByteArray("upper") << 1 << 2002;
        QTest::newRow("limit buy at price zero")
            << QByteArray("600000") << '1' << '2' << QByteArray("close") << -1114 << 2002;
        QTest::newRow("ChiNext buy 15% up, inside its band")
            << QByteArray("300015") << '1' << '2' << QByteArray("close") << 876 << 0;
        QTest::newRow("ChiNext buy a tick above its band")
            << QByteArray("300015") << '1' << '2' << QByteArray("upper") << 1 << 2002;
        QTest::newRow("limit fill-or-kill sell below the lower limit")
            << QByteArray("000229") << '2' << '8' << QByteArray("lower") << -1 << 2002;
        QTest::newRow("limit fill-or-kill buy above the upper limit")
            << QByteArray("000001") << '1' << '8' << QByteArray("upper") << 1 << 2002;
    }
    void pricesOutsideTheDayLimitsAreRefused() {
        QFETCH(QByteArray, code);
        QFETCH(char, side);
        QFETCH(char, type);
        QFETCH(QByteArray, from);
        QFETCH(int, ticks);
        QFETCH(int, error);
        const char market = marketOf(code);
        login(c(), link, "10880001", "123456", market, &trade);
        sim::Security& s = *c().market().find(code.toStdString());
        const double base = from == "lower" ? s.lower : from == "upper" ? s.upper : s.preClose;
        const double price = sim::Market::roundTo(base + s.tick * ticks, s.tick);
        const auto before = fund(c(), link);
        const size_t tradesBefore = c().account("10880001")->markets[market].trades.size();
        order(c(), link, code.constData(), side, price, 100, type);
        QCOMPARE(link.lastError(moru_wire::Msg::RspInsertOrder), error);
        const sim::Order o = lastOrder(market);
        if (error) {
            QCOMPARE(o.status, '9');
            QCOMPARE(int(o.errorCode), error);
            // The refusal is a return of its own.
            const auto rtn = trade.records<CMoruRtnOrderField>(moru_wire::Msg::RtnOrder);
            QCOMPARE(rtn.size(), size_t(1));
            QCOMPARE(rtn[0].OrderStatus, '9');
            const auto after = fund(c(), link);
            QCOMPARE(double(after.AvailableCapital), double(before.AvailableCapital));
            QCOMPARE(double(after.FrozenCapital), double(before.FrozenCapital));
            QCOMPARE(c().account("10880001")->markets[market].trades.size(), tradesBefore);
        } else {
            QVERIFY(o.status != '9');
            const auto rtn = trade.records<CMoruRtnOrderField>(moru_wire::Msg::RtnOrder);
            QVERIFY(!rtn.empty());
            QCOMPARE(rtn.front().OrderStatus, '2');
        }
    }

    // The price types each exchange takes; the rest are refused with their number.
    void priceTypesPerMarket_data() {
        QTest::addColumn<char>("market");
        QTest::addColumn<char>("type");
        QTest::addColumn<int>("error");
        for (char type = '1'; type <= '8'; ++type) {
            const bool shanghai = std::strchr("12367", type) != nullptr;
            const bool shenzhen = std::strchr("1234568", type) != nullptr;
            QTest::addRow("Shanghai, type %c", type) << '1' << type << (shanghai ? 0 : 2007);
            QTest::addRow("Shenzhen, type %c", type) << '2' << type << (shenzhen ? 0 : 2007);
        }
    }
    void priceTypesPerMarket() {
        QFETCH(char, market);
        QFETCH(char, type);
        QFETCH(int, error);
        login(c(), link, "10880001", "123456", market, &trade);
        const char* code = market == '1' ? "600000" : "000001";
        sim::Security& s = *c().market().find(code);
        setBook(s);
        order(c(), link, code, '1', ticksFrom(s, 1), 100, type);
        QCOMPARE(link.lastError(moru_wire::Msg::RspInsertOrder), error);
        const sim::Order o = lastOrder(market);
        QCOMPARE(o.orderType, type);
        const auto returns = trade.records<CMoruRtnOrderField>(moru_wire::Msg::RtnOrder);
        if (error) {
            QCOMPARE(o.status, '9');
            QCOMPARE(returns.size(), size_t(1));
            QCOMPARE(returns[0].OrderStatus, '9');
            // No text in the answer: the library's table, handed over at login, has it.
            QCOMPARE(QByteArray(link.frames.back().info.ErrorMsg), QByteArray());
            QCOMPARE(gbk(sim::fullErrorText(error)), QString("该市场不支持此报单类型"));
        } else {
            QVERIFY(!returns.empty());
            QCOMPARE(returns[0].OrderType, type);
        }
    }

    void tenderOffers_data() {
        QTest::addColumn<char>("market");
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<char>("side");
        QTest::addColumn<int>("qty");
        QTest::addColumn<QByteArray>("offeror");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("tendered");  // afterwards, of the 10,000 held
        QTest::newRow("acceptance") << '1' << QByteArray("600999") << '7' << 1000 << QByteArray("706001") << 0
                                    << 1000;
        QTest::newRow("all that is held")
            << '1' << QByteArray("600999") << '7' << 10000 << QByteArray("706001") << 0 << 10000;
        QTest::newRow("another offeror")
            << '1' << QByteArray("600999") << '7' << 1000 << QByteArray("706002") << 2011 << 0;
        QTest::newRow("offeror code cut short")
            << '1' << QByteArray("600999") << '7' << 1000 << QByteArray("7060") << 2011 << 0;
        QTest::newRow("more than held")
            << '1' << QByteArray("600999") << '7' << 10100 << QByteArray("706001") << 2006 << 0;
        QTest::newRow("withdrawal of nothing tendered")
            << '1' << QByteArray("600999") << '8' << 100 << QByteArray("706001") << 2011 << 0;
        QTest::newRow("quantity zero")
            << '1' << QByteArray("600999") << '7' << 0 << QByteArray("706001") << 2004 << 0;
        QTest::newRow("a buy side") << '1' << QByteArray("600999") << '1' << 100 << QByteArray("706001")
                                    << 2010 << 0;
        QTest::newRow("a stock under no offer")
            << '1' << QByteArray("600030") << '7' << 100 << QByteArray("706001") << 2011 << 0;
        QTest::newRow("unknown code")
            << '1' << QByteArray("699999") << '7' << 100 << QByteArray("706001") << 2001 << 0;
        QTest::newRow("a Shenzhen security under offer")
            << '2' << QByteArray("000229") << '7' << 100 << QByteArray("706009") << 2011 << 0;
    }
    void tenderOffers() {
        QFETCH(char, market);
        QFETCH(QByteArray, code);
        QFETCH(char, side);
        QFETCH(int, qty);
        QFETCH(QByteArray, offeror);
        QFETCH(int, error);
        QFETCH(int, tendered);
        // Shenzhen has no tender offers, whatever its data says.
        c().market().find("000229")->offerorCode = "706009";
        login(c(), link, "10880001", "123456", market, &trade);
        sim::FundAccount& fa = c().account("10880001")->markets[market];
        const size_t ordersBefore = fa.orders.size();
        const sim::Position before = fa.positions[code.toStdString()];
        tender(c(), link, code.constData(), side, qty, offeror.constData());
        QCOMPARE(link.lastError(moru_wire::Msg::RspTenderOffer), error);
        const auto rsp = link.records<CMoruRspTenderOfferOrderField>(moru_wire::Msg::RspTenderOffer);
        QCOMPARE(rsp.size(), size_t(1));
        QCOMPARE(QByteArray(rsp[0].SecurityID, int(strnlen(rsp[0].SecurityID, 8))), code);
        QVERIFY(val(rsp[0].OrderSysID) != 0);
        const sim::Position& pos = fa.positions[code.toStdString()];
        QCOMPARE(int(pos.tender), tendered);
        QCOMPARE(pos.available, before.available - uint64_t(tendered));
        const auto returns = trade.records<CMoruRtnOrderField>(moru_wire::Msg::RtnOrder);
        QCOMPARE(fa.orders.size() - ordersBefore, size_t(error ? 0 : 1));
        QCOMPARE(returns.size(), size_t(error ? 0 : 1));
        if (!error) {
            QCOMPARE(returns[0].OrderStatus, '2');
            QCOMPARE(returns[0].Side, side);
            QCOMPARE(fa.orders.back().offeror, offeror.toStdString());
        }
    }

    void tenderWithdrawalGivesSharesBack() {
        login(c(), link, "10880001", "123456", '1', &trade);
        tender(c(), link, "600999", '7', 1000, "706001");
        tender(c(), link, "600999", '8', 400, "706001");
        tender(c(), link, "600999", '8', 700, "706001");  // only 600 left tendered
        const auto rsp = link.records<CMoruRspTenderOfferOrderField>(moru_wire::Msg::RspTenderOffer);
        QCOMPARE(rsp.size(), size_t(3));
        std::vector<int> errors;
        for (const auto& f : link.frames)
            if (f.h.type == uint16_t(moru_wire::Msg::RspTenderOffer)) errors.push_back(int(f.info.ErrorID));
        QCOMPARE(errors, (std::vector<int>{0, 0, 2011}));
        const sim::Position& pos = c().account("10880001")->markets['1'].positions["600999"];
        QCOMPARE(pos.tender, uint64_t(600));
        QCOMPARE(pos.available, uint64_t(9400));
        QCOMPARE(pos.total, uint64_t(10000));
    }

    void warrantExercises_data() {
        QTest::addColumn<QByteArray>("account");
        QTest::addColumn<char>("market");
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<char>("side");
        QTest::addColumn<double>("price");
        QTest::addColumn<int>("qty");
        QTest::addColumn<double>("cash");  // available before; < 0 = as loaded
        QTest::addColumn<int>("error");
        const QByteArray a1("10880001"), a2("10880002");
        QTest::newRow("exercise") << a1 << '2' << QByteArray("031001") << '1' << 5.6 << 1000 << -1.0 << 0;
        QTest::newRow("every warrant held")
            << a1 << '2' << QByteArray("031001") << '1' << 5.6 << 10000 << -1.0 << 0;
        QTest::newRow("more than held")
            << a1 << '2' << QByteArray("031001") << '1' << 5.6 << 10100 << -1.0 << 2006;
        QTest::newRow("no warrants held")
            << a2 << '2' << QByteArray("031001") << '1' << 5.6 << 100 << -1.0 << 2006;
        QTest::newRow("not enough cash to pay")
            << a1 << '2' << QByteArray("031001") << '1' << 5.6 << 1000 << 5599.0 << 2005;
        QTest::newRow("price zero") << a1 << '2' << QByteArray("031001") << '1' << 0.0 << 1000 << -1.0
                                    << 2002;
        QTest::newRow("quantity zero")
            << a1 << '2' << QByteArray("031001") << '1' << 5.6 << 0 << -1.0 << 2004;
        QTest::newRow("a sell side") << a1 << '2' << QByteArray("031001") << '2' << 5.6 << 1000 << -1.0
                                     << 2010;
        QTest::newRow("a Shenzhen stock")
            << a1 << '2' << QByteArray("000001") << '1' << 5.6 << 100 << -1.0 << 2012;
        QTest::newRow("a Shanghai login")
            << a1 << '1' << QByteArray("600000") << '1' << 5.6 << 100 << -1.0 << 2012;
        QTest::newRow("the warrant from Shanghai")
            << a1 << '1' << QByteArray("031001") << '1' << 5.6 << 100 << -1.0 << 2001;
    }
    void warrantExercises() {
        QFETCH(QByteArray, account);
        QFETCH(char, market);
        QFETCH(QByteArray, code);
        QFETCH(char, side);
        QFETCH(double, price);
        QFETCH(int, qty);
        QFETCH(double, cash);
        QFETCH(int, error);
        login(c(), link, account.constData(), account == "10880001" ? "123456" : "654321", market, &trade);
        sim::FundAccount& fa = c().account(account.toStdString())->markets[market];
        if (cash >= 0) fa.available = cash;
        const double availableBefore = fa.available;
        const sim::Position before = fa.positions[code.toStdString()];
        exercise(c(), link, code.constData(), side, price, qty);
        QCOMPARE(link.lastError(moru_wire::Msg::RspWarrantExercise), error);
        const sim::Position& pos = fa.positions[code.toStdString()];
        const auto returns = trade.records<CMoruRtnOrderField>(moru_wire::Msg::RtnOrder);
        if (error) {
            QCOMPARE(fa.available, availableBefore);
            QCOMPARE(pos.available, before.available);
            QCOMPARE(pos.frozen, before.frozen);
            QVERIFY(returns.empty());
        } else {
            // Settled after the close: the warrants and the exercise money are held till then.
            QCOMPARE(fa.available, availableBefore - 5.6 * qty);
            QCOMPARE(fa.frozen, 5.6 * qty);
            QCOMPARE(pos.frozen, uint64_t(qty));
            QCOMPARE(pos.available, before.available - uint64_t(qty));
            QCOMPARE(returns.size(), size_t(1));
            QCOMPARE(returns[0].OrderStatus, '2');
        }
    }

    void aRequestBeforeLoginDropsTheLink() {
        CMoruReqQryStockClientAccountField q;
        std::memset(&q, 0, sizeof q);
        feed(c(), link, moru_wire::Msg::ReqQryFund, &q, sizeof q);
        QVERIFY(!link.droppedWhy.empty());
        QVERIFY(link.frames.empty());
    }
};

QTEST_GUILESS_MAIN(TestSimMatching)
#include "test_sim_matching.moc"
