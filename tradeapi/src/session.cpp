#include "session.h"

#include <cstring>

namespace moru {

using moru_wire::Msg;
using Clock = std::chrono::steady_clock;

namespace {

Clock::duration seconds(double s) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
}

const char* linkName(uint8_t kind) {
    switch (kind) {
        case moru_wire::kLinkManager:
            return "manager";
        case moru_wire::kLinkQuery:
            return "query";
        default:
            return "trade";
    }
}

}  // namespace

// ---------------------------------------------------------------- Link

Link::Link(asio::io_context& io, Session& owner, uint8_t kind)
    : owner_(owner),
      kind_(kind),
      strand_(asio::make_strand(io)),
      sock_(strand_),
      connectTimer_(strand_),
      retryTimer_(strand_),
      heartbeatTimer_(strand_),
      answerTimer_(strand_) {}

void Link::connect(std::vector<Address> addrs, double timeoutSec, std::function<void(bool)> done) {
    auto self = shared_from_this();
    asio::post(strand_, [self, addrs = std::move(addrs), timeoutSec, done = std::move(done)]() mutable {
        self->addrs_ = std::move(addrs);
        self->next_ = 0;
        self->done_ = std::move(done);
        self->deadline_ = Clock::now() + seconds(timeoutSec);
        self->attempt();
    });
}

void Link::attempt() {
    if (finished_) return;
    if (Clock::now() >= deadline_ || addrs_.empty()) {
        finished_ = true;
        if (auto d = std::move(done_)) d(false);
        return;
    }
    const Address a = addrs_[next_ % addrs_.size()];
    ++next_;
    asio::error_code ec;
    asio::ip::address ip = asio::ip::make_address(a.host, ec);
    auto retry = [this] {
        // A whole round refused: pause briefly before the next round.
        if (next_ % addrs_.size() != 0) return attempt();
        auto self = shared_from_this();
        retryTimer_.expires_after(std::chrono::milliseconds(50));
        retryTimer_.async_wait([self](const asio::error_code& e) {
            if (!e) self->attempt();
        });
    };
    if (ec) return retry();
    if (sock_.is_open()) sock_.close(ec);
    unsigned gen = ++connectGen_;
    auto self = shared_from_this();
    connectTimer_.expires_at(deadline_);
    connectTimer_.async_wait([self, gen](const asio::error_code& e) {
        if (!e && gen == self->connectGen_) {
            asio::error_code ignore;
            self->sock_.close(ignore);
        }
    });
    sock_.async_connect(asio::ip::tcp::endpoint(ip, a.port),
                        [self, gen, a, retry](const asio::error_code& e) {
                            if (gen != self->connectGen_ || self->finished_) return;
                            ++self->connectGen_;  // the time-out no longer applies
                            self->connectTimer_.cancel();
                            if (e) return retry();
                            asio::error_code ignore;
                            self->sock_.set_option(asio::ip::tcp::no_delay(true), ignore);
                            self->connectedTo_ = a;
                            self->up_ = true;
                            if (auto d = std::move(self->done_)) d(true);
                        });
}

void Link::start(double heartbeatSec, int misses) {
    auto self = shared_from_this();
    asio::dispatch(strand_, [self, heartbeatSec, misses] {
        if (self->finished_) return;
        self->heartbeatSec_ = heartbeatSec;
        self->misses_ = misses;
        self->lastRecv_ = Clock::now();
        self->readMore();
        self->armHeartbeat();
    });
}

void Link::setHeartbeat(double heartbeatSec) {
    auto self = shared_from_this();
    asio::post(strand_, [self, heartbeatSec] { self->heartbeatSec_ = heartbeatSec; });
}

void Link::armHeartbeat() {
    auto self = shared_from_this();
    heartbeatTimer_.expires_after(seconds(heartbeatSec_));
    heartbeatTimer_.async_wait([self](const asio::error_code& e) {
        if (e || self->finished_) return;
        if (Clock::now() - self->lastRecv_ > seconds(self->heartbeatSec_ * self->misses_))
            return self->lost(moru_wire::kReasonHeartbeatTimeout, "no heartbeat from the counter");
        std::vector<uint8_t> f;
        moru_wire::appendFrame(f, Msg::Heartbeat, 0, 0, nullptr, 0);
        self->outq_.push_back(std::move(f));
        self->flush();
        self->armHeartbeat();
    });
}

void Link::readMore() {
    auto self = shared_from_this();
    sock_.async_read_some(asio::buffer(rbuf_), [self](const asio::error_code& e, size_t n) {
        if (self->finished_) return;
        if (e) return self->lost(moru_wire::kReasonReadFailed, "read failed: " + e.message());
        self->onBytes(n);
        if (!self->finished_) self->readMore();
    });
}

