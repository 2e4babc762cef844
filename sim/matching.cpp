#include "matching.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "error_texts.h"
#include "queries.h"
#include "reply.h"

namespace sim {

using moru_wire::Msg;

namespace {

constexpr char kShanghaiTypes[] = "12367";
constexpr char kShenzhenTypes[] = "1234568";
constexpr double kEps = 1e-9;
constexpr double kCashEps = 1e-6;

bool isBuy(char side) {
    return side == '1';
}
bool isCreation(char side) {
    return side == '3' || side == '4';
}
bool isLimitType(char orderType) {
    return orderType == '2' || orderType == '8';
}

std::string orderText(const Order& o) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s %c %u@%.3f #%u", o.code.c_str(), o.side, o.qty, o.price, o.sysId);
    return buf;
}

Order orderFromRequest(const rec::View& v, const Session& s) {
    namespace Q = rec::OrderInsert;
    Order o;
    o.orderRef = v.get<int32_t>(Q::OrderRef);
    o.code = v.text(Q::SecurityID, 8);
    o.side = v.get<char>(Q::Side);
    o.price = v.get<double>(Q::LimitPrice);
    o.qty = v.get<uint32_t>(Q::OrderQty);
    o.orderType = v.get<char>(Q::OrderType);
    o.node = uint8_t(s.node);
    o.recvTime = timeNow();
    o.sessionId = s.id;
    o.leaves = o.qty;
    return o;
}

// What an order may use, checked once the order itself is sound.
int checkCover(const Order& o, const Security& sec, const FundAccount& fa) {
    if (o.side == '1' || sec.type == kRepo)
        return freezePerUnit(o, sec) * o.qty > fa.available + kCashEps ? err::kNoFunds : 0;
    if (o.side == '2' || o.side == '4') {
        auto it = fa.positions.find(o.code);
        return it == fa.positions.end() || it->second.available < o.qty ? err::kNoPosition : 0;
    }
    return sec.last * o.qty * (1 + kFeeRate) > fa.available + kCashEps ? err::kNoFunds : 0;
}

}  // namespace

double freezePerUnit(const Order& o, const Security& sec) {
    if (sec.type == kRepo) return (sec.parValue > 0 ? sec.parValue : 100) * (1 + kFeeRate);
    if (!isBuy(o.side)) return 0;
    return (isLimitType(o.orderType) ? o.price : sec.upper) * (1 + kFeeRate);
}

int checkOrder(const Order& o, const Security* sec, char market, const FundAccount& fa) {
    if (!sec || sec->market != market) return err::kUnknownSecurity;
    if (o.side == 0 || std::string("1234").find(o.side) == std::string::npos || o.orderType == 0)
        return err::kBadSideOrType;
    if (isCreation(o.side) && !sec->isEtf()) return err::kNotAnEtf;
    if (sec->type == kRepo && o.side != '2') return err::kBadSideOrType;
    if (std::string(market == '1' ? kShanghaiTypes : kShenzhenTypes).find(o.orderType) == std::string::npos)
        return err::kPriceTypeRefused;
    if (o.qty == 0) return err::kBadQuantity;
    const bool priced = !isCreation(o.side) && isLimitType(o.orderType);
    if (priced && (o.price < sec->lower - kEps || o.price > sec->upper + kEps)) return err::kOutsideLimits;
    if (priced && !sec->onTick(o.price)) return err::kOffTick;
    if ((o.side == '1' || sec->type == kRepo) && o.qty % uint32_t(sec->lot) != 0) return err::kBadQuantity;
    if (isCreation(o.side) && sec->etfUnit > 0 && o.qty % uint32_t(sec->etfUnit) != 0)
        return err::kBadQuantity;
    return checkCover(o, *sec, fa);
}

