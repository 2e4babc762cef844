#include "off_book_orders.h"

#include <algorithm>

#include "error_texts.h"
#include "reply.h"

namespace sim {

using moru_wire::Msg;

namespace {

constexpr double kCashEps = 1e-6;

// Fields every off-book order shares, from the request.
Order baseOrder(const Session& s, int32_t orderRef, const std::string& code, char side, uint32_t qty) {
    Order o;
    o.orderRef = orderRef;
    o.code = code;
    o.side = side;
    o.qty = qty;
    o.orderType = '2';
    o.node = uint8_t(s.node);
    o.recvTime = timeNow();
    o.sessionId = s.id;
    return o;
}

int checkTender(const Order& o, const Security* sec, char market, const Position* pos) {
    if (!sec || sec->market != market) return err::kUnknownSecurity;
    if (market != '1') return err::kBadTenderOffer;  // tender offers are a Shanghai business
    if (o.side != '7' && o.side != '8') return err::kBadSideOrType;
    if (sec->offerorCode.empty() || sec->offerorCode != o.offeror) return err::kBadTenderOffer;
    if (o.qty == 0) return err::kBadQuantity;
    if (o.side == '7' && (!pos || pos->available < o.qty)) return err::kNoPosition;
    if (o.side == '8' && (!pos || pos->tender < o.qty)) return err::kBadTenderOffer;
    return 0;
}

int checkExercise(const Order& o, const Security* sec, char market, const Position* pos, double available) {
    if (!sec || sec->market != market) return err::kUnknownSecurity;
    if (sec->type != kWarrant || market != '2') return err::kNoExercise;
    if (o.side != '1') return err::kBadSideOrType;
    if (o.qty == 0) return err::kBadQuantity;
    if (o.price <= 0) return err::kOutsideLimits;
    if (!pos || pos->available < o.qty) return err::kNoPosition;
    if (sec->exercisePrice * o.qty > available + kCashEps) return err::kNoFunds;
    return 0;
}

Position* positionOf(FundAccount& fa, const std::string& code) {
    auto it = fa.positions.find(code);
    return it == fa.positions.end() ? nullptr : &it->second;
}

}  // namespace

void OffBookOrders::onTenderOffer(const Request& r) {
    namespace Q = rec::TenderOffer;
    namespace R = rec::TenderRsp;
    Session& s = *r.session;
    FundAccount& fa = s.funds();
    Order o = baseOrder(s, r.body.get<int32_t>(Q::OrderRef), r.body.text(Q::SecurityID, 8),
                        r.body.get<char>(Q::Side), r.body.get<uint32_t>(Q::OrderQty));
    o.offeror = r.body.text(Q::OfferorCode, 6);
    fa.maxOrderRef = std::max(fa.maxOrderRef, o.orderRef);
    const Security* sec = market_.find(o.code);
    Position* pos = positionOf(fa, o.code);
    const int e = checkTender(o, sec, s.market, pos);
    o.sysId = ledger_.takeSysId();
    rec::Buf rsp(R::kSize);
    rsp.put<int32_t>(R::OrderRef, o.orderRef);
    rsp.text(R::SecurityID, 8, o.code);
    rsp.put<char>(R::Side, o.side);
    rsp.put<uint32_t>(R::OrderQty, o.qty);
    rsp.text(R::OfferorCode, 6, o.offeror);
    rsp.put<uint32_t>(R::OrderSysID, o.sysId);
    if (e) return answer(r.link, Msg::RspTenderOffer, r.header.requestId, e, rsp.bytes());
    // Shares tendered are set aside until the offer closes; a withdrawal gives them back.
    if (o.side == '7') {
        pos->available -= o.qty;
        pos->tender += o.qty;
    } else {
        pos->tender -= o.qty;
        pos->available += o.qty;
    }
    o.secType = sec->type;
    o.status = '2';
    o.leaves = o.qty;
    fa.orders.push_back(o);
    answer(r.link, Msg::RspTenderOffer, r.header.requestId, 0, rsp.bytes());
    matching_.sendOrderReturn(*s.account, o, s.market);
}

void OffBookOrders::onWarrantExercise(const Request& r) {
    namespace Q = rec::WarrantExercise;
    namespace R = rec::WarrantRsp;
    Session& s = *r.session;
    FundAccount& fa = s.funds();
    Order o = baseOrder(s, r.body.get<int32_t>(Q::OrderRef), r.body.text(Q::SecurityID, 8),
                        r.body.get<char>(Q::Side), r.body.get<uint32_t>(Q::OrderQty));
    o.price = r.body.get<double>(Q::LimitPrice);
    fa.maxOrderRef = std::max(fa.maxOrderRef, o.orderRef);
    const Security* sec = market_.find(o.code);
    Position* pos = positionOf(fa, o.code);
    const int e = checkExercise(o, sec, s.market, pos, fa.available);
    o.sysId = ledger_.takeSysId();
    rec::Buf rsp(R::kSize);
    rsp.put<int32_t>(R::OrderRef, o.orderRef);
    rsp.text(R::SecurityID, 8, o.code);
    rsp.put<char>(R::Side, o.side);
    rsp.put<double>(R::LimitPrice, o.price);
    rsp.put<uint32_t>(R::OrderQty, o.qty);
    rsp.put<uint32_t>(R::OrderSysID, o.sysId);
    if (e) return answer(r.link, Msg::RspWarrantExercise, r.header.requestId, e, rsp.bytes());
    // Settles after the close: hold the warrants and the exercise money.
    const double cash = sec->exercisePrice * o.qty;
    pos->available -= o.qty;
    pos->frozen += o.qty;
    fa.available -= cash;
    fa.frozen += cash;
    o.secType = sec->type;
    o.status = '2';
    o.leaves = o.qty;
    fa.orders.push_back(o);
    answer(r.link, Msg::RspWarrantExercise, r.header.requestId, 0, rsp.bytes());
    matching_.sendOrderReturn(*s.account, o, s.market);
}

}  // namespace sim