void Link::onBytes(size_t n) {
    lastRecv_ = Clock::now();
    in_.insert(in_.end(), rbuf_.data(), rbuf_.data() + n);
    size_t off = 0;
    while (!finished_) {
        moru_wire::Header h;
        const char* why = nullptr;
        auto r = moru_wire::decodeHeader(in_.data() + off, in_.size() - off, h, &why);
        if (r == moru_wire::Parse::NeedMore) break;
        if (r == moru_wire::Parse::Bad) return lost(moru_wire::kReasonBadFrame, why ? why : "bad frame");
        std::string reason;
        if (!owner_.onFrame(*this, h, in_.data() + off + moru_wire::kHeaderSize, h.bodyLen, &reason))
            return lost(moru_wire::kReasonBadFrame, reason);
        off += moru_wire::kHeaderSize + h.bodyLen;
    }
    if (off) in_.erase(in_.begin(), in_.begin() + std::ptrdiff_t(off));
}

bool Link::send(Msg type, int32_t requestId, const void* body, size_t len) {
    if (!up_) return false;
    std::vector<uint8_t> f;
    moru_wire::appendFrame(f, type, requestId, 0, body, len);
    auto self = shared_from_this();
    asio::post(strand_, [self, f = std::move(f)]() mutable {
        if (self->finished_) return;
        self->outq_.push_back(std::move(f));
        self->flush();
    });
    return true;
}

void Link::flush() {
    if (writeBusy_ || outq_.empty() || finished_) return;
    // Everything queued goes out in one write.
    writing_.clear();
    for (auto& f : outq_) writing_.insert(writing_.end(), f.begin(), f.end());
    outq_.clear();
    writeBusy_ = true;
    auto self = shared_from_this();
    asio::async_write(sock_, asio::buffer(writing_), [self](const asio::error_code& e, size_t) {
        self->writeBusy_ = false;
        if (self->finished_) return;
        if (e) return self->lost(moru_wire::kReasonWriteFailed, "write failed: " + e.message());
        self->flush();
    });
}

void Link::lost(int reason, const std::string& why) {
    if (finished_) return;
    finished_ = true;
    bool wasUp = up_.exchange(false);
    asio::error_code ignore;
    sock_.close(ignore);
    connectTimer_.cancel();
    heartbeatTimer_.cancel();
    retryTimer_.cancel();
    answerTimer_.cancel();
    if (wasUp) owner_.onLinkLost(*this, reason, why);
}

void Link::expectAnswer(double sec, std::function<void()> onSilence) {
    auto self = shared_from_this();
    answerTimer_.expires_after(seconds(sec));
    answerTimer_.async_wait([self, f = std::move(onSilence)](const asio::error_code& e) {
        if (!e && !self->finished_) f();
    });
}

void Link::closeQuietly() {
    auto self = shared_from_this();
    asio::post(strand_, [self] {
        self->finished_ = true;
        self->up_ = false;
        asio::error_code ignore;
        self->sock_.close(ignore);
        self->connectTimer_.cancel();
        self->heartbeatTimer_.cancel();
        self->retryTimer_.cancel();
        self->answerTimer_.cancel();
    });
}

void Link::writeDirect(Msg type) {
    if (!up_ || !sock_.is_open()) return;
    std::vector<uint8_t> f;
    moru_wire::appendFrame(f, type, 0, 0, nullptr, 0);
    // Never waits: a counter that stopped reading does not hold up the release.
    asio::error_code ignore;
    sock_.non_blocking(true, ignore);
    sock_.write_some(asio::buffer(f), ignore);
    sock_.close(ignore);
    up_ = false;
}

// ---------------------------------------------------------------- Session

Session::Session(int entryNo) : entryNo_(entryNo), work_(asio::make_work_guard(io_)) {
    for (uint8_t k = 1; k <= 3; ++k) links_[k] = std::make_shared<Link>(io_, *this, k);
}

Session::~Session() {
    stop();
    for (auto& l : links_) l.reset();
}

void Session::setSpi(const CMoruTraderSpi& spi) {
    std::lock_guard<std::mutex> lock(mu_);
    if (!loginStarted_) spi_ = spi;
}