void Matching::onInsertOrder(const Request& r) {
    namespace R = rec::OrderRsp;
    Session& s = *r.session;
    FundAccount& fa = s.funds();
    Order o = orderFromRequest(r.body, s);
    fa.maxOrderRef = std::max(fa.maxOrderRef, o.orderRef);
    Security* sec = market_.find(o.code);
    const int e = checkOrder(o, sec, s.market, fa);
    o.sysId = ledger_.takeSysId();

    rec::Buf rsp(R::kInsert);
    rsp.put<int32_t>(R::OrderRef, o.orderRef);
    rsp.text(R::SecurityID, 8, o.code);
    rsp.put<char>(R::Side, o.side);
    rsp.put<double>(R::LimitPrice, o.price);
    rsp.put<uint32_t>(R::OrderQty, o.qty);
    rsp.put<char>(R::OrderType, o.orderType);
    rsp.put<uint32_t>(R::OrderSysID, o.sysId);
    if (e) {
        // A refused order on a known security stays in the day's orders.
        o.status = '9';
        o.errorCode = uint16_t(e);
        if (sec) {
            o.secType = sec->type;
            fa.orders.push_back(o);
        }
        answer(r.link, Msg::RspInsertOrder, r.header.requestId, e, rsp.bytes());
        return sendOrderReturn(*s.account, o, s.market);
    }
    o.secType = sec->type;
    o.status = '2';
    o.freezePerUnit = freezePerUnit(o, *sec);
    answer(r.link, Msg::RspInsertOrder, r.header.requestId, 0, rsp.bytes());
    sendOrderReturn(*s.account, o, s.market);  // accepted

    if (isCreation(o.side)) {
        createOrRedeem(fa, o, *sec);
    } else {
        hold(fa, o, *sec);
        fillReturns_ = {s.account, s.market};
        const bool rest = run(fa, o, *sec);
        fillReturns_ = {};
        if (!rest) releaseRemainder(fa, o);
        fa.orders.push_back(o);
        if (rest) resting_.push_back({s.account->id, s.market, fa.orders.size() - 1});
    }
    sendOrderReturn(*s.account, fa.orders.back(), s.market);
}

// Creation and redemption settle at once against the fund's last price.
void Matching::createOrRedeem(FundAccount& fa, Order& o, const Security& sec) {
    Position& pos = fa.positions[o.code];
    const double amount = sec.last * o.qty;
    if (o.side == '3') {
        fa.available -= amount;
        pos.total += o.qty;
        pos.todayBuy += o.qty;
        pos.available += o.qty;
    } else {
        pos.available -= o.qty;
        pos.total -= std::min<uint64_t>(pos.total, o.qty);
        pos.todaySell += o.qty;
        fa.available += amount;
    }
    o.traded = o.qty;
    o.leaves = 0;
    o.tradeAmount = amount;
    o.status = '8';
    Trade t = tradeOf(o, ledger_.takeTradeId(), sec.last, o.qty);
    t.componentCount = 1;
    fa.trades.push_back(t);
    fa.orders.push_back(o);
}

// Holds what the order may use: cash for buys and repo lending, shares for sells.
void Matching::hold(FundAccount& fa, const Order& o, const Security& sec) {
    if (isBuy(o.side) || sec.type == kRepo) {
        fa.available -= o.freezePerUnit * o.qty;
        fa.frozen += o.freezePerUnit * o.qty;
    } else {
        Position& pos = fa.positions[o.code];
        pos.available -= o.qty;
        pos.frozen += o.qty;
    }
}

bool Matching::run(FundAccount& fa, Order& o, Security& sec) {
    const bool buy = isBuy(o.side);
    const double anyPrice = buy ? 1e18 : 0;
    const double bestOpp = buy ? sec.book.ask[0] : sec.book.bid[0];
    const double bestOwn = buy ? sec.book.bid[0] : sec.book.ask[0];
    bool rest = false;
    switch (o.orderType) {
        case '2':  // limit: what crosses fills, the rest waits
            crossResting(fa, o, sec);
            execute(fa, o, sec, o.price, 5);
            rest = o.leaves > 0;
            break;
        case '8':
        case '5': {  // all or nothing
            const double limit = o.orderType == '8' ? o.price : anyPrice;
            uint64_t reachable = 0;
            for (int k = 0; k < 5; ++k) {
                const double px = buy ? sec.book.ask[k] : sec.book.bid[k];
                if (px <= 0 || (buy ? px > limit + kEps : px < limit - kEps)) break;
                reachable += buy ? sec.book.askVol[k] : sec.book.bidVol[k];
            }
            if (reachable >= o.qty) execute(fa, o, sec, limit, 5);
            break;
        }
        case '1':  // best opposite level, the rest as a limit at that price
            if (bestOpp > 0) {
                o.price = bestOpp;
                execute(fa, o, sec, bestOpp, 1);
                rest = o.leaves > 0;
            }
            break;
        case '3':  // own best: joins the queue at our side's best price
            if (bestOwn > 0) {
                o.price = bestOwn;
                rest = true;
            }
            break;
        case '4':
        case '6':  // fill what the five levels hold, cancel the rest
            execute(fa, o, sec, anyPrice, 5);
            break;
        case '7':  // five levels, the rest as a limit at the last fill
            execute(fa, o, sec, anyPrice, 5);
            if (o.traded > 0 && o.leaves > 0) {
                o.price = sec.last;
                rest = true;
            }
            break;
        default:
            break;
    }
    if (buy && rest && o.price > 0) {
        // Cash held at the resting price from now on.
        const double perUnit = o.price * (1 + kFeeRate);
        const double diff = (o.freezePerUnit - perUnit) * o.leaves;
        fa.frozen -= diff;
        fa.available += diff;
        o.freezePerUnit = perUnit;
    }
    return rest;
}

