#include "counter.h"

#include <QByteArray>
#include <QFile>
#include <cstdio>
#include <type_traits>

namespace sim {

using moru_wire::Msg;

Counter::Counter(Options opt)
    : opt_(opt),
      sessions_(ledger_, opt_),
      matching_(ledger_, market_, sessions_),
      offBook_(ledger_, market_, matching_),
      queries_(market_, opt_),
      funds_(ledger_, sessions_, opt_, schedule),
      control_(sessions_, opt_, quoteControl),
      routes_(routes()) {}

std::vector<Counter::Route> Counter::routes() {
    using L = moru_wire::LoginBody;
    auto on = [](auto& part, void (std::remove_reference_t<decltype(part)>::*fn)(const Request&)) {
        return [&part, fn](const Request& r) { (part.*fn)(r); };
    };
    return {
        {Msg::Heartbeat, 0, false, "heartbeat", on(control_, &Control::onHeartbeat)},
        {Msg::Control, moru_wire::ControlBody::kSize, false, "control request",
         on(control_, &Control::onControl)},
        {Msg::ReqLoginManager, L::kSize, false, "login", on(sessions_, &Sessions::onLoginManager)},
        {Msg::ReqLogin, L::kSize, false, "login", on(sessions_, &Sessions::onLogin)},
        {Msg::ReqInitTrader, L::kSize, false, "login", on(sessions_, &Sessions::onInitTrader)},
        {Msg::ReqLogout, 0, false, "logout", on(sessions_, &Sessions::onLogout)},
        {Msg::ReqUpdatePwd, rec::PwdUpdate::kMin, true, "password request",
         on(sessions_, &Sessions::onUpdatePwd)},
        {Msg::ReqInsertOrder, rec::OrderInsert::kMin, true, "order request",
         on(matching_, &Matching::onInsertOrder)},
        {Msg::ReqCancelOrder, rec::OrderAction::kMin, true, "cancel request",
         on(matching_, &Matching::onCancelOrder)},
        {Msg::ReqTenderOffer, rec::TenderOffer::kMin, true, "tender offer request",
         on(offBook_, &OffBookOrders::onTenderOffer)},
        {Msg::ReqWarrantExercise, rec::WarrantExercise::kMin, true, "exercise request",
         on(offBook_, &OffBookOrders::onWarrantExercise)},
        {Msg::ReqQryOrder, rec::QryOrder::kMin, true, "order query", on(queries_, &Queries::onQryOrder)},
        {Msg::ReqQryTrade, rec::QryTrade::kMin, true, "trade query", on(queries_, &Queries::onQryTrade)},
        {Msg::ReqQryPosition, rec::QryPosition::kMin, true, "position query",
         on(queries_, &Queries::onQryPosition)},
        {Msg::ReqQryFund, rec::QryFund::kMin, true, "fund query", on(queries_, &Queries::onQryFund)},
        {Msg::ReqQryInOutFundRecord, rec::QryAccountRecords::kMin, true, "fund record query",
         on(queries_, &Queries::onQryInOut)},
        {Msg::ReqQryBTFundTransferRecord, rec::QryAccountRecords::kMin, true, "transfer record query",
         on(queries_, &Queries::onQryTransfers)},
        {Msg::ReqInFund, rec::CapTransfer::kMin, true, "fund request", on(funds_, &Funds::onInFund)},
        {Msg::ReqOutFund, rec::CapTransfer::kMin, true, "fund request", on(funds_, &Funds::onOutFund)},
        {Msg::ReqBTFundTransfer, rec::BTTransfer::kMin, true, "transfer request",
         on(funds_, &Funds::onTransfer)},
    };
}

bool Counter::loadFile(const std::string& path, std::string* err) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) {
        if (err) *err = "cannot be read";
        return false;
    }
    const QByteArray all = f.readAll();
    return loadJson(std::string(all.constData(), size_t(all.size())), err);
}

bool Counter::loadJson(const std::string& utf8Json, std::string* err) {
    return ledger_.loadJson(utf8Json, market_, opt_.seed, err);
}

bool Counter::fillBigAccount(const std::string& account, char market, int n) {
    return ledger_.fillBigAccount(account, market, n, market_);
}

void Counter::dropLink(Link& l, const std::string& why) {
    l.drop(why);
    l.dropped = true;
}

void Counter::onData(Link& l, const uint8_t* data, size_t len) {
    if (l.dropped) return;
    attach(l);
    l.in.insert(l.in.end(), data, data + len);
    size_t off = 0;
    while (!l.dropped) {
        moru_wire::Header h;
        const char* why = nullptr;
        const auto r = moru_wire::decodeHeader(l.in.data() + off, l.in.size() - off, h, &why);
        if (r == moru_wire::Parse::NeedMore) break;
        if (r == moru_wire::Parse::Bad) return dropLink(l, why ? why : "bad frame");
        handle(l, h, l.in.data() + off + moru_wire::kHeaderSize, h.bodyLen);
        off += moru_wire::kHeaderSize + h.bodyLen;
    }
    if (!l.dropped && off) l.in.erase(l.in.begin(), l.in.begin() + long(off));
}

void Counter::handle(Link& l, const moru_wire::Header& h, const uint8_t* body, size_t len) {
    if (opt_.verbose) std::fprintf(stderr, "moru-sim: frame %u len %zu\n", unsigned(h.type), len);
    const Route* route = nullptr;
    for (const Route& r : routes_)
        if (uint16_t(r.msg) == h.type) route = &r;
    if (!route) return dropLink(l, "unknown message type " + std::to_string(h.type));
    Session* s = route->needsSession ? sessions_.of(l) : nullptr;
    if (route->needsSession && !s) return dropLink(l, "request before login");
    if (len < route->minLen) return dropLink(l, std::string("short ") + route->what);
    route->handle(Request{l, s, h, rec::View(body, len)});
}

}  // namespace sim