bool Session::onOwnThread() const {
    for (const auto& t : threads_)
        if (t.get_id() == std::this_thread::get_id()) return true;
    return false;
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

int Session::login(const Config& cfg, const std::string& account, const std::string& password, int node,
                   char market, int requestId) {
    {
        std::lock_guard<std::mutex> lock(mu_);
        if (loginStarted_ || stopping_) return -3;
        loginStarted_ = true;
        cfg_ = cfg;
        account_ = account;
        password_ = password;
        node_ = node;
        market_ = market;
        loginRequestId_ = requestId;
    }
    // Three threads: callbacks of different links may run at the same time.
    for (int i = 0; i < 3; ++i) threads_.emplace_back([this] { io_.run(); });
    startLink(moru_wire::kLinkManager, cfg.manager);
    return 0;
}

void Session::startLink(uint8_t kind, const std::vector<Address>& addrs) {
    double timeout;
    {
        std::lock_guard<std::mutex> lock(mu_);
        timeout = cfg_.connectTimeoutSec;
    }
    links_[kind]->connect(addrs, timeout, [this, kind](bool ok) { onConnected(kind, ok); });
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

void Session::onConnected(uint8_t kind, bool ok) {
    if (stopping_) return;
    if (!ok) return failStep(kind, "连接柜台超时，请检查柜台地址");
    Link& l = *links_[kind];
    apiMsg(MORU_API_MSG_INFO, std::string(linkName(kind)) + " link connected to " + l.connectedTo().host +
                                  ":" + std::to_string(l.connectedTo().port));
    if (kind == moru_wire::kLinkManager && spi_.onFrontManagerQueryConnect) spi_.onFrontManagerQueryConnect();
    std::vector<uint8_t> body;
    double hb;
    int misses;
    {
        std::lock_guard<std::mutex> lock(mu_);
        body = loginBody(kind);
        hb = cfg_.heartbeatSec;
        misses = cfg_.heartbeatMisses;
    }
    l.start(hb, misses);
    double timeout;
    {
        std::lock_guard<std::mutex> lock(mu_);
        timeout = cfg_.connectTimeoutSec;
    }
    // A counter that takes the connection but never answers the login ends it too.
    l.expectAnswer(timeout, [this, kind] { failStep(kind, "柜台未应答登录请求"); });
    Msg type = kind == moru_wire::kLinkManager ? Msg::ReqLoginManager
               : kind == moru_wire::kLinkQuery ? Msg::ReqLogin
                                               : Msg::ReqInitTrader;
    l.send(type, loginRequestId_, body.data(), body.size());
}

void Session::closeAllQuietly() {
    for (uint8_t k = 1; k <= 3; ++k) links_[k]->closeQuietly();
}

bool Session::onFrame(Link& l, const moru_wire::Header& h, const uint8_t* body, size_t len,
                      std::string* why) {
    if (stopping_) return true;
    Event ev;
    LoginAnswer a;
    if (!dispatcher_.onFrame(h, body, len, &ev, &a, why)) return false;
    if (ev == Event::LoginManager || ev == Event::Login || ev == Event::InitTrader) l.answered();
    switch (ev) {
        case Event::LoginManager:
            if (a.errorId) return closeAllQuietly(), true;
            {
                std::lock_guard<std::mutex> lock(mu_);
                token_ = a.token;
            }
            startLink(moru_wire::kLinkQuery, cfg_.query);
            break;
        case Event::Login:
            if (a.errorId) return closeAllQuietly(), true;
            {
                std::lock_guard<std::mutex> lock(mu_);
                dataReadyNeeded_ = (a.flags & moru_wire::kLoginFlagSingleDataReady) ? 1 : 2;
                dataReadySeen_ = 0;
                if (a.heartbeatSec > 0) cfg_.heartbeatSec = a.heartbeatSec;
            }
            if (a.heartbeatSec > 0)
                for (uint8_t k = 1; k <= 3; ++k) links_[k]->setHeartbeat(a.heartbeatSec);
            break;
        case Event::DataReady: {
            // The trade link follows once the counter's data is ready.
            bool go;
            std::vector<Address> addrs;
            {
                std::lock_guard<std::mutex> lock(mu_);
                if (a.errorId == 0) ++dataReadySeen_;
                go = dataReadySeen_ == dataReadyNeeded_;
                addrs = cfg_.trade.empty() ? std::vector<Address>{l.connectedTo()} : cfg_.trade;
            }
            if (go) startLink(moru_wire::kLinkTrade, addrs);
            break;
        }
        case Event::InitTrader:
            if (a.errorId) closeAllQuietly();
            break;
        default:
            break;
    }
    return true;
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

bool Session::stop() {
    if (onOwnThread()) return false;
    if (stopped_.exchange(true)) return true;
    stopping_ = true;
    work_.reset();
    io_.stop();
    for (auto& t : threads_) t.join();
    threads_.clear();
    // Tell the counter we are leaving, so it can take our next login at once.
    if (links_[moru_wire::kLinkManager]) links_[moru_wire::kLinkManager]->writeDirect(Msg::ReqLogout);
    return true;
}

}  // namespace moru