uint32_t Matching::execute(FundAccount& fa, Order& o, Security& sec, double limit, int levels) {
    uint32_t filled = 0;
    const bool buy = isBuy(o.side);
    for (int k = 0; k < levels && o.leaves > 0; ++k) {
        const double px = buy ? sec.book.ask[k] : sec.book.bid[k];
        uint64_t& vol = buy ? sec.book.askVol[k] : sec.book.bidVol[k];
        if (px <= 0 || vol == 0) continue;
        if (buy ? px > limit + kEps : px < limit - kEps) break;
        const uint32_t q = uint32_t(std::min<uint64_t>(vol, o.leaves));
        vol -= q;
        applyFill(fa, o, sec, px, q);
        filled += q;
    }
    return filled;
}

void Matching::crossResting(FundAccount& fa, Order& o, Security& sec) {
    const ReturnTarget incoming = fillReturns_;
    if (!incoming.account) return;
    const bool buy = isBuy(o.side);
    for (const Resting& r : resting_) {
        if (o.leaves == 0) break;
        if (r.market != incoming.market || r.account == incoming.account->id) continue;
        Account* owner = ledger_.account(r.account);
        if (!owner) continue;
        FundAccount& ofa = owner->markets[r.market];
        if (r.index >= ofa.orders.size()) continue;
        Order& other = ofa.orders[r.index];
        if (other.code != o.code || isBuy(other.side) == buy || (other.status != '2' && other.status != '7'))
            continue;
        // Prices come from different clients' arithmetic: half a thousandth of a tick decides.
        constexpr double kPriceEps = 5e-7;
        if (buy ? other.price > o.price + kPriceEps : other.price < o.price - kPriceEps) continue;
        const uint32_t q = std::min(o.leaves, other.leaves);
        fillReturns_ = {owner, r.market};
        applyFill(ofa, other, sec, other.price, q, false);
        fillReturns_ = incoming;
        applyFill(fa, o, sec, other.price, q);
    }
}

void Matching::applyFill(FundAccount& fa, Order& o, Security& sec, double price, uint32_t qty, bool tape) {
    double amount = price * qty;
    if (sec.type == kRepo) amount = (sec.parValue > 0 ? sec.parValue : 100) * qty;
    const double fee = std::round(amount * kFeeRate * 100) / 100;
    Position& pos = fa.positions[o.code];
    if (isBuy(o.side)) {
        const double held = o.freezePerUnit * qty;
        fa.frozen -= held;
        fa.available += held - amount - fee;
        fa.todayBuy += amount;
        const double costTotal = pos.cost * double(pos.total) + amount + fee;
        pos.total += qty;
        pos.todayBuy += qty;
        pos.cost = pos.total ? costTotal / double(pos.total) : 0;
    } else if (sec.type == kRepo) {
        // Lending money: the cash stays out until the repo matures.
        const double held = o.freezePerUnit * qty;
        fa.frozen -= held;
        fa.available += held - amount - fee;
    } else {
        pos.frozen -= std::min<uint64_t>(pos.frozen, qty);
        pos.total -= std::min<uint64_t>(pos.total, qty);
        pos.todaySell += qty;
        fa.available += amount - fee;
        fa.todaySell += amount;
    }
    fa.fee += fee;
    settle(fa);
    o.traded += qty;
    o.leaves -= qty;
    o.tradeAmount += amount;
    o.status = o.leaves ? '7' : '8';
    if (tape) market_.recordTrade(sec, price, qty);
    fa.trades.push_back(tradeOf(o, ledger_.takeTradeId(), price, qty));
    if (fillReturns_.account) sendOrderReturn(*fillReturns_.account, o, fillReturns_.market);
}

