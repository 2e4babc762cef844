#include "session.h"

#include <algorithm>
#include <cstring>

#include "signal_stack.h"

namespace moru {

using moru_wire::Msg;

namespace {

// The session whose io thread this is; null on every other thread.
thread_local const Session* t_session = nullptr;

Event loginAnswerOf(uint8_t kind) {
    switch (kind) {
        case moru_wire::kLinkManager:
            return Event::LoginManager;
        case moru_wire::kLinkQuery:
            return Event::Login;
        default:
            return Event::InitTrader;
    }
}

}  // namespace

Session::Session(int entryNo) : entryNo_(entryNo), work_(asio::make_work_guard(io_)) {
    for (uint8_t k = 1; k <= 3; ++k) links_[k] = std::make_shared<Link>(io_, *this, k);
}

Session::~Session() {
    stop();
    for (auto& l : links_) l.reset();
}

void Session::setSpi(const CMoruTraderSpi& spi) {
    std::lock_guard<std::mutex> lock(lifeMu_);
    if (!loginStarted_) spi_ = spi;
}

bool Session::onLibraryThread() {
    return t_session != nullptr;
}

void Session::apiMsg(int level, const std::string& text) {
    if (spi_.onApiMsg) spi_.onApiMsg(level, "%s", text.c_str());
}

std::vector<uint8_t> Session::loginBody(uint8_t kind) const {
    using B = moru_wire::LoginBody;
    std::vector<uint8_t> b(B::kSize, 0);
    moru_wire::putText(b.data() + B::kAccount, 16, account_);
    moru_wire::putText(b.data() + B::kPassword, 32, password_);
    int32_t node = node_;
    std::memcpy(b.data() + B::kNode, &node, 4);
    b[B::kMarket] = uint8_t(market_);
    b[B::kLinkKind] = kind;
    moru_wire::putText(b.data() + B::kToken, 24, token_);
    moru_wire::putText(b.data() + B::kAppId, 32, cfg_.appId);
    return b;
}

// ---------------------------------------------------------------- life

int Session::login(const Config& cfg, const std::string& account, const std::string& password, int node,
                   char market, int requestId) {
    {
        std::lock_guard<std::mutex> life(lifeMu_);
        if (loginStarted_ || stopping_) return -3;
        loginStarted_ = true;
        {
            std::lock_guard<std::mutex> lock(mu_);
            cfg_ = cfg;
            account_ = account;
            password_ = password;
            node_ = node;
            market_ = market;
            loginRequestId_ = requestId;
        }
        // Three threads: callbacks of different links may run at the same time.
        for (int i = 0; i < 3; ++i)
            threads_.emplace_back([this] {
                ensureSignalStack();
                t_session = this;
                io_.run();
            });
    }
    startLink(moru_wire::kLinkManager, cfg.manager);
    return 0;
}

bool Session::stop() {
    if (t_session == this) return false;  // a thread cannot wait for itself
    std::lock_guard<std::mutex> whole(stopMu_);
    if (stopped_) return true;
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> life(lifeMu_);
        stopping_ = true;
        threads.swap(threads_);
    }
    work_.reset();
    io_.stop();
    for (auto& t : threads) t.join();
    // Tell the counter we are leaving, so it can take our next login at once.
    links_[moru_wire::kLinkManager]->writeDirect(Msg::ReqLogout);
    stopped_ = true;
    return true;
}

// ---------------------------------------------------------------- connecting

void Session::startLink(uint8_t kind, const std::vector<Address>& addrs) {
    double timeout;
    {
        std::lock_guard<std::mutex> lock(mu_);
        timeout = cfg_.connectTimeoutSec;
    }
    links_[kind]->connect(addrs, timeout, [this, kind](ConnectResult r) { onConnected(kind, r); });
}

