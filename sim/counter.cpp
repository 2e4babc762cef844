#include "counter.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextCodec>
#include <QTime>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "moru_api_types.h"
#include "records.h"

namespace sim {

// The counter writes raw bytes; these keep its layouts in step with the library's records.
static_assert(rec::OrderRec::kSize == sizeof(CMoruRspQryOrderField), "order record");
static_assert(rec::OrderRec::kRtnSize == sizeof(CMoruRtnOrderField), "order return");
static_assert(rec::OrderRec::RtnText == offsetof(CMoruRtnOrderField, OrderText), "order return text");
static_assert(rec::OrderRec::NextPosition == offsetof(CMoruRspQryOrderField, NextPosition), "next position");
static_assert(rec::TradeRec::kSize == sizeof(CMoruRspQryTradeField), "trade record");
static_assert(rec::TradeRec::HasMore == offsetof(CMoruRspQryTradeField, HasMore), "trade has-more");
static_assert(rec::PositionRec::kSize == sizeof(CMoruRspQryStockPositionField), "position record");
static_assert(rec::FundRec::kSize == sizeof(CMoruRspQryStockClientAccountField), "fund record");
static_assert(rec::InOutRec::kSize == sizeof(CMoruRspQryCapTransferRecordField), "in/out record");
static_assert(rec::CapTransferRsp::kSize == sizeof(CMoruRspCapTransferField), "fund answer");
static_assert(rec::BTRec::kSize == sizeof(CMoruRspQryBTCapTransferManagerField), "transfer record");
static_assert(rec::BTRec::Status == offsetof(CMoruRspQryBTCapTransferManagerField, TransferStatus), "status");
static_assert(rec::BTRsp::kRspSize == sizeof(CMoruRspBTCapTransferManagerField), "transfer answer");
static_assert(rec::BTRsp::kRtnSize == sizeof(CMoruRtnBtCapTransferManagerField), "transfer report");
static_assert(rec::BTRsp::Status == offsetof(CMoruRtnBtCapTransferManagerField, TransferStatus), "status");
static_assert(rec::OrderRsp::kInsert == sizeof(CMoruRspOrderInsertField), "insert answer");
static_assert(rec::OrderRsp::OrderSysID == offsetof(CMoruRspOrderInsertField, OrderSysID), "order number");
static_assert(rec::TenderRsp::kSize == sizeof(CMoruRspTenderOfferOrderField), "tender answer");
static_assert(rec::TenderRsp::OrderSysID == offsetof(CMoruRspTenderOfferOrderField, OrderSysID), "tender");
static_assert(rec::WarrantRsp::kSize == sizeof(CMoruRspWarrantExerciseOrderField), "exercise answer");
static_assert(rec::WarrantRsp::OrderSysID == offsetof(CMoruRspWarrantExerciseOrderField, OrderSysID),
              "exercise");
static_assert(rec::ActionRsp::kSize == sizeof(CMoruRspOrderActionField), "cancel answer");
static_assert(rec::PwdRsp::kSize == sizeof(CMoruRspUserPasswordUpdateField), "password answer");
static_assert(rec::kRspInfo == sizeof(CMoruRspInfo), "response info");

using moru_wire::Msg;

namespace {

constexpr double kFeeRate = 0.0003;
constexpr int kNoRecords = 5001;

struct ErrText {
    int id;
    const char* rsp;   // what goes into the response; "" leaves it to the terminal's table
    bool rspIsGbk;     // Chinese responses are sent in GBK
    const char* full;  // Chinese text for the library's own table
};

const ErrText kErrors[] = {
    {1001, "资金账号不存在", true, "资金账号不存在"},
    {1002, "invalid password", false, "密码错误"},
    {1003, "", false, "节点错误"},
    {1004, "该账户未开通此市场", true, "该账户未开通此市场"},
    {1005, "account already logged in", false, "账户已登录"},
    {1006, "该链接已登录", true, "该链接已登录"},
    {2001, "证券代码不存在", true, "证券代码不存在"},
    {2002, "price outside the daily limits", false, "委托价格超出涨跌停范围"},
    {2003, "", false, "委托价格不符合最小价位"},
    {2004, "委托数量不是整手", true, "委托数量不是整手"},
    {2005, "可用资金不足", true, "可用资金不足"},
    {2006, "insufficient available position", false, "可用持仓不足"},
    {2007, "", false, "该市场不支持此报单类型"},
    {2008, "非ETF不能申购赎回", true, "非ETF不能申购赎回"},
    {2009, "委托不存在或不可撤", true, "委托不存在或不可撤"},
    {2010, "invalid side or order type", false, "买卖方向或报单类型错误"},
    {2011, "要约收购代码错误", true, "要约收购代码错误"},
    {2012, "", false, "不允许权证行权"},
    {3001, "可取资金不足", true, "可取资金不足"},
    {3002, "invalid amount", false, "金额错误"},
    {3003, "调拨被拒绝", true, "调拨被拒绝"},
    {4001, "原密码错误", true, "原密码错误"},
    {4002, "new password invalid", false, "新密码不符合要求"},
    {kNoRecords, "没有查询到相关记录", true, "没有查询到相关记录"},
};

const ErrText* findError(int id) {
    for (const auto& e : kErrors)
        if (e.id == id) return &e;
    return nullptr;
}

bool sideIsBuy(char side) {
    return side == '1';
}

// Money is kept to a hundredth of a cent, so sums of held and released amounts come back to zero.
void settle(FundAccount& fa) {
    fa.frozen = std::round(fa.frozen * 10000) / 10000;
    fa.available = std::round(fa.available * 10000) / 10000;
    if (fa.frozen < 0 && fa.frozen > -0.01) fa.frozen = 0;
}

std::string hhmmsszzz(const QTime& t) {
    return t.toString("hhmmsszzz").toStdString();
}

}  // namespace

std::string toGbk(const std::string& utf8) {
    static QTextCodec* codec = QTextCodec::codecForName("GBK");
    if (!codec) return utf8;
    QByteArray b = codec->fromUnicode(QString::fromUtf8(utf8.data(), int(utf8.size())));
    return std::string(b.constData(), size_t(b.size()));
}

std::string rspErrorText(int errorId) {
    const ErrText* e = findError(errorId);
    if (!e) return {};
    return e->rspIsGbk ? toGbk(e->rsp) : std::string(e->rsp);
}

std::string fullErrorText(int errorId) {
    const ErrText* e = findError(errorId);
    return e ? toGbk(e->full) : std::string();
}

std::vector<int> knownErrorIds() {
    std::vector<int> ids;
    for (const auto& e : kErrors) ids.push_back(e.id);
    return ids;
}

Counter::Counter(Options opt) : opt_(opt) {}

Account* Counter::account(const std::string& id) {
    auto it = accounts_.find(id);
    return it == accounts_.end() ? nullptr : &it->second;
}

bool Counter::loadFile(const std::string& path, std::string* err) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) {
        if (err) *err = "cannot be read";
        return false;
    }
    QByteArray all = f.readAll();
    return loadJson(std::string(all.constData(), size_t(all.size())), err);
}

