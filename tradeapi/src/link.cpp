#include "link.h"

#include <algorithm>
#include <cstring>

#include "resolver.h"
#include "session.h"

namespace moru {

using moru_wire::Msg;
using Clock = std::chrono::steady_clock;

namespace {

// Callers keep `s` within the range the configuration accepts, so this never overflows.
Clock::duration seconds(double s) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
}

}  // namespace

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

Link::Link(asio::io_context& io, Session& owner, uint8_t kind)
    : owner_(owner),
      kind_(kind),
      strand_(asio::make_strand(io)),
      sock_(strand_),
      resolver_(strand_),
      connectTimer_(strand_),
      retryTimer_(strand_),
      heartbeatTimer_(strand_),
      answerTimer_(strand_) {}

// ---------------------------------------------------------------- connecting

void Link::connect(std::vector<Address> addrs, double timeoutSec, std::function<void(ConnectResult)> done) {
    auto self = shared_from_this();
    asio::post(strand_, [self, addrs = std::move(addrs), timeoutSec, done = std::move(done)]() mutable {
        self->addrs_ = std::move(addrs);
        self->next_ = 0;
        self->unresolvedInRound_ = 0;
        self->done_ = std::move(done);
        self->deadline_ = Clock::now() + seconds(timeoutSec);
        // The deadline ends whatever is under way: a resolution or a connect.
        self->connectTimer_.expires_at(self->deadline_);
        self->connectTimer_.async_wait([self](const asio::error_code& e) {
            if (e || self->finished_ || self->state_ != LinkState::Connecting) return;
            ++self->connectGen_;
            self->resolver_.cancel();
            self->finishConnect(ConnectResult::TimedOut);
        });
        self->attempt();
    });
}

void Link::attempt() {
    if (finished_) return;
    if (Clock::now() >= deadline_ || addrs_.empty()) return finishConnect(ConnectResult::TimedOut);
    const Address a = addrs_[next_ % addrs_.size()];
    ++next_;
    unsigned gen = ++connectGen_;
    auto self = shared_from_this();
    resolveAddress(resolver_, a, [self, gen, a](Endpoints eps, std::string why) {
        if (gen != self->connectGen_ || self->finished_) return;
        if (eps.empty()) {
            ++self->unresolvedInRound_;
            self->owner_.apiMsg(MORU_API_MSG_ERROR, std::string(linkName(self->kind_)) +
                                                        " link: cannot resolve " + a.host + ": " + why);
            return self->afterFailure();
        }
        self->tryEndpoints(std::move(eps), 0);
    });
}

void Link::afterFailure() {
    if (next_ % addrs_.size() != 0) return attempt();
    // A whole round failed. When not one name resolved, waiting longer will not help.
    if (unresolvedInRound_ == addrs_.size()) return finishConnect(ConnectResult::Unresolved);
    unresolvedInRound_ = 0;
    auto self = shared_from_this();
    retryTimer_.expires_after(std::chrono::milliseconds(50));
    retryTimer_.async_wait([self](const asio::error_code& e) {
        if (!e) self->attempt();
    });
}

void Link::tryEndpoints(std::vector<asio::ip::tcp::endpoint> eps, size_t i) {
    if (finished_) return;
    if (i >= eps.size()) return afterFailure();
    asio::error_code ignore;
    if (sock_.is_open()) sock_.close(ignore);
    unsigned gen = ++connectGen_;
    auto self = shared_from_this();
    asio::ip::tcp::endpoint ep = eps[i];
    sock_.async_connect(ep, [self, gen, eps = std::move(eps), i](const asio::error_code& e) mutable {
        if (gen != self->connectGen_ || self->finished_) return;
        if (e) return self->tryEndpoints(std::move(eps), i + 1);
        asio::error_code ignore;
        self->sock_.set_option(asio::ip::tcp::no_delay(true), ignore);
        self->connectedTo_ = self->addrs_[(self->next_ - 1) % self->addrs_.size()];
        self->state_ = LinkState::AwaitingLogin;
        self->finishConnect(ConnectResult::Connected);
    });
}

void Link::finishConnect(ConnectResult r) {
    ++connectGen_;
    connectTimer_.cancel();
    retryTimer_.cancel();
    if (r != ConnectResult::Connected) {
        finished_ = true;
        state_ = LinkState::Closed;
        asio::error_code ignore;
        sock_.close(ignore);
    }
    if (auto d = std::move(done_)) d(r);
}

// ---------------------------------------------------------------- reading and heartbeats

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
        if (!self->enqueue(std::move(f))) return;
        self->armHeartbeat();
    });
}