void Matching::releaseRemainder(FundAccount& fa, Order& o) {
    if (o.leaves == 0) return;
    const Security* sec = market_.find(o.code);
    if (isBuy(o.side) || (sec && sec->type == kRepo)) {
        const double held = o.freezePerUnit * o.leaves;
        fa.frozen -= held;
        fa.available += held;
    } else {
        Position& pos = fa.positions[o.code];
        const uint64_t q = std::min<uint64_t>(pos.frozen, o.leaves);
        pos.frozen -= q;
        pos.available += q;
    }
    o.status = o.traded ? '5' : '6';
    o.leaves = 0;
    settle(fa);
}

void Matching::matchResting() {
    std::vector<Resting> still;
    for (const auto& r : resting_) {
        Account* a = ledger_.account(r.account);
        if (!a) continue;
        FundAccount& fa = a->markets[r.market];
        if (r.index >= fa.orders.size()) continue;
        Order& o = fa.orders[r.index];
        if (o.status != '2' && o.status != '7') continue;
        Security* sec = market_.find(o.code);
        if (!sec) continue;
        fillReturns_ = {a, r.market};
        execute(fa, o, *sec, o.price, 5);
        fillReturns_ = {};
        if (o.leaves > 0) still.push_back(r);
    }
    resting_.swap(still);
}

void Matching::onCancelOrder(const Request& r) {
    namespace Q = rec::OrderAction;
    Session& s = *r.session;
    const int32_t ref = r.body.get<int32_t>(Q::OrderRef);
    const uint32_t sysId = r.body.get<uint32_t>(Q::OrderSysID);
    FundAccount& fa = s.funds();
    fa.maxOrderRef = std::max(fa.maxOrderRef, ref);
    rec::Buf rsp(rec::ActionRsp::kSize);
    rsp.put<int32_t>(rec::ActionRsp::OrderRef, ref);
    rsp.put<uint32_t>(rec::ActionRsp::OrderSysID, sysId);
    Order* target = nullptr;
    for (auto& o : fa.orders)
        if (o.sysId == sysId && o.msgKind == 0x65) target = &o;
    if (!target || (target->status != '2' && target->status != '7') ||
        (target->side != '1' && target->side != '2'))
        return answer(r.link, Msg::RspCancelOrder, r.header.requestId, err::kNotCancellable, rsp.bytes());
    Order cancel;
    cancel.sysId = ledger_.takeSysId();
    cancel.orderRef = ref;
    cancel.code = target->code;
    cancel.side = target->side;
    cancel.orderType = target->orderType;
    cancel.price = target->price;
    cancel.qty = target->leaves;
    cancel.status = '6';
    cancel.msgKind = 'g';
    cancel.secType = target->secType;
    cancel.node = uint8_t(s.node);
    cancel.recvTime = timeNow();
    cancel.sessionId = s.id;
    releaseRemainder(fa, *target);
    const Order snapshot = *target;
    fa.orders.push_back(cancel);  // may move the orders: the snapshot is what is reported
    answer(r.link, Msg::RspCancelOrder, r.header.requestId, 0, rsp.bytes());
    sendOrderReturn(*s.account, snapshot, s.market);
}

void Matching::sendOrderReturn(const Account& account, const Order& o, char market) {
    if (o.status == o.reportedStatus && o.traded == o.reportedTraded) return;
    o.reportedStatus = o.status;
    o.reportedTraded = o.traded;
    Link* l = sessions_.linkFor(o.sessionId, &account, market, moru_wire::kLinkTrade);
    if (!l) return;
    std::vector<uint8_t> r = orderRecord(o, market, rec::OrderRec::kRtnSize);
    // Past the text the return has nothing of the query record's tail.
    std::memset(r.data() + rec::OrderRec::RtnText, 0, r.size() - rec::OrderRec::RtnText);
    // The record's text: ASCII, so every reader shows it the same way.
    const std::string text = orderText(o);
    std::memcpy(r.data() + rec::OrderRec::RtnText, text.data(),
                std::min(text.size(), rec::OrderRec::RtnTextWidth - 1));
    reply(*l, Msg::RtnOrder, 0, true, o.errorCode, o.errorCode ? rspErrorText(o.errorCode) : "", &r);
}

}  // namespace sim
