#include "fake_counter.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace fixture {

using moru_wire::Msg;

FakeCounter::FakeCounter(const Options& o) : opt_(o) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(listenFd_, 16) != 0 || ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &n) != 0)
        return;
    port_ = ntohs(a.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

FakeCounter::~FakeCounter() {
    stop_ = true;
    if (acceptor_.joinable()) acceptor_.join();
    if (listenFd_ >= 0) ::close(listenFd_);
    std::vector<Conn*> all;
    {
        std::lock_guard<std::mutex> lock(mu_);
        for (auto& c : conns_) all.push_back(c.get());
    }
    for (Conn* c : all) {
        ::shutdown(c->fd, SHUT_RDWR);
        if (c->reader.joinable()) c->reader.join();
        ::close(c->fd);
    }
}

void FakeCounter::acceptLoop() {
    while (!stop_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0) continue;
        auto c = std::make_unique<Conn>();
        c->fd = fd;
        Conn* raw = c.get();
        std::lock_guard<std::mutex> lock(mu_);
        conns_.push_back(std::move(c));
        raw->reader = std::thread([this, raw] { readLoop(raw); });
    }
}

void FakeCounter::readLoop(Conn* c) {
    std::vector<uint8_t> in;
    uint8_t buf[64 * 1024];
    while (!stop_) {
        if (!c->reading) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        pollfd p{c->fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        ssize_t n = ::recv(c->fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        in.insert(in.end(), buf, buf + n);
        size_t off = 0;
        for (;;) {
            moru_wire::Header h;
            auto r = moru_wire::decodeHeader(in.data() + off, in.size() - off, h, nullptr);
            if (r == moru_wire::Parse::NeedMore) break;
            if (r == moru_wire::Parse::Bad) {
                in.clear();
                off = 0;
                break;
            }
            onFrame(c, h, in.data() + off + moru_wire::kHeaderSize, h.bodyLen);
            off += moru_wire::kHeaderSize + h.bodyLen;
        }
        in.erase(in.begin(), in.begin() + std::ptrdiff_t(off));
    }
    std::lock_guard<std::mutex> lock(mu_);
    c->closed = true;
}

void FakeCounter::onFrame(Conn* c, const moru_wire::Header& h, const uint8_t* body, size_t len) {
    uint8_t kind = 0;
    {
        std::lock_guard<std::mutex> lock(mu_);
        c->types.push_back(h.type);
        const Msg t = Msg(h.type);
        if ((t == Msg::ReqLoginManager || t == Msg::ReqLogin || t == Msg::ReqInitTrader) &&
            len > moru_wire::LoginBody::kLinkKind && body[moru_wire::LoginBody::kLinkKind] <= 3)
            c->kind = body[moru_wire::LoginBody::kLinkKind];
        kind = c->kind;
    }
    switch (Msg(h.type)) {
        case Msg::Heartbeat:
            write(c, frame(Msg::Heartbeat, {}, 0, 0));
            break;
        case Msg::ReqLoginManager:
            if (opt_.answerLogin[kind]) write(c, loginAnswer(Msg::RspLoginManager));
            break;
        case Msg::ReqLogin:
            if (opt_.answerLogin[kind]) {
                std::vector<uint8_t> out = loginAnswer(Msg::RspLogin, 0, opt_.heartbeatSec);
                if (!opt_.errorTable.empty()) {
                    auto t = frame(Msg::ErrorTable, opt_.errorTable);
                    out.insert(out.end(), t.begin(), t.end());
                }
                for (int i = 0; i < opt_.dataReady; ++i) {
                    auto d = dataReady();
                    out.insert(out.end(), d.begin(), d.end());
                }
                write(c, out);
            }
            break;
        case Msg::ReqInitTrader:
            if (opt_.answerLogin[kind]) write(c, loginAnswer(Msg::RspInitTrader));
            break;
        default:
            if (opt_.answer) {
                const std::vector<uint8_t> out = opt_.answer(h, body, len);
                if (!out.empty()) write(c, out);
            }
            break;
    }
}

void FakeCounter::write(Conn* c, const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> lock(c->writeMu);
    size_t off = 0;
    while (off < bytes.size()) {
        ssize_t n = ::send(c->fd, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
        if (n <= 0) return;
        off += size_t(n);
    }
}

FakeCounter::Conn* FakeCounter::latest(uint8_t kind) const {
    for (auto it = conns_.rbegin(); it != conns_.rend(); ++it)
        if ((*it)->kind == kind) return it->get();
    return nullptr;
}

bool FakeCounter::send(uint8_t kind, const std::vector<uint8_t>& bytes) {
    Conn* c;
    {
        std::lock_guard<std::mutex> lock(mu_);
        c = latest(kind);
    }
    if (!c) return false;
    write(c, bytes);
    return true;
}

void FakeCounter::stopReading(uint8_t kind) {
    std::lock_guard<std::mutex> lock(mu_);
    if (Conn* c = latest(kind)) c->reading = false;
}

int FakeCounter::connections(uint8_t kind) const {
    std::lock_guard<std::mutex> lock(mu_);
    int n = 0;
    for (const auto& c : conns_) n += c->kind == kind;
    return n;
}

std::vector<uint16_t> FakeCounter::received(uint8_t kind) const {
    std::lock_guard<std::mutex> lock(mu_);
    Conn* c = latest(kind);
    return c ? c->types : std::vector<uint16_t>();
}

bool FakeCounter::closed(uint8_t kind) const {
    std::lock_guard<std::mutex> lock(mu_);
    Conn* c = latest(kind);
    return c && c->closed;
}

bool FakeCounter::waitFor(const std::function<bool()>& pred, int ms) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::vector<uint8_t> FakeCounter::frame(Msg type, const std::vector<uint8_t>& body, int32_t requestId,
                                        uint8_t flags) {
    std::vector<uint8_t> f;
    moru_wire::appendFrame(f, type, requestId, flags, body.data(), body.size());
    return f;
}

std::vector<uint8_t> FakeCounter::loginAnswer(Msg type, int32_t error, int32_t heartbeatSec, uint8_t flags) {
    using R = moru_wire::LoginRspBody;
    std::vector<uint8_t> b(moru_wire::kRspInfoSize + R::kSize, 0);
    moru_wire::putU32(b.data(), uint32_t(error));
    uint8_t* p = b.data() + moru_wire::kRspInfoSize;
    moru_wire::putU32(p + R::kMaxOrderRef, 100);
    p[R::kMarket] = '1';
    p[R::kLoginFlags] = flags;
    moru_wire::putU32(p + R::kHeartbeatSec, uint32_t(heartbeatSec));
    moru_wire::putText(p + R::kToken, 24, "T-1");
    moru_wire::putText(p + R::kAccount, 16, "10880001");
    moru_wire::putText(p + R::kTradingDay, 9, "20240102");
    return frame(type, b, 7);
}

std::vector<uint8_t> FakeCounter::dataReady(bool ok) {
    std::vector<uint8_t> b(moru_wire::kDataReadySize, 0);
    b[0] = ok ? 1 : 0;
    return frame(Msg::DataReady, b, 7, 0);
}

std::vector<uint8_t> FakeCounter::response(Msg type, size_t recordSize, int32_t requestId) {
    return frame(type, std::vector<uint8_t>(moru_wire::kRspInfoSize + recordSize, 0), requestId);
}

void FakeCounter::addError(std::vector<uint8_t>& table, int32_t id, char market, const std::string& text) {
    const size_t n = text.size() > 255 ? 255 : text.size();
    uint8_t head[6];
    moru_wire::putU32(head, uint32_t(id));
    head[4] = uint8_t(market);
    head[5] = uint8_t(n);
    table.insert(table.end(), head, head + 6);
    table.insert(table.end(), text.begin(), text.begin() + std::ptrdiff_t(n));
}

}  // namespace fixture