void Session::failStep(uint8_t kind, const char* text) {
    if (stopping_) return;
    CMoruRspInfo info;
    std::memset(&info, 0, sizeof info);
    info.ErrorID = kErrNoCounter;
    moru_wire::putText(reinterpret_cast<uint8_t*>(info.ErrorMsg), sizeof info.ErrorMsg, text);
    apiMsg(MORU_API_MSG_ERROR, std::string(linkName(kind)) + " link: " + text);
    int req = loginRequestId_;
    if (kind == moru_wire::kLinkManager && spi_.onRspLoginManager) {
        CMoruRspUserLoginManagerField f;
        std::memset(&f, 0, sizeof f);
        spi_.onRspLoginManager(&f, &info, req, true);
    } else if (kind == moru_wire::kLinkQuery && spi_.onRspLogin) {
        CMoruRspUserLoginField f;
        std::memset(&f, 0, sizeof f);
        spi_.onRspLogin(&f, &info, req, true);
    } else if (kind == moru_wire::kLinkTrade && spi_.onRspInitTrader) {
        CMoruRspInitTraderField f;
        std::memset(&f, 0, sizeof f);
        spi_.onRspInitTrader(&f, &info, req, true);
    }
    closeAllQuietly();
}

void Session::onConnected(uint8_t kind, ConnectResult r) {
    if (stopping_) return;
    if (r == ConnectResult::Unresolved) return failStep(kind, "无法解析柜台地址，请检查柜台地址");
    if (r == ConnectResult::TimedOut) return failStep(kind, "连接柜台超时，请检查柜台地址");
    Link& l = *links_[kind];
    apiMsg(MORU_API_MSG_INFO, std::string(linkName(kind)) + " link connected to " + l.connectedTo().host +
                                  ":" + std::to_string(l.connectedTo().port));
    if (kind == moru_wire::kLinkManager && spi_.onFrontManagerQueryConnect) spi_.onFrontManagerQueryConnect();
    std::vector<uint8_t> body;
    double hb, timeout;
    int misses;
    {
        std::lock_guard<std::mutex> lock(mu_);
        body = loginBody(kind);
        hb = cfg_.heartbeatSec;
        misses = cfg_.heartbeatMisses;
        timeout = cfg_.connectTimeoutSec;
    }
    l.start(hb, misses);
    // A counter that takes the connection but never answers the login ends it too.
    l.expectAnswer(timeout, [this, kind] { failStep(kind, "柜台未应答登录请求"); });
    Msg type = kind == moru_wire::kLinkManager ? Msg::ReqLoginManager
               : kind == moru_wire::kLinkQuery ? Msg::ReqLogin
                                               : Msg::ReqInitTrader;
    l.sendLogin(type, loginRequestId_, body);
}

void Session::closeAllQuietly() {
    for (uint8_t k = 1; k <= 3; ++k) links_[k]->closeQuietly();
}

// ---------------------------------------------------------------- frames

bool Session::onFrame(Link& l, const moru_wire::Header& h, const uint8_t* body, size_t len,
                      std::string* why) {
    if (stopping_) return true;
    Frame f;
    if (!dispatcher_.decode(h, body, len, &f, why)) return false;
    if (f.event == Event::Heartbeat) return true;
    std::string out = misfit(l, f);
    if (!out.empty()) {
        apiMsg(MORU_API_MSG_ERROR, std::string(linkName(l.kind())) + " link: ignored a frame of type " +
                                       std::to_string(h.type) + ": " + out);
        return true;
    }
    switch (f.event) {
        case Event::LoginManager:
        case Event::Login:
        case Event::InitTrader:
            onLoginAnswer(l, f);
            break;
        case Event::DataReady:
            onDataReady(l, f);
            break;
        case Event::ErrorTable:
            onErrorTable(f);
            break;
        default:
            dispatcher_.deliver(f);
            break;
    }
    return true;
}

std::string Session::misfit(const Link& l, const Frame& f) const {
    const LinkState state = l.state();
    if (state == LinkState::Closed) return "the link is closing";
    if (f.event == Event::LoginManager || f.event == Event::Login || f.event == Event::InitTrader) {
        if (f.event != loginAnswerOf(l.kind())) return "the login answer of another link";
        if (state != LinkState::AwaitingLogin) return "the link is not waiting for a login answer";
        return {};
    }
    if (state != LinkState::Ready) return "the link has no login answer yet";
    if (f.event == Event::DataReady) {
        if (l.kind() != moru_wire::kLinkQuery) return "data-ready belongs to the query link";
        std::lock_guard<std::mutex> lock(mu_);
        if (tradeStarted_) return "the data was ready already";
    }
    if (f.event == Event::ErrorTable) {
        if (l.kind() != moru_wire::kLinkQuery) return "the error table belongs to the query link";
        if (errors_.accepted()) return "the error table came already";
    }
    return {};
}

