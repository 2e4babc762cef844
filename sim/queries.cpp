#include "queries.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "error_texts.h"
#include "reply.h"

namespace sim {

using moru_wire::Msg;

namespace {

// What "%0<width>u" gives for a number of at most `width` digits, without the format parser: a page
// of answers formats thousands of these.
template <size_t N>
const char* zeroPadded(char (&out)[N], uint32_t v) {
    out[N - 1] = 0;
    for (size_t i = N - 1; i-- > 0; v /= 10) out[i] = char('0' + v % 10);
    return out;
}

bool inWindow(const std::string& t, const std::string& start, const std::string& end) {
    if (!start.empty() && t < start) return false;
    if (!end.empty() && t > end) return false;
    return true;
}

// One page of the records matching a query, from QueryPosition on: the rows, where the next page
// starts, and whether any match lies beyond.
struct Page {
    std::vector<size_t> rows;
    size_t next = 0;
    bool more = false;
};

template <typename T, typename Match>
Page pageOf(const std::vector<T>& items, int32_t pos, int pageSize, Match match) {
    Page p;
    size_t i = size_t(std::max<int32_t>(0, pos));
    for (; i < items.size() && p.rows.size() < size_t(pageSize); ++i)
        if (match(items[i])) p.rows.push_back(i);
    p.next = i;
    for (size_t j = i; j < items.size() && !p.more; ++j) p.more = match(items[j]);
    return p;
}

// The filters the order and trade queries share.
struct QueryFilter {
    uint32_t sysId = 0;
    std::string code, start, end;
    int32_t pos = 0;
};

// Where those filters sit in each query record.
struct FilterLayout {
    size_t sysId, code, codeWidth, start, end, pos;
};

QueryFilter readQueryFilter(const rec::View& v, const FilterLayout& at) {
    QueryFilter f;
    f.sysId = v.get<uint32_t>(at.sysId);
    f.code = v.text(at.code, at.codeWidth);
    f.start = v.text(at.start, 9);
    f.end = v.text(at.end, 9);
    f.pos = v.get<int32_t>(at.pos);
    return f;
}

// One frame per row of the page, the last flagged; record(row, next, hasMore) builds each record.
template <typename MakeRecord>
std::vector<uint8_t> pageFrames(Msg msg, int32_t requestId, const Page& page, size_t recordSize,
                                MakeRecord record) {
    std::vector<uint8_t> out;
    out.reserve(page.rows.size() * (moru_wire::kHeaderSize + rec::kRspInfo + recordSize));
    std::vector<uint8_t> body(rec::kRspInfo + recordSize, 0);
    for (size_t k = 0; k < page.rows.size(); ++k) {
        const bool last = k + 1 == page.rows.size();
        const int32_t next = last ? int32_t(page.next) : int32_t(page.rows[k] + 1);
        const std::vector<uint8_t> r = record(page.rows[k], next, last && page.more);
        std::memcpy(body.data() + rec::kRspInfo, r.data(), std::min(r.size(), recordSize));
        moru_wire::appendFrame(out, msg, requestId, last ? moru_wire::kFlagLast : 0, body.data(),
                               body.size());
    }
    return out;
}

}  // namespace

std::vector<uint8_t> orderRecord(const Order& o, char mk, size_t size) {
    namespace R = rec::OrderRec;
    rec::Buf b(size);
    b.put<int32_t>(R::OrderRef, o.orderRef);
    b.text(R::SecurityID, 8, o.code);
    b.put<char>(R::Side, o.side);
    b.put<double>(R::LimitPrice, o.price);
    b.put<uint32_t>(R::OrderQty, o.qty);
    b.put<char>(R::OrderType, o.orderType);
    b.put<uint32_t>(R::OrderSysID, o.sysId);
    b.put<char>(R::Market, mk);
    b.text(R::RecvTime, 9, o.recvTime);
    b.put<uint32_t>(R::TradeQty, o.traded);
    b.put<uint32_t>(R::LeavesQty, o.leaves);
    b.put<char>(R::OrderStatus, o.status);
    b.put<uint8_t>(R::NodeID, o.node);
    char no[11];
    b.text(R::OrderNo, 10, zeroPadded(no, o.sysId));
    b.put<uint8_t>(R::MsgKind, o.msgKind);
    b.put<uint8_t>(R::SecurityType, o.secType);
    b.put<uint16_t>(R::ErrorCode, o.errorCode);
    b.put<double>(R::TradeAmount, o.tradeAmount);
    b.text(R::OfferorCode, 6, o.offeror);
    return b.take();
}

std::vector<uint8_t> tradeRecord(const Trade& t, char market) {
    namespace R = rec::TradeRec;
    rec::Buf b(R::kSize);
    b.put<uint32_t>(R::OrderSysID, t.orderSysId);
    b.put<char>(R::Market, market);
    b.put<uint32_t>(R::TradeQty, t.qty);
    b.put<uint32_t>(R::LeavesQty, t.leaves);
    b.text(R::SecurityID, 8, t.code);
    char id[9];
    b.text(R::TradeID, 8, zeroPadded(id, t.tradeId % 100000000u));
    b.text(R::TradeTime, 9, t.time);
    b.put<double>(R::TradePrice, t.price);
    b.put<double>(R::TradeAmount, t.price * t.qty);
    b.put<char>(R::Side, t.side);
    char no[11];
    b.text(R::OrderNo, 10, zeroPadded(no, t.orderSysId));
    b.put<char>(R::OrderType, t.orderType);
    if (t.componentCount) {
        // Creations settle in cash here: one cash line stands for the basket.
        b.put<int16_t>(R::ComponentCount, int16_t(t.componentCount));
        b.text(R::ComponentSecurityID, 8, t.code);
        b.put<char>(R::ComponentSource, market);
        b.put<uint32_t>(R::ComponentTradeQty, t.qty);
        b.put<double>(R::CashReplaceAmount, t.price * t.qty);
    }
    return b.take();
}

void Queries::onQryOrder(const Request& r) {
    Link& l = r.link;
    const Session& s = *r.session;
    const int32_t requestId = r.header.requestId;
    namespace R = rec::OrderRec;
    namespace Q = rec::QryOrder;
    const QueryFilter q = readQueryFilter(
        r.body, {Q::OrderSysID, Q::SecurityID, Q::SecurityWidth, Q::StartTime, Q::EndTime, Q::QueryPosition});
    const FundAccount& fa = s.funds();
    auto match = [&](const Order& o) {
        return (q.sysId == 0 || o.sysId == q.sysId) && (q.code.empty() || o.code == q.code) &&
               inWindow(o.recvTime, q.start, q.end);
    };
    const Page page = pageOf(fa.orders, q.pos, opt_.pageSize, match);
    if (page.rows.empty()) return answerError(l, Msg::RspQryOrder, requestId, R::kSize, err::kNoRecords);
    l.send(pageFrames(Msg::RspQryOrder, requestId, page, R::kSize, [&](size_t row, int32_t next, bool more) {
        std::vector<uint8_t> out = orderRecord(fa.orders[row], s.market, R::kSize);
        std::memcpy(out.data() + R::NextPosition, &next, 4);
        out[R::HasMore] = more ? 1 : 0;
        return out;
    }));
}

void Queries::onQryTrade(const Request& r) {
    Link& l = r.link;
    const Session& s = *r.session;
    const int32_t requestId = r.header.requestId;
    namespace R = rec::TradeRec;
    namespace Q = rec::QryTrade;
    const QueryFilter q = readQueryFilter(
        r.body, {Q::OrderSysID, Q::SecurityID, Q::SecurityWidth, Q::StartTime, Q::EndTime, Q::QueryPosition});
    const FundAccount& fa = s.funds();
    auto match = [&](const Trade& t) {
        return (q.sysId == 0 || t.orderSysId == q.sysId) && (q.code.empty() || t.code == q.code) &&
               inWindow(t.time, q.start, q.end);
    };
    const Page page = pageOf(fa.trades, q.pos, opt_.pageSize, match);
    if (page.rows.empty()) return answerError(l, Msg::RspQryTrade, requestId, R::kSize, err::kNoRecords);
    l.send(pageFrames(Msg::RspQryTrade, requestId, page, R::kSize, [&](size_t row, int32_t next, bool more) {
        std::vector<uint8_t> out = tradeRecord(fa.trades[row], s.market);
        std::memcpy(out.data() + R::NextPosition, &next, 4);
        out[R::HasMore] = more ? 1 : 0;
        return out;
    }));
}

void Queries::onQryPosition(const Request& r) {
    Link& l = r.link;
    const Session& s = *r.session;
    const int32_t requestId = r.header.requestId;
    namespace Q = rec::QryPosition;
    namespace R = rec::PositionRec;
    const std::string code = r.body.text(Q::SecurityID, Q::SecurityWidth);
    const FundAccount& fa = s.funds();
    std::vector<std::vector<uint8_t>> recs;
    for (const auto& kv : fa.positions) {
        const Position& p = kv.second;
        if (!code.empty() && kv.first != code) continue;
        if (p.total == 0 && p.todayBuy == 0 && p.todaySell == 0) continue;
        rec::Buf b(R::kSize);
        b.text(R::AccountID, 15, s.account->id);
        b.text(R::SecurityID, 8, kv.first);
        b.put<uint32_t>(R::TodayBuyQty, uint32_t(p.todayBuy));
        b.put<uint32_t>(R::TodaySellQty, uint32_t(p.todaySell));
        b.put<uint32_t>(R::YesterdayQty, uint32_t(p.yesterday));
        b.put<uint32_t>(R::TotalQty, uint32_t(p.total));
        b.put<double>(R::PositionCost, p.cost);
        b.put<uint32_t>(R::AvailableQty, uint32_t(p.available));
        const Security* sec = market_.find(kv.first);
        if (sec && sec->isEtf() && sec->etfUnit > 0) {
            int64_t canBuy =
                sec->last > 0 ? int64_t(fa.available / (sec->last * sec->etfUnit)) * sec->etfUnit : 0;
            b.put<int64_t>(R::PurchasableQty, canBuy);
            b.put<int64_t>(R::RedeemableQty, int64_t(p.available / uint64_t(sec->etfUnit)) * sec->etfUnit);
        }
        recs.push_back(b.bytes());
    }
    if (recs.empty()) return answerError(l, Msg::RspQryPosition, requestId, R::kSize, err::kNoRecords);
    for (size_t k = 0; k < recs.size(); ++k)
        reply(l, Msg::RspQryPosition, requestId, k + 1 == recs.size(), 0, "", &recs[k]);
}

void Queries::onQryFund(const Request& r) {
    Link& l = r.link;
    const Session& s = *r.session;
    const int32_t requestId = r.header.requestId;
    namespace R = rec::FundRec;
    const FundAccount& fa = s.funds();
    rec::Buf b(R::kSize);
    b.text(R::AccountID, 15, s.account->id);
    b.put<double>(R::FrozenCapital, fa.frozen);
    b.put<double>(R::LockedFee, fa.lockedFee());
    b.put<double>(R::Fee, fa.fee);
    b.put<double>(R::InitialCapital, fa.initial);
    b.put<double>(R::TodaySellAmount, fa.todaySell);
    b.put<double>(R::TodayBuyAmount, fa.todayBuy);
    b.put<double>(R::AvailableCapital, fa.available);
    b.put<double>(R::WithdrawableCapital, fa.withdrawable());
    reply(l, Msg::RspQryFund, requestId, true, 0, "", &b.bytes());
}

void Queries::onQryInOut(const Request& r) {
    Link& l = r.link;
    const Session& s = *r.session;
    const int32_t requestId = r.header.requestId;
    namespace R = rec::InOutRec;
    const FundAccount& fa = s.funds();
    if (fa.inOut.empty()) {
        rec::Buf b(R::kSize);
        b.text(R::OrgCode, 4, fa.orgCode);
        b.text(R::AccountID, 15, s.account->id);
        b.put<char>(R::Direction, '0');
        return reply(l, Msg::RspQryInOutFundRecord, requestId, true, 0, "", &b.bytes());
    }
    for (size_t k = 0; k < fa.inOut.size(); ++k) {
        const InOutRecord& io = fa.inOut[k];
        rec::Buf b(R::kSize);
        b.text(R::OrgCode, 4, fa.orgCode);
        b.text(R::AccountID, 15, s.account->id);
        b.put<double>(R::Amount, io.amount);
        b.put<char>(R::Direction, io.direction);
        b.text(R::OperTime, 20, io.time);
        reply(l, Msg::RspQryInOutFundRecord, requestId, k + 1 == fa.inOut.size(), 0, "", &b.bytes());
    }
}

void Queries::onQryTransfers(const Request& r) {
    Link& l = r.link;
    const Session& s = *r.session;
    const int32_t requestId = r.header.requestId;
    namespace R = rec::BTRec;
    const auto& list = s.account->transfers;
    if (list.empty())
        return answerError(l, Msg::RspQryBTFundTransferRecord, requestId, R::kSize, err::kNoRecords);
    for (size_t k = 0; k < list.size(); ++k) {
        const TransferRecord& t = list[k];
        rec::Buf b(R::kSize);
        b.text(R::OrgCode, 4, t.orgCode);
        b.text(R::AccountID, 15, s.account->id);
        b.put<double>(R::Amount, t.amount);
        b.put<char>(R::Direction, t.direction);
        b.text(R::OperTime, 9, t.time);
        b.put<uint32_t>(R::ErrorCode, t.errorCode);
        b.put<char>(R::Status, t.status);
        b.put<uint32_t>(R::SerialNo, t.serial);
        reply(l, Msg::RspQryBTFundTransferRecord, requestId, k + 1 == list.size(), 0, "", &b.bytes());
    }
}

}  // namespace sim
