// The counter's order handling without sockets: price types, fills against the
// book, what is held and given back.
#include <QTest>
#include <cstring>

#include "counter.h"
#include "moru_api_types.h"

namespace {

struct Frame {
    moru_wire::Header h;
    CMoruRspInfo info;
    std::vector<uint8_t> rec;
};

struct CaptureLink : sim::Link {
    std::vector<Frame> frames;
    std::string droppedWhy;
    void send(const std::vector<uint8_t>& bytes) override {
        size_t off = 0;
        moru_wire::Header h;
        while (moru_wire::decodeHeader(bytes.data() + off, bytes.size() - off, h, nullptr) ==
               moru_wire::Parse::Ok) {
            Frame f;
            f.h = h;
            std::memset(&f.info, 0, sizeof f.info);
            const uint8_t* body = bytes.data() + off + moru_wire::kHeaderSize;
            if (h.bodyLen >= sizeof f.info) {
                std::memcpy(&f.info, body, sizeof f.info);
                f.rec.assign(body + sizeof f.info, body + h.bodyLen);
            }
            frames.push_back(std::move(f));
            off += moru_wire::kHeaderSize + h.bodyLen;
        }
    }
    void drop(const std::string& why) override { droppedWhy = why; }

    template <typename T>
    std::vector<T> records(moru_wire::Msg type) const {
        std::vector<T> out;
        for (const auto& f : frames)
            if (f.h.type == uint16_t(type) && f.rec.size() == sizeof(T)) {
                T t;
                std::memcpy(&t, f.rec.data(), sizeof t);
                out.push_back(t);
            }
        return out;
    }
    int lastError(moru_wire::Msg type) const {
        for (auto it = frames.rbegin(); it != frames.rend(); ++it)
            if (it->h.type == uint16_t(type)) return it->info.ErrorID;
        return -1;
    }
};

void feed(sim::Counter& c, sim::Link& l, moru_wire::Msg type, const void* body, size_t len) {
    std::vector<uint8_t> f;
    moru_wire::appendFrame(f, type, 1, 0, body, len);
    c.onData(l, f.data(), f.size());
}

// Logs in on `l` and, when given, opens the trade link on which order returns arrive.
void login(sim::Counter& c, CaptureLink& l, const char* account, const char* password, char market,
           CaptureLink* trade = nullptr) {
    using B = moru_wire::LoginBody;
    std::vector<uint8_t> body(B::kSize, 0);
    moru_wire::putText(body.data() + B::kAccount, 16, account);
    moru_wire::putText(body.data() + B::kPassword, 32, password);
    int32_t node = 6;
    std::memcpy(body.data() + B::kNode, &node, 4);
    body[B::kMarket] = uint8_t(market);
    feed(c, l, moru_wire::Msg::ReqLoginManager, body.data(), body.size());
    if (!trade || l.frames.empty()) return;
    const auto& rsp = l.frames.back().rec;
    std::memcpy(body.data() + B::kToken, rsp.data() + moru_wire::LoginRspBody::kToken, 24);
    c.attach(*trade);
    feed(c, *trade, moru_wire::Msg::ReqInitTrader, body.data(), body.size());
}

void order(sim::Counter& c, sim::Link& l, const char* code, char side, double price, int qty, char type) {
    CMoruReqOrderInsertField o;
    std::memset(&o, 0, sizeof o);
    std::memcpy(o.SecurityID, code, std::strlen(code));
    o.Side = side;
    o.LimitPrice = price;
    o.OrderQty = qty;
    o.OrderType = type;
    feed(c, l, moru_wire::Msg::ReqInsertOrder, &o, sizeof o);
}

CMoruRspQryStockClientAccountField fund(sim::Counter& c, CaptureLink& l) {
    CMoruReqQryStockClientAccountField q;
    std::memset(&q, 0, sizeof q);
    feed(c, l, moru_wire::Msg::ReqQryFund, &q, sizeof q);
    return l.records<CMoruRspQryStockClientAccountField>(moru_wire::Msg::RspQryFund).back();
}

uint64_t bookDepth(const sim::Security& s, bool asks) {
    uint64_t v = 0;
    for (int k = 0; k < 5; ++k) v += asks ? s.book.askVol[k] : s.book.bidVol[k];
    return v;
}

}  // namespace

class TestSimMatching : public QObject {
    Q_OBJECT

    sim::Counter counter;
    CaptureLink link;
    CaptureLink trade;

    // Orders go out on the login link here: the counter takes them on any link of the session.
    sim::Order lastOrder(char market) { return counter.account("10880001")->markets[market].orders.back(); }

private slots:
    void init() {
        counter = sim::Counter();
        std::string err;
        QVERIFY2(counter.loadFile(std::string(MORU_SOURCE_DIR) + "/sim/data/demo.json", &err), err.c_str());
        link = CaptureLink();
        trade = CaptureLink();
        counter.attach(link);
    }