void Link::readMore() {
    // Room for a good share of a page of answers in each read.
    constexpr size_t kReadRoom = 256 * 1024;
    if (in_.size() - inLen_ < kReadRoom) in_.resize(inLen_ + kReadRoom);
    auto self = shared_from_this();
    sock_.async_read_some(
        asio::buffer(in_.data() + inLen_, in_.size() - inLen_), [self](const asio::error_code& e, size_t n) {
            if (self->finished_) return;
            if (e) return self->lost(moru_wire::kReasonReadFailed, "read failed: " + e.message());
            self->onBytes(n);
            if (!self->finished_) self->readMore();
        });
}

void Link::onBytes(size_t n) {
    lastRecv_ = Clock::now();
    inLen_ += n;
    size_t off = 0;
    while (!finished_) {
        moru_wire::Header h;
        const char* why = nullptr;
        auto r = moru_wire::decodeHeader(in_.data() + off, inLen_ - off, h, &why);
        if (r == moru_wire::Parse::NeedMore) break;
        if (r == moru_wire::Parse::Bad) return lost(moru_wire::kReasonBadFrame, why ? why : "bad frame");
        std::string reason;
        if (!owner_.onFrame(*this, h, in_.data() + off + moru_wire::kHeaderSize, h.bodyLen, &reason))
            return lost(moru_wire::kReasonBadFrame, reason);
        off += moru_wire::kHeaderSize + h.bodyLen;
    }
    // Only the start of a frame is left to move.
    if (off && !finished_) {
        std::memmove(in_.data(), in_.data() + off, inLen_ - off);
        inLen_ -= off;
    }
}

// ---------------------------------------------------------------- writing

bool Link::send(Msg type, int32_t requestId, const void* body, size_t len) {
    if (state_ != LinkState::Ready) return false;
    std::vector<uint8_t> f;
    moru_wire::appendFrame(f, type, requestId, 0, body, len);
    return enqueue(std::move(f));
}

bool Link::sendLogin(Msg type, int32_t requestId, const std::vector<uint8_t>& body) {
    if (state_ != LinkState::AwaitingLogin) return false;
    std::vector<uint8_t> f;
    moru_wire::appendFrame(f, type, requestId, 0, body.data(), body.size());
    return enqueue(std::move(f));
}

bool Link::enqueue(std::vector<uint8_t> f) {
    const size_t n = f.size();
    auto self = shared_from_this();
    if (queued_.fetch_add(n) + n > kMaxQueuedBytes) {
        queued_ -= n;
        asio::post(strand_, [self] {
            self->lost(moru_wire::kReasonSendQueueFull,
                       "the counter does not read: " + std::to_string(kMaxQueuedBytes) + " bytes waiting");
        });
        return false;
    }
    asio::post(strand_, [self, f = std::move(f)]() mutable {
        if (self->finished_) {
            self->queued_ -= f.size();
            return;
        }
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
        self->queued_ -= self->writing_.size();
        if (self->finished_) return;
        if (e) return self->lost(moru_wire::kReasonWriteFailed, "write failed: " + e.message());
        self->flush();
    });
}

// ---------------------------------------------------------------- state and closing

void Link::setReady() {
    if (!finished_) state_ = LinkState::Ready;
}

void Link::shut() {
    finished_ = true;
    state_ = LinkState::Closed;
    asio::error_code ignore;
    sock_.close(ignore);
    resolver_.cancel();
    connectTimer_.cancel();
    heartbeatTimer_.cancel();
    retryTimer_.cancel();
    answerTimer_.cancel();
    outq_.clear();
}

void Link::lost(int reason, const std::string& why) {
    if (finished_) return;
    const LinkState was = state_;
    shut();
    if (was == LinkState::AwaitingLogin || was == LinkState::Ready) owner_.onLinkLost(*this, reason, why);
}

void Link::expectAnswer(double sec, std::function<void()> onSilence) {
    auto self = shared_from_this();
    answerTimer_.expires_after(seconds(sec));
    answerTimer_.async_wait([self, f = std::move(onSilence)](const asio::error_code& e) {
        if (!e && !self->finished_) f();
    });
}

void Link::closeQuietly() {
    state_ = LinkState::Closed;  // requests fail from now on, not once the strand gets to it
    auto self = shared_from_this();
    asio::post(strand_, [self] { self->shut(); });
}

void Link::writeDirect(Msg type) {
    const LinkState s = state_;
    if ((s != LinkState::AwaitingLogin && s != LinkState::Ready) || !sock_.is_open()) return;
    std::vector<uint8_t> f;
    moru_wire::appendFrame(f, type, 0, 0, nullptr, 0);
    // Never waits: a counter that stopped reading does not hold up the release.
    asio::error_code ignore;
    sock_.non_blocking(true, ignore);
    sock_.write_some(asio::buffer(f), ignore);
    sock_.close(ignore);
    state_ = LinkState::Closed;
}

}  // namespace moru
