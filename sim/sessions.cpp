#include "sessions.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "error_texts.h"
#include "reply.h"

namespace sim {

using moru_wire::Msg;

void Sessions::attach(Link& l) {
    if (l.id) return;
    l.id = nextLinkId_++;
    links_[l.id] = &l;
}

void Sessions::closed(Link& l) {
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

Session* Sessions::of(const Link& l) {
    auto it = sessions_.find(l.sessionId);
    return it == sessions_.end() || it->second.loggedOut ? nullptr : &it->second;
}

Link* Sessions::link(int sessionId, uint8_t kind) {
    auto it = sessions_.find(sessionId);
    if (it == sessions_.end() || kind > 3) return nullptr;
    auto l = links_.find(it->second.links[kind]);
    return l != links_.end() && !l->second->dropped ? l->second : nullptr;
}

Link* Sessions::linkFor(int sessionId, const Account* account, char market, uint8_t kind) {
    if (Link* l = link(sessionId, kind)) return l;
    for (const auto& kv : sessions_) {
        const Session& s = kv.second;
        if (s.loggedOut || s.account != account || (market && s.market != market)) continue;
        if (Link* l = link(s.id, kind)) return l;
    }
    return nullptr;
}

std::vector<Link*> Sessions::links(const std::string& account, int kind) {
    std::vector<Link*> out;
    for (auto& kv : sessions_) {
        if (!account.empty() && kv.second.account->id != account) continue;
        for (int k = 1; k <= 3; ++k) {
            auto l = links_.find(kv.second.links[k]);
            if ((kind == 0 || kind == k) && l != links_.end()) out.push_back(l->second);
        }
    }
    return out;
}

int Sessions::checkCredentials(const std::string& acct, const std::string& pwd, int node, char mk) {
    const Account* found = ledger_.account(acct);
    if (!found) return err::kUnknownAccount;
    const Account& a = *found;
    if (a.password != pwd) return err::kWrongPassword;
    if (std::find(a.nodes.begin(), a.nodes.end(), node) == a.nodes.end()) return err::kBadNode;
    if (!a.markets.count(mk)) return err::kMarketNotOpen;
    for (const auto& kv : sessions_) {
        const Session& o = kv.second;
        if (o.account == &a && o.market == mk && !o.loggedOut && o.links[moru_wire::kLinkTrade])
            return err::kAlreadyLoggedIn;
    }
    return 0;
}

Session* Sessions::byToken(const std::string& token) {
    for (auto& kv : sessions_)
        if (kv.second.token == token && !kv.second.loggedOut) return &kv.second;
    return nullptr;
}

// One session per connection: a second would leave the first holding a link it no longer owns.
bool Sessions::refuseSecondLogin(const Request& r, Msg answerType) {
    if (!r.link.sessionId) return false;
    answerError(r.link, answerType, r.header.requestId, moru_wire::LoginRspBody::kSize, err::kLinkHasSession);
    return true;
}

void Sessions::join(Session& s, Link& l, uint8_t kind) {
    s.links[kind] = l.id;
    l.kind = kind;
    l.sessionId = s.id;
}

std::vector<uint8_t> Sessions::loginAnswer(const Session& s) const {
    using R = moru_wire::LoginRspBody;
    std::vector<uint8_t> rsp(R::kSize, 0);
    moru_wire::putText(rsp.data() + R::kToken, 24, s.token);
    moru_wire::putText(rsp.data() + R::kAccount, 16, s.account->id);
    rsp[R::kMarket] = uint8_t(s.market);
    std::memcpy(rsp.data() + R::kNode, &s.node, 4);
    moru_wire::putText(rsp.data() + R::kTradingDay, 9, ledger_.tradingDay());
    moru_wire::putText(rsp.data() + R::kOrgCode, 5, s.funds().orgCode);
    return rsp;
}

void Sessions::onLoginManager(const Request& r) {
    using B = moru_wire::LoginBody;
    if (refuseSecondLogin(r, Msg::RspLoginManager)) return;
    const std::string acct = r.body.text(B::kAccount, 16);
    const int32_t node = r.body.get<int32_t>(B::kNode);
    const char mk = r.body.get<char>(B::kMarket);
    const int e = checkCredentials(acct, r.body.text(B::kPassword, 32), node, mk);
    if (e)
        return answerError(r.link, Msg::RspLoginManager, r.header.requestId, moru_wire::LoginRspBody::kSize,
                           e);
    Session s;
    s.id = nextSession_++;
    s.account = ledger_.account(acct);
    s.market = mk;
    s.node = node;
    char tok[24];
    std::snprintf(tok, sizeof tok, "S%08d-%06u", s.id, unsigned(ledger_.peekSysId() % 1000000));
    s.token = tok;
    Session& stored = sessions_[s.id] = s;
    join(stored, r.link, moru_wire::kLinkManager);
    answer(r.link, Msg::RspLoginManager, r.header.requestId, 0, loginAnswer(stored));
}

void Sessions::onLogin(const Request& r) {
    using R = moru_wire::LoginRspBody;
    if (refuseSecondLogin(r, Msg::RspLogin)) return;
    Session* s = byToken(r.body.text(moru_wire::LoginBody::kToken, 24));
    if (!s) return answerError(r.link, Msg::RspLogin, r.header.requestId, R::kSize, err::kUnknownAccount);
    join(*s, r.link, moru_wire::kLinkQuery);
    std::vector<uint8_t> rsp = loginAnswer(*s);
    const int32_t maxRef = s->funds().maxOrderRef;
    std::memcpy(rsp.data() + R::kMaxOrderRef, &maxRef, 4);
    rsp[R::kLoginFlags] = opt_.singleDataReady ? moru_wire::kLoginFlagSingleDataReady : 0;
    const int32_t hb = opt_.heartbeatSec;
    std::memcpy(rsp.data() + R::kHeartbeatSec, &hb, 4);
    answer(r.link, Msg::RspLogin, r.header.requestId, 0, rsp);

    // The error table, then the data-ready notifications.
    const std::vector<uint8_t> table = errorTable(s->market);
    std::vector<uint8_t> out;
    moru_wire::appendFrame(out, Msg::ErrorTable, r.header.requestId, moru_wire::kFlagLast, table.data(),
                           table.size());
    const uint8_t ready[moru_wire::kDataReadySize] = {1, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < (opt_.singleDataReady ? 1 : 2); ++i)
        moru_wire::appendFrame(out, Msg::DataReady, r.header.requestId, 0, ready, sizeof ready);
    r.link.send(out);
}

std::vector<uint8_t> Sessions::errorTable(char market) const {
    std::vector<uint8_t> table;
    for (int id : knownErrorIds()) {
        std::string t = fullErrorText(id);
        if (t.size() > 255) t.resize(255);
        uint8_t head[6];
        moru_wire::putU32(head, uint32_t(id));
        head[4] = uint8_t(market);
        head[5] = uint8_t(t.size());
        table.insert(table.end(), head, head + 6);
        table.insert(table.end(), t.begin(), t.end());
    }
    return table;
}

void Sessions::onInitTrader(const Request& r) {
    using R = moru_wire::LoginRspBody;
    if (refuseSecondLogin(r, Msg::RspInitTrader)) return;
    Session* s = byToken(r.body.text(moru_wire::LoginBody::kToken, 24));
    if (!s)
        return answerError(r.link, Msg::RspInitTrader, r.header.requestId, R::kSize, err::kUnknownAccount);
    join(*s, r.link, moru_wire::kLinkTrade);
    std::vector<uint8_t> rsp(R::kSize, 0);
    rsp[R::kMarket] = uint8_t(s->market);
    moru_wire::putText(rsp.data() + R::kToken, 24, s->token);
    moru_wire::putText(rsp.data() + R::kAccount, 16, s->account->id);
    answer(r.link, Msg::RspInitTrader, r.header.requestId, 0, rsp);
}

void Sessions::onLogout(const Request& r) {
    if (Session* s = of(r.link)) s->loggedOut = true;
}

void Sessions::onUpdatePwd(const Request& r) {
    namespace Q = rec::PwdUpdate;
    Account& a = *r.session->account;
    const std::string npw = r.body.text(Q::NewPassword, Q::NewWidth);
    rec::Buf rsp(rec::PwdRsp::kSize);
    rsp.text(rec::PwdRsp::AccountID, 15, a.id);
    const bool valid = npw.size() >= 6 && npw.size() <= 10 && std::all_of(npw.begin(), npw.end(), [](char c) {
                           return std::isalnum(uint8_t(c)) != 0;
                       });
    int e = 0;
    if (r.body.text(Q::OldPassword, Q::OldWidth) != a.password)
        e = err::kOldPasswordWrong;
    else if (!valid)
        e = err::kBadNewPassword;
    else
        a.password = npw;
    answer(r.link, Msg::RspUpdatePwd, r.header.requestId, e, rsp.bytes());
}

}  // namespace sim