    void immediateOrCancelFillsTheBookAndGivesTheRestBack() {
        login(counter, link, "10880001", "123456", '1');
        sim::Security& s = *counter.market().find("600000");
        uint64_t depth = bookDepth(s, true);
        double before = fund(counter, link).AvailableCapital;
        order(counter, link, "600000", '1', s.upper, int(depth + 1000), '6');
        QCOMPARE(link.lastError(moru_wire::Msg::RspInsertOrder), 0);
        sim::Order o = lastOrder('1');
        QCOMPARE(uint64_t(o.traded), depth);
        QCOMPARE(o.leaves, 0u);  // the rest is cancelled, not left waiting
        QCOMPARE(o.status, '5');
        QCOMPARE(bookDepth(s, true), uint64_t(0));
        auto f = fund(counter, link);
        QCOMPARE(double(f.FrozenCapital), 0.0);
        QVERIFY(qAbs(before - f.AvailableCapital - o.tradeAmount - f.Fee) < 0.01);
        auto& pos = counter.account("10880001")->markets['1'].positions["600000"];
        QCOMPARE(pos.total, depth);
        QCOMPARE(pos.available, uint64_t(0));  // bought today, sellable tomorrow
    }

    void fillOrKillLeavesNothingWhenTheBookIsShort() {
        login(counter, link, "10880001", "123456", '2');
        sim::Security& s = *counter.market().find("000001");
        uint64_t depth = bookDepth(s, true);
        double before = fund(counter, link).AvailableCapital;
        order(counter, link, "000001", '1', 0, int(depth + 100), '5');
        sim::Order o = lastOrder('2');
        QCOMPARE(o.traded, 0u);
        QCOMPARE(o.status, '6');
        QCOMPARE(bookDepth(s, true), depth);
        QCOMPARE(double(fund(counter, link).AvailableCapital), before);
        // Within the book it fills whole.
        order(counter, link, "000001", '1', 0, 100, '5');
        QCOMPARE(lastOrder('2').status, '8');
    }

    void counterpartyBestTakesOneLevelAndRestsThere() {
        login(counter, link, "10880001", "123456", '1');
        sim::Security& s = *counter.market().find("600000");
        double ask1 = s.book.ask[0];
        uint64_t vol1 = s.book.askVol[0];
        order(counter, link, "600000", '1', s.upper, int(vol1 + 200), '1');
        sim::Order o = lastOrder('1');
        QCOMPARE(uint64_t(o.traded), vol1);
        QCOMPARE(o.leaves, 200u);
        QCOMPARE(o.status, '7');
        QCOMPARE(o.price, ask1);
        QVERIFY(s.book.askVol[1] > 0);  // the second level is untouched
    }

    void restingBuyFillsWhenTheBookComesToIt() {
        login(counter, link, "10880001", "123456", '1', &trade);
        QCOMPARE(trade.lastError(moru_wire::Msg::RspInitTrader), 0);
        sim::Security& s = *counter.market().find("600000");
        double bid = s.book.bid[2];
        order(counter, link, "600000", '1', bid, 300, '2');
        QCOMPARE(lastOrder('1').status, '2');
        counter.matchResting();
        QCOMPARE(lastOrder('1').status, '2');
        s.book.ask[0] = bid;
        s.book.askVol[0] = 1000;
        counter.matchResting();
        sim::Order o = lastOrder('1');
        QCOMPARE(o.status, '8');
        QCOMPARE(o.traded, 300u);
        // Accepted, then filled: two order returns on the trade link.
        auto rtn = trade.records<CMoruRtnOrderField>(moru_wire::Msg::RtnOrder);
        QCOMPARE(rtn.size(), size_t(2));
        QCOMPARE(rtn[0].OrderStatus, '2');
        QCOMPARE(rtn[1].OrderStatus, '8');
        QCOMPARE(double(fund(counter, link).FrozenCapital), 0.0);
    }

    void etfCreationAndRedemptionOnlyInWholeUnits() {
        login(counter, link, "10880001", "123456", '1');
        order(counter, link, "510050", '3', 0, 15000, '2');
        QCOMPARE(link.lastError(moru_wire::Msg::RspInsertOrder), 2004);
        order(counter, link, "510050", '3', 0, 20000, '2');
        QCOMPARE(link.lastError(moru_wire::Msg::RspInsertOrder), 0);
        order(counter, link, "510050", '4', 0, 70000, '2');  // holds 50,000 + 20,000
        QCOMPARE(link.lastError(moru_wire::Msg::RspInsertOrder), 0);
        order(counter, link, "510050", '4', 0, 10000, '2');
        QCOMPARE(link.lastError(moru_wire::Msg::RspInsertOrder), 2006);
    }

    void aRequestBeforeLoginDropsTheLink() {
        CMoruReqQryStockClientAccountField q;
        std::memset(&q, 0, sizeof q);
        feed(counter, link, moru_wire::Msg::ReqQryFund, &q, sizeof q);
        QVERIFY(!link.droppedWhy.empty());
        QVERIFY(link.frames.empty());
    }
};

QTEST_GUILESS_MAIN(TestSimMatching)
#include "test_sim_matching.moc"