void Session::onLoginAnswer(Link& l, const Frame& f) {
    l.answered();
    const LoginAnswer& a = f.login;
    if (a.errorId) {
        dispatcher_.deliver(f);
        closeAllQuietly();
        return;
    }
    // Ready before the callback, which may send its first request at once.
    l.setReady();
    if (l.kind() == moru_wire::kLinkManager) {
        std::vector<Address> query;
        {
            std::lock_guard<std::mutex> lock(mu_);
            token_ = a.token;
            query = cfg_.query;
        }
        dispatcher_.deliver(f);
        startLink(moru_wire::kLinkQuery, query);
        return;
    }
    if (l.kind() == moru_wire::kLinkQuery && a.heartbeatSec > 0) {
        // Kept to what the configuration accepts; an interval of years would overflow the time-outs.
        double hb = std::min(std::max(double(a.heartbeatSec), kMinHeartbeatSec), kMaxHeartbeatSec);
        if (hb != a.heartbeatSec)
            apiMsg(MORU_API_MSG_ERROR, "query link: the counter's heartbeat interval of " +
                                           std::to_string(a.heartbeatSec) + " s taken as " +
                                           std::to_string(int(hb)) + " s");
        {
            std::lock_guard<std::mutex> lock(mu_);
            cfg_.heartbeatSec = hb;
        }
        for (uint8_t k = 1; k <= 3; ++k) links_[k]->setHeartbeat(hb);
    }
    if (l.kind() == moru_wire::kLinkQuery) {
        std::lock_guard<std::mutex> lock(mu_);
        dataReadyNeeded_ = (a.flags & moru_wire::kLoginFlagSingleDataReady) ? 1 : 2;
        dataReadySeen_ = 0;
    }
    dispatcher_.deliver(f);
}

void Session::onDataReady(Link& l, const Frame& f) {
    dispatcher_.deliver(f);
    if (f.login.errorId) return;
    // The trade link follows once the counter's data is ready.
    bool go;
    std::vector<Address> addrs;
    {
        std::lock_guard<std::mutex> lock(mu_);
        go = ++dataReadySeen_ == dataReadyNeeded_;
        if (go) tradeStarted_ = true;
        addrs = cfg_.trade.empty() ? std::vector<Address>{l.connectedTo()} : cfg_.trade;
    }
    if (go) startLink(moru_wire::kLinkTrade, addrs);
}

void Session::onErrorTable(const Frame& f) {
    std::string note;
    errors_.accept(f.body, f.len, &note);
    if (!note.empty()) apiMsg(MORU_API_MSG_ERROR, "query link: " + note);
}

void Session::onLinkLost(Link& l, int reason, const std::string& why) {
    if (stopping_) return;
    apiMsg(MORU_API_MSG_ERROR, std::string(linkName(l.kind())) + " link lost: " + why);
    switch (l.kind()) {
        case moru_wire::kLinkManager:
            if (spi_.onFrontManagerQueryDisconnected) spi_.onFrontManagerQueryDisconnected(reason);
            break;
        case moru_wire::kLinkQuery:
            if (spi_.onFrontQueryDisconnected) spi_.onFrontQueryDisconnected(reason);
            break;
        default:
            if (spi_.onFrontTradeDisconnected) spi_.onFrontTradeDisconnected(reason);
            break;
    }
}

int Session::request(uint8_t linkKind, Msg type, int requestId, const void* rec, size_t len) {
    if (!rec) return -2;
    if (stopping_ || linkKind < 1 || linkKind > 3) return -1;
    return links_[linkKind]->send(type, requestId, rec, len) ? 0 : -3;
}

}  // namespace moru