bool Counter::loadJson(const std::string& utf8Json, std::string* err) {
    QJsonParseError pe;
    QJsonDocument doc = QJsonDocument::fromJson(QByteArray(utf8Json.data(), int(utf8Json.size())), &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        if (err) *err = "bad JSON: " + pe.errorString().toStdString();
        return false;
    }
    QJsonObject root = doc.object();
    if (root.contains("tradingDay")) tradingDay_ = root.value("tradingDay").toString().toStdString();
    market_ = Market(uint32_t(opt_.seed >= 0 ? opt_.seed : root.value("seed").toInt(7)));
    for (const auto& v : root.value("securities").toArray()) {
        QJsonObject o = v.toObject();
        Security s;
        s.code = o.value("code").toString().toStdString();
        if (s.code.empty() || s.code.size() > 8) continue;
        s.name = o.value("name").toString().toStdString();
        // The quote record holds 29 bytes and a NUL: shorten by whole characters.
        QString name = QString::fromStdString(s.name);
        s.gbkName = toGbk(name.toStdString());
        while (s.gbkName.size() > 29 && !name.isEmpty()) {
            name.chop(1);
            s.gbkName = toGbk(name.toStdString());
        }
        s.market = o.value("market").toString("1").toStdString().c_str()[0];
        s.type = uint8_t(o.value("type").toInt(1));
        s.preClose = o.value("preClose").toDouble(10);
        s.tick = o.value("tick").toDouble(0.01);
        s.lot = std::max(1, o.value("lot").toInt(100));
        s.limitPct = o.value("limitPct").toDouble(0.1);
        s.etfUnit = o.value("etfUnit").toInt(0);
        s.offerorCode = o.value("offerorCode").toString().toStdString();
        s.exercisePrice = o.value("exercisePrice").toDouble(0);
        s.parValue = o.value("parValue").toDouble(0);
        if (s.preClose <= 0) continue;
        market_.add(std::move(s));
    }
    for (const auto& v : root.value("accounts").toArray()) {
        QJsonObject o = v.toObject();
        Account a;
        a.id = o.value("account").toString().toStdString();
        a.password = o.value("password").toString().toStdString();
        a.name = o.value("name").toString().toStdString();
        for (const auto& n : o.value("nodes").toArray()) a.nodes.push_back(n.toInt());
        QJsonObject markets = o.value("markets").toObject();
        for (const QString& mk : markets.keys()) {
            QJsonObject m = markets.value(mk).toObject();
            FundAccount fa;
            fa.market = mk.isEmpty() ? '1' : char(mk.at(0).toLatin1());
            fa.orgCode = m.value("orgCode").toString().toStdString();
            fa.initial = fa.available = m.value("capital").toDouble(0);
            for (const auto& pv : m.value("positions").toArray()) {
                QJsonObject p = pv.toObject();
                Position pos;
                pos.yesterday = pos.total = pos.available = uint64_t(std::max(0, p.value("qty").toInt()));
                pos.cost = p.value("cost").toDouble(0);
                fa.positions[p.value("code").toString().toStdString()] = pos;
            }
            a.markets[fa.market] = std::move(fa);
        }
        if (!a.id.empty()) accounts_[a.id] = std::move(a);
    }
    if (market_.all().empty() || accounts_.empty()) {
        if (err) *err = "no securities or no accounts";
        return false;
    }
    return true;
}

bool Counter::fillBigAccount(const std::string& id, char mk, int n) {
    Account* a = account(id);
    if (!a || !a->markets.count(mk)) return false;
    FundAccount& fa = a->markets[mk];
    std::vector<Security*> pool;
    for (auto& s : market_.all())
        if (s.market == mk && (s.type == kStock || s.type == kStar || s.type == kChiNext)) pool.push_back(&s);
    if (pool.empty()) return false;
    fa.orders.reserve(fa.orders.size() + size_t(n));
    fa.trades.reserve(fa.trades.size() + size_t(n));
    for (int i = 0; i < n; ++i) {
        Security& s = *pool[size_t(i) % pool.size()];
        Order o;
        o.sysId = nextSysId_++;
        o.orderRef = ++fa.maxOrderRef;
        o.code = s.code;
        o.side = (i % 3 == 0) ? '2' : '1';
        o.price = s.preClose;
        o.qty = uint32_t(s.lot * (1 + i % 10));
        o.secType = s.type;
        o.node = 6;
        // Spread over the trading day, in arrival order.
        int ms = int(int64_t(i) * (5 * 3600 * 1000LL) / std::max(1, n));
        o.recvTime = hhmmsszzz(QTime(9, 30).addMSecs(ms));
        bool filled = i % 5 != 4;
        o.traded = filled ? o.qty : 0;
        o.leaves = o.qty - o.traded;
        o.status = filled ? '8' : '6';
        o.tradeAmount = o.traded * o.price;
        fa.orders.push_back(o);
        if (filled) {
            Trade t;
            t.orderSysId = o.sysId;
            t.tradeId = nextTradeId_++;
            t.code = o.code;
            t.side = o.side;
            t.qty = o.qty;
            t.price = o.price;
            t.time = o.recvTime;
            fa.trades.push_back(t);
        }
    }
    return true;
}

std::string Counter::now9() const {
    return hhmmsszzz(QTime::currentTime());
}

void Counter::attach(Link& l) {
    if (l.id) return;
    l.id = nextLinkId_++;
    links_[l.id] = &l;
}

Session* Counter::sessionOf(Link& l) {
    auto it = sessions_.find(l.sessionId);
    return it == sessions_.end() ? nullptr : &it->second;
}

Link* Counter::sessionLink(int sessionId, uint8_t kind) {
    auto it = sessions_.find(sessionId);
    if (it == sessions_.end() || kind > 3) return nullptr;
    auto link = links_.find(it->second.links[kind]);
    return (link != links_.end() && !link->second->dropped) ? link->second : nullptr;
}

void Counter::onClosed(Link& l) {
    l.dropped = true;
    if (!l.id) return;
    links_.erase(l.id);
    for (auto it = sessions_.begin(); it != sessions_.end();) {
        Session& s = it->second;
        bool had = false, any = false;
        for (auto& id : s.links) {
            if (id == l.id) {
                id = 0;
                had = true;
            }
            any = any || id;
        }
        // Losing any link ends the session: the terminal logs in again from scratch.
        if (had) s.loggedOut = true;
        it = had && !any ? sessions_.erase(it) : std::next(it);
    }
}

void Counter::onData(Link& l, const uint8_t* data, size_t len) {
    if (l.dropped) return;
    attach(l);
    l.in.insert(l.in.end(), data, data + len);
    size_t off = 0;
    while (!l.dropped) {
        Header h;
        const char* why = nullptr;
        auto r = moru_wire::decodeHeader(l.in.data() + off, l.in.size() - off, h, &why);
        if (r == moru_wire::Parse::NeedMore) break;
        if (r == moru_wire::Parse::Bad) {
            l.drop(why ? why : "bad frame");
            l.dropped = true;
            return;
        }
        handle(l, h, l.in.data() + off + moru_wire::kHeaderSize, h.bodyLen);
        off += moru_wire::kHeaderSize + h.bodyLen;
    }
    if (!l.dropped && off) l.in.erase(l.in.begin(), l.in.begin() + long(off));
}

void Counter::reply(Link& l, Msg type, int32_t reqId, bool last, int errorId, const std::string& errText,
                    const std::vector<uint8_t>* record) {
    std::vector<uint8_t> body(rec::kRspInfo + (record ? record->size() : 0), 0);
    int32_t e = errorId;
    std::memcpy(body.data(), &e, 4);
    moru_wire::putText(body.data() + 4, moru_wire::kErrorMsgSize, errText);
    if (record && !record->empty()) std::memcpy(body.data() + rec::kRspInfo, record->data(), record->size());
    std::vector<uint8_t> out;
    moru_wire::appendFrame(out, type, reqId, last ? moru_wire::kFlagLast : 0, body.data(), body.size());
    l.send(out);
}

