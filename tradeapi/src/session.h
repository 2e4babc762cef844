// One API entry: three links to the counter (manager, query, trade), the login
// sequence across them, heartbeats and the threads that run it all.
#ifndef MORU_TRADEAPI_SESSION_H
#define MORU_TRADEAPI_SESSION_H

#ifndef ASIO_STANDALONE
#define ASIO_STANDALONE
#endif
#include <array>
#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "config.h"
#include "dispatch.h"
#include "moru_securities_api.h"
#include "moru_wire.h"

namespace moru {

class Session;

class Link : public std::enable_shared_from_this<Link> {
public:
    Link(asio::io_context& io, Session& owner, uint8_t kind);

    // Tries the addresses in turn until one answers or the time-out passes; `done`
    // runs on the link's strand.
    void connect(std::vector<Address> addrs, double timeoutSec, std::function<void(bool)> done);
    // Starts reading and the heartbeat.
    void start(double heartbeatSec, int misses);
    void setHeartbeat(double heartbeatSec);
    // Any thread. False when the link is not up.
    bool send(moru_wire::Msg type, int32_t requestId, const void* body, size_t len);
    void closeQuietly();
    // On the link's strand: `onSilence` runs unless answered() comes within `sec`.
    void expectAnswer(double sec, std::function<void()> onSilence);
    void answered() { answerTimer_.cancel(); }
    // Only once the threads have stopped: a last frame, written directly.
    void writeDirect(moru_wire::Msg type);

    bool up() const { return up_; }
    uint8_t kind() const { return kind_; }
    const Address& connectedTo() const { return connectedTo_; }

private:
    void attempt();
    void readMore();
    void onBytes(size_t n);
    void flush();
    void lost(int reason, const std::string& why);
    void armHeartbeat();

    Session& owner_;
    uint8_t kind_;
    asio::strand<asio::io_context::executor_type> strand_;
    asio::ip::tcp::socket sock_;
    asio::steady_timer connectTimer_, retryTimer_, heartbeatTimer_, answerTimer_;
    std::vector<Address> addrs_;
    size_t next_ = 0;
    unsigned connectGen_ = 0;
    std::chrono::steady_clock::time_point deadline_;
    std::function<void(bool)> done_;
    Address connectedTo_;

    std::array<uint8_t, 64 * 1024> rbuf_;
    std::vector<uint8_t> in_;
    std::deque<std::vector<uint8_t>> outq_;
    std::vector<uint8_t> writing_;
    bool writeBusy_ = false;

    std::atomic<bool> up_{false};
    bool finished_ = false;
    std::chrono::steady_clock::time_point lastRecv_;
    double heartbeatSec_ = 6;
    int misses_ = 3;
};

class Session {
public:
    explicit Session(int entryNo);
    ~Session();

    void setSpi(const CMoruTraderSpi& spi);
    int login(const Config& cfg, const std::string& account, const std::string& password, int node,
              char market, int requestId);
    int request(uint8_t linkKind, moru_wire::Msg type, int requestId, const void* rec, size_t len);
    const char* errorText(int id, char market) const { return dispatcher_.errorText(id, market); }
    // Closes the links and joins the threads. False when called on one of our own threads.
    bool stop();
    bool onOwnThread() const;

    // From the links, on their strands.
    bool onFrame(Link& l, const moru_wire::Header& h, const uint8_t* body, size_t len, std::string* why);
    void onLinkLost(Link& l, int reason, const std::string& why);
    void apiMsg(int level, const std::string& text);

private:
    void startLink(uint8_t kind, const std::vector<Address>& addrs);
    void onConnected(uint8_t kind, bool ok);
    void failStep(uint8_t kind, const char* text);
    void closeAllQuietly();
    std::vector<uint8_t> loginBody(uint8_t kind) const;

    int entryNo_;
    CMoruTraderSpi spi_{};
    Dispatcher dispatcher_{&spi_};
    asio::io_context io_;
    asio::executor_work_guard<asio::io_context::executor_type> work_;
    std::shared_ptr<Link> links_[4];
    std::vector<std::thread> threads_;

    mutable std::mutex mu_;
    Config cfg_;
    std::string account_, password_, token_;
    int node_ = 0;
    char market_ = '0';
    int loginRequestId_ = 0;
    int dataReadyNeeded_ = 2, dataReadySeen_ = 0;
    bool loginStarted_ = false;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> stopped_{false};
};

// Error id of the library's own refusals (no counter within the time-out).
constexpr int kErrNoCounter = 9001;

}  // namespace moru

#endif