void Counter::replyError(Link& l, Msg type, int32_t reqId, size_t recSize, int errorId) {
    std::vector<uint8_t> empty(recSize, 0);
    reply(l, type, reqId, true, errorId, rspErrorText(errorId), &empty);
}

void Counter::handle(Link& l, const Header& h, const uint8_t* body, size_t len) {
    if (opt_.verbose) std::fprintf(stderr, "moru-sim: frame %u len %zu\n", unsigned(h.type), len);
    Msg t = Msg(h.type);
    switch (t) {
        case Msg::Heartbeat:
            if (!opt_.heartbeatsOff) {
                std::vector<uint8_t> out;
                moru_wire::appendFrame(out, Msg::Heartbeat, 0, 0, nullptr, 0);
                l.send(out);
            }
            return;
        case Msg::ReqLoginManager:
            return onLoginManager(l, h, body, len);
        case Msg::ReqLogin:
            return onLogin(l, h, body, len);
        case Msg::ReqInitTrader:
            return onInitTrader(l, h, body, len);
        case Msg::Control:
            return onControl(l, h, body, len);
        case Msg::ReqLogout: {
            if (Session* s = sessionOf(l)) s->loggedOut = true;
            return;
        }
        default:
            break;
    }
    Session* s = sessionOf(l);
    if (!s || s->loggedOut) {
        l.drop("request before login");
        l.dropped = true;
        return;
    }
    switch (t) {
        case Msg::ReqInsertOrder:
            return onInsertOrder(l, *s, h, body, len);
        case Msg::ReqCancelOrder:
            return onCancelOrder(l, *s, h, body, len);
        case Msg::ReqTenderOffer:
            return onTenderOffer(l, *s, h, body, len);
        case Msg::ReqWarrantExercise:
            return onWarrantExercise(l, *s, h, body, len);
        case Msg::ReqQryOrder:
            return onQryOrder(l, *s, h, body, len);
        case Msg::ReqQryTrade:
            return onQryTrade(l, *s, h, body, len);
        case Msg::ReqQryPosition:
            return onQryPosition(l, *s, h, body, len);
        case Msg::ReqQryFund:
            return onQryFund(l, *s, h);
        case Msg::ReqQryInOutFundRecord:
            return onQryInOut(l, *s, h);
        case Msg::ReqQryBTFundTransferRecord:
            return onQryTransfers(l, *s, h);
        case Msg::ReqInFund:
            return onInOutFund(l, *s, h, body, len, true);
        case Msg::ReqOutFund:
            return onInOutFund(l, *s, h, body, len, false);
        case Msg::ReqBTFundTransfer:
            return onTransfer(l, *s, h, body, len);
        case Msg::ReqUpdatePwd:
            return onUpdatePwd(l, *s, h, body, len);
        default:
            l.drop("unknown message type " + std::to_string(h.type));
            l.dropped = true;
            return;
    }
}

// ---------------------------------------------------------------- login

void Counter::onLoginManager(Link& l, const Header& h, const uint8_t* body, size_t len) {
    using B = moru_wire::LoginBody;
    using R = moru_wire::LoginRspBody;
    if (len < B::kSize) {
        l.drop("short login");
        l.dropped = true;
        return;
    }
    if (l.sessionId) {
        // One session per connection: a second one would leave the first holding a link it no longer owns.
        std::vector<uint8_t> none(R::kSize, 0);
        reply(l, Msg::RspLoginManager, h.requestId, true, 1006, rspErrorText(1006), &none);
        return;
    }
    std::string acct = moru_wire::fixedText(body + B::kAccount, 16);
    std::string pwd = moru_wire::fixedText(body + B::kPassword, 32);
    int32_t node;
    std::memcpy(&node, body + B::kNode, 4);
    char mk = char(body[B::kMarket]);
    std::vector<uint8_t> rsp(R::kSize, 0);
    int err = 0;
    Account* a = account(acct);
    if (!a)
        err = 1001;
    else if (a->password != pwd)
        err = 1002;
    else if (std::find(a->nodes.begin(), a->nodes.end(), node) == a->nodes.end())
        err = 1003;
    else if (!a->markets.count(mk))
        err = 1004;
    else {
        for (auto& kv : sessions_) {
            const Session& o = kv.second;
            if (o.account == a && o.market == mk && !o.loggedOut && o.links[moru_wire::kLinkTrade])
                err = 1005;
        }
    }
    if (err) {
        reply(l, Msg::RspLoginManager, h.requestId, true, err, rspErrorText(err), &rsp);
        return;
    }
    Session s;
    s.id = nextSession_++;
    s.account = a;
    s.market = mk;
    s.node = node;
    char tok[24];
    std::snprintf(tok, sizeof tok, "S%08d-%06u", s.id, unsigned(nextSysId_ % 1000000));
    s.token = tok;
    s.links[moru_wire::kLinkManager] = l.id;
    l.kind = moru_wire::kLinkManager;
    l.sessionId = s.id;
    moru_wire::putText(rsp.data() + R::kToken, 24, s.token);
    moru_wire::putText(rsp.data() + R::kAccount, 16, a->id);
    rsp[R::kMarket] = uint8_t(mk);
    std::memcpy(rsp.data() + R::kNode, &node, 4);
    moru_wire::putText(rsp.data() + R::kTradingDay, 9, tradingDay_);
    moru_wire::putText(rsp.data() + R::kOrgCode, 5, a->markets[mk].orgCode);
    sessions_[s.id] = s;
    reply(l, Msg::RspLoginManager, h.requestId, true, 0, "", &rsp);
}

void Counter::onLogin(Link& l, const Header& h, const uint8_t* body, size_t len) {
    using B = moru_wire::LoginBody;
    using R = moru_wire::LoginRspBody;
    if (len < B::kSize) {
        l.drop("short login");
        l.dropped = true;
        return;
    }
    if (l.sessionId) {
        // One session per connection: a second one would leave the first holding a link it no longer owns.
        std::vector<uint8_t> none(R::kSize, 0);
        reply(l, Msg::RspLogin, h.requestId, true, 1006, rspErrorText(1006), &none);
        return;
    }
    std::string token = moru_wire::fixedText(body + B::kToken, 24);
    std::vector<uint8_t> rsp(R::kSize, 0);
    Session* s = nullptr;
    for (auto& kv : sessions_)
        if (kv.second.token == token && !kv.second.loggedOut) s = &kv.second;
    if (!s) {
        reply(l, Msg::RspLogin, h.requestId, true, 1001, rspErrorText(1001), &rsp);
        return;
    }
    s->links[moru_wire::kLinkQuery] = l.id;
    l.kind = moru_wire::kLinkQuery;
    l.sessionId = s->id;
    FundAccount& fa = s->account->markets[s->market];
    int32_t maxRef = fa.maxOrderRef;
    std::memcpy(rsp.data() + R::kMaxOrderRef, &maxRef, 4);
    rsp[R::kMarket] = uint8_t(s->market);
    rsp[R::kLoginFlags] = opt_.singleDataReady ? moru_wire::kLoginFlagSingleDataReady : 0;
    int32_t hb = opt_.heartbeatSec;
    std::memcpy(rsp.data() + R::kHeartbeatSec, &hb, 4);
    moru_wire::putText(rsp.data() + R::kToken, 24, s->token);
    moru_wire::putText(rsp.data() + R::kAccount, 16, s->account->id);
    std::memcpy(rsp.data() + R::kNode, &s->node, 4);
    moru_wire::putText(rsp.data() + R::kTradingDay, 9, tradingDay_);
    moru_wire::putText(rsp.data() + R::kOrgCode, 5, fa.orgCode);
    reply(l, Msg::RspLogin, h.requestId, true, 0, "", &rsp);

    // The error table, then the data-ready notifications.
    std::vector<uint8_t> table;
    for (int id : knownErrorIds()) {
        std::string t = fullErrorText(id);
        if (t.size() > 255) t.resize(255);
        uint8_t head[6];
        moru_wire::putU32(head, uint32_t(id));
        head[4] = uint8_t(s->market);
        head[5] = uint8_t(t.size());
        table.insert(table.end(), head, head + 6);
        table.insert(table.end(), t.begin(), t.end());
    }
    std::vector<uint8_t> out;
    moru_wire::appendFrame(out, Msg::ErrorTable, h.requestId, moru_wire::kFlagLast, table.data(),
                           table.size());
    uint8_t ready[moru_wire::kDataReadySize] = {1, 0, 0, 0, 0, 0, 0, 0};
    int count = opt_.singleDataReady ? 1 : 2;
    for (int i = 0; i < count; ++i)
        moru_wire::appendFrame(out, Msg::DataReady, h.requestId, 0, ready, sizeof ready);
    l.send(out);
}

void Counter::onInitTrader(Link& l, const Header& h, const uint8_t* body, size_t len) {
    using B = moru_wire::LoginBody;
    using R = moru_wire::LoginRspBody;
    if (len < B::kSize) {
        l.drop("short login");
        l.dropped = true;
        return;
    }
    if (l.sessionId) {
        // One session per connection: a second one would leave the first holding a link it no longer owns.
        std::vector<uint8_t> none(R::kSize, 0);
        reply(l, Msg::RspInitTrader, h.requestId, true, 1006, rspErrorText(1006), &none);
        return;
    }
    std::string token = moru_wire::fixedText(body + B::kToken, 24);
    std::vector<uint8_t> rsp(R::kSize, 0);
    Session* s = nullptr;
    for (auto& kv : sessions_)
        if (kv.second.token == token && !kv.second.loggedOut) s = &kv.second;
    if (!s) {
        reply(l, Msg::RspInitTrader, h.requestId, true, 1001, rspErrorText(1001), &rsp);
        return;
    }
    s->links[moru_wire::kLinkTrade] = l.id;
    l.kind = moru_wire::kLinkTrade;
    l.sessionId = s->id;
    rsp[R::kMarket] = uint8_t(s->market);
    moru_wire::putText(rsp.data() + R::kToken, 24, s->token);
    moru_wire::putText(rsp.data() + R::kAccount, 16, s->account->id);
    reply(l, Msg::RspInitTrader, h.requestId, true, 0, "", &rsp);
}

// ---------------------------------------------------------------- orders

std::vector<uint8_t> Counter::orderRecord(const Order& o, char mk, size_t size) const {
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
    std::snprintf(no, sizeof no, "%010u", o.sysId);
    b.text(R::OrderNo, 10, no);
    b.put<uint8_t>(R::MsgKind, o.msgKind);
    b.put<uint8_t>(R::SecurityType, o.secType);
    b.put<uint16_t>(R::ErrorCode, o.errorCode);
    b.put<double>(R::TradeAmount, o.tradeAmount);
    b.text(R::OfferorCode, 6, o.offeror);
    return b.bytes();
}

void Counter::sendOrderReturn(const Order& o, char mk, const std::string& text) {
    Link* l = sessionLink(o.sessionId, moru_wire::kLinkTrade);
    if (!l) return;
    std::vector<uint8_t> r = orderRecord(o, mk, rec::OrderRec::kRtnSize);
    // The record's text: ASCII, so every reader shows it the same way.
    size_t n = std::min(text.size(), rec::OrderRec::RtnTextWidth - 1);
    // Past the text the return has nothing of the query record's tail.
    std::memset(r.data() + rec::OrderRec::RtnText, 0, r.size() - rec::OrderRec::RtnText);
    std::memcpy(r.data() + rec::OrderRec::RtnText, text.data(), n);
    reply(*l, Msg::RtnOrder, 0, true, o.errorCode, o.errorCode ? rspErrorText(o.errorCode) : "", &r);
}

static std::string orderText(const Order& o) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s %c %u@%.3f #%u", o.code.c_str(), o.side, o.qty, o.price, o.sysId);
    return buf;
}

void Counter::applyFill(FundAccount& fa, Order& o, Security& sec, double price, uint32_t qty) {
    double amount = price * qty;
    if (sec.type == kRepo) amount = (sec.parValue > 0 ? sec.parValue : 100) * qty;
    double fee = std::round(amount * kFeeRate * 100) / 100;
    Position& pos = fa.positions[o.code];
    if (sideIsBuy(o.side)) {
        double held = o.freezePerUnit * qty;
        fa.frozen -= held;
        fa.available += held - amount - fee;
        fa.todayBuy += amount;
        double costTotal = pos.cost * double(pos.total) + amount + fee;
        pos.total += qty;
        pos.todayBuy += qty;
        pos.cost = pos.total ? costTotal / double(pos.total) : 0;
    } else if (sec.type == kRepo) {
        // Lending money: the cash stays out until the repo matures.
        double held = o.freezePerUnit * qty;
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
    market_.recordTrade(sec, price, qty);

    Trade t;
    t.orderSysId = o.sysId;
    t.tradeId = nextTradeId_++;
    t.code = o.code;
    t.side = o.side;
    t.orderType = o.orderType;
    t.qty = qty;
    t.leaves = o.leaves;
    t.price = price;
    t.time = now9();
    fa.trades.push_back(t);
}

uint32_t Counter::execute(FundAccount& fa, Order& o, Security& sec, double limit, int levels) {
    uint32_t filled = 0;
    bool buy = sideIsBuy(o.side);
    for (int k = 0; k < levels && o.leaves > 0; ++k) {
        double px = buy ? sec.book.ask[k] : sec.book.bid[k];
        uint64_t& vol = buy ? sec.book.askVol[k] : sec.book.bidVol[k];
        if (px <= 0 || vol == 0) continue;
        if (buy ? px > limit + 1e-9 : px < limit - 1e-9) break;
        uint32_t q = uint32_t(std::min<uint64_t>(vol, o.leaves));
        vol -= q;
        applyFill(fa, o, sec, px, q);
        filled += q;
    }
    return filled;
}

void Counter::releaseRemainder(FundAccount& fa, Order& o) {
    if (o.leaves == 0) return;
    Security* sec = market_.find(o.code);
    if (sideIsBuy(o.side) || (sec && sec->type == kRepo)) {
        double held = o.freezePerUnit * o.leaves;
        fa.frozen -= held;
        fa.available += held;
    } else {
        Position& pos = fa.positions[o.code];
        uint64_t q = std::min<uint64_t>(pos.frozen, o.leaves);
        pos.frozen -= q;
        pos.available += q;
    }
    o.status = o.traded ? '5' : '6';
    o.leaves = 0;
    settle(fa);
}

void Counter::onInsertOrder(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len) {
    namespace Q = rec::OrderInsert;
    namespace R = rec::OrderRsp;
    if (len < Q::kMin) {
        l.drop("short order request");
        l.dropped = true;
        return;
    }
    rec::View v(body, len);
    FundAccount& fa = s.account->markets[s.market];
    Order o;
    o.orderRef = v.get<int32_t>(Q::OrderRef);
    o.code = v.text(Q::SecurityID, 8);
    o.side = v.get<char>(Q::Side);
    o.price = v.get<double>(Q::LimitPrice);
    o.qty = v.get<uint32_t>(Q::OrderQty);
    o.orderType = v.get<char>(Q::OrderType);
    o.node = uint8_t(s.node);
    o.recvTime = now9();
    o.sessionId = s.id;
    o.leaves = o.qty;
    fa.maxOrderRef = std::max(fa.maxOrderRef, o.orderRef);

    rec::Buf rsp(R::kInsert);
    rsp.put<int32_t>(R::OrderRef, o.orderRef);
    rsp.text(R::SecurityID, 8, o.code);
    rsp.put<char>(R::Side, o.side);
    rsp.put<double>(R::LimitPrice, o.price);
    rsp.put<uint32_t>(R::OrderQty, o.qty);
    rsp.put<char>(R::OrderType, o.orderType);

    Security* sec = market_.find(o.code);
    int err = 0;
    const std::string shTypes = "12367", szTypes = "1234568";
    bool limitType = o.orderType == '2' || o.orderType == '8';
    if (!sec || sec->market != s.market)
        err = 2001;
    else if (std::string("1234").find(o.side) == std::string::npos || o.side == 0 || o.orderType == 0)
        err = 2010;
    else if ((o.side == '3' || o.side == '4') && !sec->isEtf())
        err = 2008;
    else if (sec->type == kRepo && o.side != '2')
        err = 2010;
    else if ((s.market == '1' ? shTypes : szTypes).find(o.orderType) == std::string::npos)
        err = 2007;
    else if (o.qty == 0)
        err = 2004;
    else if (o.side != '3' && o.side != '4' && limitType &&
             (o.price < sec->lower - 1e-9 || o.price > sec->upper + 1e-9))
        err = 2002;
    else if (o.side != '3' && o.side != '4' && limitType && !sec->onTick(o.price))
        err = 2003;
    else if ((o.side == '1' || sec->type == kRepo) && o.qty % uint32_t(sec->lot) != 0)
        err = 2004;
    else if ((o.side == '3' || o.side == '4') && sec->etfUnit > 0 && o.qty % uint32_t(sec->etfUnit) != 0)
        err = 2004;
    if (!err) {
        double fp = limitType ? o.price : sec->upper;
        if (o.side == '1') {
            o.freezePerUnit = fp * (1 + kFeeRate);
            if (o.freezePerUnit * o.qty > fa.available + 1e-6) err = 2005;
        } else if (sec->type == kRepo) {
            o.freezePerUnit = (sec->parValue > 0 ? sec->parValue : 100) * (1 + kFeeRate);
            if (o.freezePerUnit * o.qty > fa.available + 1e-6) err = 2005;
        } else if (o.side == '2' || o.side == '4') {
            auto it = fa.positions.find(o.code);
            if (it == fa.positions.end() || it->second.available < o.qty) err = 2006;
        } else if (o.side == '3') {
            if (sec->last * o.qty * (1 + kFeeRate) > fa.available + 1e-6) err = 2005;
        }
    }
    o.sysId = nextSysId_++;
    rsp.put<uint32_t>(R::OrderSysID, o.sysId);
    if (err) {
        if (sec) {
            o.secType = sec->type;
            o.status = '9';
            o.errorCode = uint16_t(err);
            fa.orders.push_back(o);
        }
        reply(l, Msg::RspInsertOrder, h.requestId, true, err, rspErrorText(err), &rsp.bytes());
        return;
    }
    o.secType = sec->type;
    o.status = '2';
    reply(l, Msg::RspInsertOrder, h.requestId, true, 0, "", &rsp.bytes());

    if (o.side == '3' || o.side == '4') {
        // Creation and redemption settle at once against the fund's last price.
        Position& pos = fa.positions[o.code];
        double amount = sec->last * o.qty;
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
        Trade t;
        t.orderSysId = o.sysId;
        t.tradeId = nextTradeId_++;
        t.code = o.code;
        t.side = o.side;
        t.orderType = o.orderType;
        t.qty = o.qty;
        t.price = sec->last;
        t.time = now9();
        t.componentCount = 1;
        fa.trades.push_back(t);
        fa.orders.push_back(o);
        sendOrderReturn(o, s.market, orderText(o));
        return;
    }

    // Hold what the order may use.
    if (o.side == '1' || sec->type == kRepo) {
        fa.available -= o.freezePerUnit * o.qty;
        fa.frozen += o.freezePerUnit * o.qty;
    } else {
        Position& pos = fa.positions[o.code];
        pos.available -= o.qty;
        pos.frozen += o.qty;
    }
    bool buy = o.side == '1';
    double bestOpp = buy ? sec->book.ask[0] : sec->book.bid[0];
    double bestOwn = buy ? sec->book.bid[0] : sec->book.ask[0];
    bool rest = false;
    switch (o.orderType) {
        case '2':  // limit: what crosses fills, the rest waits
            execute(fa, o, *sec, o.price, 5);
            rest = o.leaves > 0;
            break;
        case '8':
        case '5': {  // all or nothing
            uint64_t avail = 0;
            double lim = o.orderType == '8' ? o.price : (buy ? 1e18 : 0);
            for (int k = 0; k < 5; ++k) {
                double px = buy ? sec->book.ask[k] : sec->book.bid[k];
                if (px <= 0 || (buy ? px > lim + 1e-9 : px < lim - 1e-9)) break;
                avail += buy ? sec->book.askVol[k] : sec->book.bidVol[k];
            }
            if (avail >= o.qty) execute(fa, o, *sec, lim, 5);
            break;
        }
        case '1':  // best opposite level, the rest as a limit at that price
            if (bestOpp > 0) {
                o.price = bestOpp;
                execute(fa, o, *sec, bestOpp, 1);
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
            execute(fa, o, *sec, buy ? 1e18 : 0, 5);
            break;
        case '7': {  // five levels, the rest as a limit at the last fill
            double before = sec->last;
            execute(fa, o, *sec, buy ? 1e18 : 0, 5);
            if (o.traded > 0 && o.leaves > 0) {
                o.price = sec->last;
                rest = true;
            }
            (void)before;
            break;
        }
        default:
            break;
    }
    if (buy && rest && o.price > 0) {
        // Cash held at the resting price from now on.
        double newPer = o.price * (1 + kFeeRate);
        double diff = (o.freezePerUnit - newPer) * o.leaves;
        fa.frozen -= diff;
        fa.available += diff;
        o.freezePerUnit = newPer;
    }
    if (!rest) releaseRemainder(fa, o);
    fa.orders.push_back(o);
    if (rest) resting_.push_back({s.account->id, s.market, fa.orders.size() - 1});
    sendOrderReturn(fa.orders.back(), s.market, orderText(o));
}

void Counter::matchResting() {
    std::vector<Resting> still;
    for (const auto& r : resting_) {
        Account* a = account(r.account);
        if (!a) continue;
        FundAccount& fa = a->markets[r.market];
        if (r.index >= fa.orders.size()) continue;
        Order& o = fa.orders[r.index];
        if (o.status != '2' && o.status != '7') continue;
        Security* sec = market_.find(o.code);
        if (!sec) continue;
        uint32_t got = execute(fa, o, *sec, o.price, 5);
        if (got) sendOrderReturn(o, r.market, orderText(o));
        if (o.leaves > 0) still.push_back(r);
    }
    resting_.swap(still);
}

void Counter::onCancelOrder(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len) {
    namespace Q = rec::OrderAction;
    if (len < Q::kMin) {
        l.drop("short cancel request");
        l.dropped = true;
        return;
    }
    rec::View v(body, len);
    int32_t ref = v.get<int32_t>(Q::OrderRef);
    uint32_t sysId = v.get<uint32_t>(Q::OrderSysID);
    FundAccount& fa = s.account->markets[s.market];
    fa.maxOrderRef = std::max(fa.maxOrderRef, ref);
    rec::Buf rsp(rec::ActionRsp::kSize);
    rsp.put<int32_t>(rec::ActionRsp::OrderRef, ref);
    rsp.put<uint32_t>(rec::ActionRsp::OrderSysID, sysId);
    Order* target = nullptr;
    for (auto& o : fa.orders)
        if (o.sysId == sysId && o.msgKind == 0x65) target = &o;
    if (!target || (target->status != '2' && target->status != '7') ||
        (target->side != '1' && target->side != '2')) {
        reply(l, Msg::RspCancelOrder, h.requestId, true, 2009, rspErrorText(2009), &rsp.bytes());
        return;
    }
    Order cancel;
    cancel.sysId = nextSysId_++;
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
    cancel.recvTime = now9();
    cancel.sessionId = s.id;
    releaseRemainder(fa, *target);
    Order snapshot = *target;
    fa.orders.push_back(cancel);
    reply(l, Msg::RspCancelOrder, h.requestId, true, 0, "", &rsp.bytes());
    sendOrderReturn(snapshot, s.market, orderText(snapshot));
}

void Counter::onTenderOffer(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len) {
    namespace Q = rec::TenderOffer;
    namespace R = rec::TenderRsp;
    if (len < Q::kMin) {
        l.drop("short tender offer request");
        l.dropped = true;
        return;
    }
    rec::View v(body, len);
    FundAccount& fa = s.account->markets[s.market];
    Order o;
    o.orderRef = v.get<int32_t>(Q::OrderRef);
    o.code = v.text(Q::SecurityID, 8);
    o.side = v.get<char>(Q::Side);
    o.qty = v.get<uint32_t>(Q::OrderQty);
    o.offeror = v.text(Q::OfferorCode, 6);
    o.orderType = '2';
    o.node = uint8_t(s.node);
    o.recvTime = now9();
    o.sessionId = s.id;
    fa.maxOrderRef = std::max(fa.maxOrderRef, o.orderRef);
    rec::Buf rsp(R::kSize);
    rsp.put<int32_t>(R::OrderRef, o.orderRef);
    rsp.text(R::SecurityID, 8, o.code);
    rsp.put<char>(R::Side, o.side);
    rsp.put<uint32_t>(R::OrderQty, o.qty);
    rsp.text(R::OfferorCode, 6, o.offeror);
    Security* sec = market_.find(o.code);
    int err = 0;
    Position* pos = nullptr;
    auto it = fa.positions.find(o.code);
    if (it != fa.positions.end()) pos = &it->second;
    if (!sec || sec->market != s.market)
        err = 2001;
    else if (o.side != '7' && o.side != '8')
        err = 2010;
    else if (sec->offerorCode.empty() || sec->offerorCode != o.offeror)
        err = 2011;
    else if (o.qty == 0)
        err = 2004;
    else if (o.side == '7' && (!pos || pos->available < o.qty))
        err = 2006;
    else if (o.side == '8' && (!pos || pos->tender < o.qty))
        err = 2011;
    o.sysId = nextSysId_++;
    rsp.put<uint32_t>(R::OrderSysID, o.sysId);
    if (err) {
        reply(l, Msg::RspTenderOffer, h.requestId, true, err, rspErrorText(err), &rsp.bytes());
        return;
    }
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
    reply(l, Msg::RspTenderOffer, h.requestId, true, 0, "", &rsp.bytes());
    sendOrderReturn(o, s.market, orderText(o));
}

void Counter::onWarrantExercise(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len) {
    namespace Q = rec::WarrantExercise;
    namespace R = rec::WarrantRsp;
    if (len < Q::kMin) {
        l.drop("short exercise request");
        l.dropped = true;
        return;
    }
    rec::View v(body, len);
    FundAccount& fa = s.account->markets[s.market];
    Order o;
    o.orderRef = v.get<int32_t>(Q::OrderRef);
    o.code = v.text(Q::SecurityID, 8);
    o.side = v.get<char>(Q::Side);
    o.price = v.get<double>(Q::LimitPrice);
    o.qty = v.get<uint32_t>(Q::OrderQty);
    o.orderType = '2';
    o.node = uint8_t(s.node);
    o.recvTime = now9();
    o.sessionId = s.id;
    fa.maxOrderRef = std::max(fa.maxOrderRef, o.orderRef);
    rec::Buf rsp(R::kSize);
    rsp.put<int32_t>(R::OrderRef, o.orderRef);
    rsp.text(R::SecurityID, 8, o.code);
    rsp.put<char>(R::Side, o.side);
    rsp.put<double>(R::LimitPrice, o.price);
    rsp.put<uint32_t>(R::OrderQty, o.qty);
    Security* sec = market_.find(o.code);
    auto it = fa.positions.find(o.code);
    Position* pos = it == fa.positions.end() ? nullptr : &it->second;
    int err = 0;
    double cash = sec ? sec->exercisePrice * o.qty : 0;
    if (!sec || sec->market != s.market)
        err = 2001;
    else if (sec->type != kWarrant || s.market != '2')
        err = 2012;
    else if (o.side != '1')
        err = 2010;
    else if (o.qty == 0)
        err = 2004;
    else if (o.price <= 0)
        err = 2002;
    else if (!pos || pos->available < o.qty)
        err = 2006;
    else if (cash > fa.available + 1e-6)
        err = 2005;
    o.sysId = nextSysId_++;
    rsp.put<uint32_t>(R::OrderSysID, o.sysId);
    if (err) {
        reply(l, Msg::RspWarrantExercise, h.requestId, true, err, rspErrorText(err), &rsp.bytes());
        return;
    }
    // Settles after the close: hold the warrants and the exercise money.
    pos->available -= o.qty;
    pos->frozen += o.qty;
    fa.available -= cash;
    fa.frozen += cash;
    o.secType = sec->type;
    o.status = '2';
    o.leaves = o.qty;
    fa.orders.push_back(o);
    reply(l, Msg::RspWarrantExercise, h.requestId, true, 0, "", &rsp.bytes());
    sendOrderReturn(o, s.market, orderText(o));
}

// ---------------------------------------------------------------- queries

namespace {

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

QueryFilter readQueryFilter(const uint8_t* body, size_t len, const FilterLayout& at) {
    rec::View v(body, len);
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

void Counter::onQryOrder(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len) {
    namespace R = rec::OrderRec;
    if (len < rec::QryOrder::kMin) {
        l.drop("short order query");
        l.dropped = true;
        return;
    }
    namespace Q = rec::QryOrder;
    const QueryFilter q = readQueryFilter(
        body, len,
        {Q::OrderSysID, Q::SecurityID, Q::SecurityWidth, Q::StartTime, Q::EndTime, Q::QueryPosition});
    const FundAccount& fa = s.account->markets[s.market];
    auto match = [&](const Order& o) {
        return (q.sysId == 0 || o.sysId == q.sysId) && (q.code.empty() || o.code == q.code) &&
               inWindow(o.recvTime, q.start, q.end);
    };
    const Page page = pageOf(fa.orders, q.pos, opt_.pageSize, match);
    if (page.rows.empty()) return replyError(l, Msg::RspQryOrder, h.requestId, R::kSize, kNoRecords);
    l.send(
        pageFrames(Msg::RspQryOrder, h.requestId, page, R::kSize, [&](size_t row, int32_t next, bool more) {
            std::vector<uint8_t> r = orderRecord(fa.orders[row], s.market, R::kSize);
            std::memcpy(r.data() + R::NextPosition, &next, 4);
            r[R::HasMore] = more ? 1 : 0;
            return r;
        }));
}

void Counter::onQryTrade(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len) {
    namespace R = rec::TradeRec;
    if (len < rec::QryTrade::kMin) {
        l.drop("short trade query");
        l.dropped = true;
        return;
    }
    namespace Q = rec::QryTrade;
    const QueryFilter q = readQueryFilter(
        body, len,
        {Q::OrderSysID, Q::SecurityID, Q::SecurityWidth, Q::StartTime, Q::EndTime, Q::QueryPosition});
    const FundAccount& fa = s.account->markets[s.market];
    auto match = [&](const Trade& t) {
        return (q.sysId == 0 || t.orderSysId == q.sysId) && (q.code.empty() || t.code == q.code) &&
               inWindow(t.time, q.start, q.end);
    };
    const Page page = pageOf(fa.trades, q.pos, opt_.pageSize, match);
    if (page.rows.empty()) return replyError(l, Msg::RspQryTrade, h.requestId, R::kSize, kNoRecords);
    l.send(
        pageFrames(Msg::RspQryTrade, h.requestId, page, R::kSize, [&](size_t row, int32_t next, bool more) {
            const Trade& t = fa.trades[row];
            rec::Buf b(R::kSize);
            b.put<uint32_t>(R::OrderSysID, t.orderSysId);
            b.put<char>(R::Market, s.market);
            b.put<uint32_t>(R::TradeQty, t.qty);
            b.put<uint32_t>(R::LeavesQty, t.leaves);
            b.text(R::SecurityID, 8, t.code);
            char id[10];
            std::snprintf(id, sizeof id, "%08u", t.tradeId % 100000000u);
            b.text(R::TradeID, 8, id);
            b.text(R::TradeTime, 9, t.time);
            b.put<double>(R::TradePrice, t.price);
            b.put<double>(R::TradeAmount, t.price * t.qty);
            b.put<char>(R::Side, t.side);
            char no[11];
            std::snprintf(no, sizeof no, "%010u", t.orderSysId);
            b.text(R::OrderNo, 10, no);
            b.put<int32_t>(R::NextPosition, next);
            b.put<uint8_t>(R::HasMore, more ? 1 : 0);
            b.put<char>(R::OrderType, t.orderType);
            if (t.componentCount) {
                // Creations settle in cash here: one cash line stands for the basket.
                b.put<int16_t>(R::ComponentCount, int16_t(t.componentCount));
                b.text(R::ComponentSecurityID, 8, t.code);
                b.put<char>(R::ComponentSource, s.market);
                b.put<uint32_t>(R::ComponentTradeQty, t.qty);
                b.put<double>(R::CashReplaceAmount, t.price * t.qty);
            }
            return b.bytes();
        }));
}

void Counter::onQryPosition(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len) {
    namespace Q = rec::QryPosition;
    namespace R = rec::PositionRec;
    if (len < Q::kMin) {
        l.drop("short position query");
        l.dropped = true;
        return;
    }
    rec::View v(body, len);
    std::string code = v.text(Q::SecurityID, Q::SecurityWidth);
    const FundAccount& fa = s.account->markets[s.market];
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
    if (recs.empty()) return replyError(l, Msg::RspQryPosition, h.requestId, R::kSize, kNoRecords);
    for (size_t k = 0; k < recs.size(); ++k)
        reply(l, Msg::RspQryPosition, h.requestId, k + 1 == recs.size(), 0, "", &recs[k]);
}

void Counter::onQryFund(Link& l, Session& s, const Header& h) {
    namespace R = rec::FundRec;
    const FundAccount& fa = s.account->markets[s.market];
    rec::Buf b(R::kSize);
    b.text(R::AccountID, 15, s.account->id);
    b.put<double>(R::FrozenCapital, fa.frozen);
    b.put<double>(R::LockedFee, fa.lockedFee);
    b.put<double>(R::Fee, fa.fee);
    b.put<double>(R::InitialCapital, fa.initial);
    b.put<double>(R::TodaySellAmount, fa.todaySell);
    b.put<double>(R::TodayBuyAmount, fa.todayBuy);
    b.put<double>(R::AvailableCapital, fa.available);
    b.put<double>(R::WithdrawableCapital, fa.withdrawable());
    reply(l, Msg::RspQryFund, h.requestId, true, 0, "", &b.bytes());
}

void Counter::onQryInOut(Link& l, Session& s, const Header& h) {
    namespace R = rec::InOutRec;
    const FundAccount& fa = s.account->markets[s.market];
    if (fa.inOut.empty()) {
        rec::Buf b(R::kSize);
        b.text(R::OrgCode, 4, fa.orgCode);
        b.text(R::AccountID, 15, s.account->id);
        b.put<char>(R::Direction, '0');
        return reply(l, Msg::RspQryInOutFundRecord, h.requestId, true, 0, "", &b.bytes());
    }
    for (size_t k = 0; k < fa.inOut.size(); ++k) {
        const InOutRecord& r = fa.inOut[k];
        rec::Buf b(R::kSize);
        b.text(R::OrgCode, 4, fa.orgCode);
        b.text(R::AccountID, 15, s.account->id);
        b.put<double>(R::Amount, r.amount);
        b.put<char>(R::Direction, r.direction);
        b.text(R::OperTime, 20, r.time);
        reply(l, Msg::RspQryInOutFundRecord, h.requestId, k + 1 == fa.inOut.size(), 0, "", &b.bytes());
    }
}

void Counter::onQryTransfers(Link& l, Session& s, const Header& h) {
    namespace R = rec::BTRec;
    const auto& list = s.account->transfers;
    if (list.empty())
        return replyError(l, Msg::RspQryBTFundTransferRecord, h.requestId, R::kSize, kNoRecords);
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
        reply(l, Msg::RspQryBTFundTransferRecord, h.requestId, k + 1 == list.size(), 0, "", &b.bytes());
    }
}

// ---------------------------------------------------------------- funds

void Counter::onInOutFund(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len, bool in) {
    namespace Q = rec::CapTransfer;
    namespace R = rec::CapTransferRsp;
    Msg type = in ? Msg::RspInFund : Msg::RspOutFund;
    if (len < Q::kMin) {
        l.drop("short fund request");
        l.dropped = true;
        return;
    }
    rec::View v(body, len);
    double amount = v.get<double>(Q::Amount);
    FundAccount& fa = s.account->markets[s.market];
    rec::Buf rsp(R::kSize);
    rsp.text(R::AccountID, 15, s.account->id);
    rsp.put<double>(R::Amount, amount);
    int err = 0;
    if (!(amount > 0) || !std::isfinite(amount) || amount > 1e12)
        err = 3002;
    else if (!in && amount > fa.withdrawable() + 1e-6)
        err = 3001;
    if (!err) {
        fa.available += in ? amount : -amount;
        fa.initial += in ? amount : -amount;
        fa.inOut.push_back({amount, in ? '1' : '2',
                            QDateTime::currentDateTime().toString("yyyyMMdd hh:mm:ss").toStdString()});
    }
    rsp.put<double>(R::Available, fa.available);
    rsp.put<double>(R::Withdrawable, fa.withdrawable());
    reply(l, type, h.requestId, true, err, err ? rspErrorText(err) : "", &rsp.bytes());
}

void Counter::onTransfer(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len) {
    namespace Q = rec::BTTransfer;
    namespace R = rec::BTRsp;
    if (len < Q::kMin) {
        l.drop("short transfer request");
        l.dropped = true;
        return;
    }
    rec::View v(body, len);
    double amount = v.get<double>(Q::Amount);
    char dir = v.get<char>(Q::Direction);
    Account& a = *s.account;
    rec::Buf rsp(R::kRspSize);
    rsp.text(R::AccountID, 15, a.id);
    rsp.put<double>(R::Amount, amount);
    rsp.put<char>(R::Direction, dir);
    int err = 0;
    char from = dir == '1' ? '1' : '2', to = dir == '1' ? '2' : '1';
    if (!(amount > 0) || !std::isfinite(amount) || amount > 1e12)
        err = 3002;
    else if ((dir != '1' && dir != '2') || !a.markets.count(from) || !a.markets.count(to))
        err = 3003;
    else if (amount > a.markets[from].withdrawable() + 1e-6)
        err = 3001;
    if (err) {
        reply(l, Msg::RspBTFundTransfer, h.requestId, true, err, rspErrorText(err), &rsp.bytes());
        return;
    }
    TransferRecord t;
    t.serial = nextSerial_++;
    t.amount = amount;
    t.direction = dir;
    t.time = now9();
    t.status = '1';
    t.orgCode = a.markets[from].orgCode;
    a.transfers.push_back(t);
    // The money leaves at once and arrives when the transfer ends.
    a.markets[from].available -= amount;
    a.markets[from].initial -= amount;
    rsp.put<uint32_t>(R::SerialNo, t.serial);
    rsp.put<char>(R::Status, '1');
    reply(l, Msg::RspBTFundTransfer, h.requestId, true, 0, "", &rsp.bytes());
    uint8_t kind = l.kind;
    int sid = s.id;
    int32_t reqId = h.requestId;
    std::string acct = a.id;
    uint32_t serial = t.serial;
    if (schedule)
        schedule(opt_.transferStepMs,
                 [this, acct, serial, sid, kind, reqId] { advanceTransfer(acct, serial, sid, kind, reqId); });
}

void Counter::advanceTransfer(const std::string& acct, uint32_t serial, int sid, uint8_t kind,
                              int32_t reqId) {
    Account* a = account(acct);
    if (!a) return;
    TransferRecord* t = nullptr;
    for (auto& r : a->transfers)
        if (r.serial == serial) t = &r;
    if (!t || t->status >= '6') return;
    ++t->status;
    if (t->status < '6') {
        if (schedule)
            schedule(opt_.transferStepMs, [this, acct, serial, sid, kind, reqId] {
                advanceTransfer(acct, serial, sid, kind, reqId);
            });
        return;
    }
    char to = t->direction == '1' ? '2' : '1';
    a->markets[to].available += t->amount;
    a->markets[to].initial += t->amount;
    Link* l = sessionLink(sid, kind);
    if (!l) return;
    rec::Buf rtn(rec::BTRsp::kRtnSize);
    rtn.text(rec::BTRsp::AccountID, 15, a->id);
    rtn.put<double>(rec::BTRsp::Amount, t->amount);
    rtn.put<char>(rec::BTRsp::Direction, t->direction);
    rtn.put<uint32_t>(rec::BTRsp::SerialNo, t->serial);
    rtn.put<char>(rec::BTRsp::Status, t->status);
    reply(*l, Msg::RtnBTFundTransfer, reqId, true, 0, "", &rtn.bytes());
}

void Counter::onUpdatePwd(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len) {
    namespace Q = rec::PwdUpdate;
    if (len < Q::kMin) {
        l.drop("short password request");
        l.dropped = true;
        return;
    }
    rec::View v(body, len);
    std::string npw = v.text(Q::NewPassword, Q::NewWidth);
    std::string opw = v.text(Q::OldPassword, Q::OldWidth);
    rec::Buf rsp(rec::PwdRsp::kSize);
    rsp.text(rec::PwdRsp::AccountID, 15, s.account->id);
    int err = 0;
    bool valid = npw.size() >= 6 && npw.size() <= 10 &&
                 std::all_of(npw.begin(), npw.end(), [](char c) { return std::isalnum(uint8_t(c)) != 0; });
    if (opw != s.account->password)
        err = 4001;
    else if (!valid)
        err = 4002;
    else
        s.account->password = npw;
    reply(l, Msg::RspUpdatePwd, h.requestId, true, err, err ? rspErrorText(err) : "", &rsp.bytes());
}

// ---------------------------------------------------------------- control

void Counter::onControl(Link& l, const Header& h, const uint8_t* body, size_t len) {
    using C = moru_wire::ControlBody;
    if (len < C::kSize) {
        l.drop("short control request");
        l.dropped = true;
        return;
    }
    uint8_t cmd = body[C::kCommand];
    int32_t arg;
    std::memcpy(&arg, body + C::kArg, 4);
    std::string acct = moru_wire::fixedText(body + C::kAccount, 16);
    int err = 0;
    auto dropKind = [&](int kind) {
        std::vector<uint64_t> victims;
        for (auto& kv : sessions_) {
            if (!acct.empty() && kv.second.account->id != acct) continue;
            for (int k = 1; k <= 3; ++k)
                if ((kind == 0 || kind == k) && kv.second.links[k]) victims.push_back(kv.second.links[k]);
        }
        for (uint64_t id : victims) {
            auto v = links_.find(id);
            if (v != links_.end() && !v->second->dropped) {
                v->second->drop("dropped on request");
                v->second->dropped = true;
            }
        }
    };
    switch (cmd) {
        case moru_wire::kCtlDropAll:
            dropKind(0);
            break;
        case moru_wire::kCtlDropManager:
            dropKind(moru_wire::kLinkManager);
            break;
        case moru_wire::kCtlDropQuery:
            dropKind(moru_wire::kLinkQuery);
            break;
        case moru_wire::kCtlDropTrade:
            dropKind(moru_wire::kLinkTrade);
            break;
        case moru_wire::kCtlHeartbeatsOff:
            opt_.heartbeatsOff = true;
            break;
        case moru_wire::kCtlHeartbeatsOn:
            opt_.heartbeatsOff = false;
            break;
        case moru_wire::kCtlQuoteGarbage:
        case moru_wire::kCtlQuotePartial:
        case moru_wire::kCtlQuotePublishNow:
            if (quoteControl)
                quoteControl(cmd, arg);
            else
                err = 3003;
            break;
        default:
            err = 2010;
    }
    if (!l.dropped) reply(l, Msg::RspControl, h.requestId, true, err, "", nullptr);
}

}  // namespace sim
