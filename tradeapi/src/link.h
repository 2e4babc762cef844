// One TCP link to the counter: connecting (names resolved, addresses tried in turn), the
// login request, reading frames, a capped outgoing queue and heartbeats.
#ifndef MORU_TRADEAPI_LINK_H
#define MORU_TRADEAPI_LINK_H

#ifndef ASIO_STANDALONE
#define ASIO_STANDALONE
#endif
// Asio picks its handler allocator from what was included before it; fixed here, every file
// frees with the allocator that another file allocated with.
#ifndef ASIO_DISABLE_STD_ALIGNED_ALLOC
#define ASIO_DISABLE_STD_ALIGNED_ALLOC
#endif
#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config.h"
#include "moru_wire.h"

namespace moru {

class Session;

// Requests go out only on a Ready link; the login request only while AwaitingLogin.
enum class LinkState : uint8_t { Connecting, AwaitingLogin, Ready, Closed };

enum class ConnectResult { Connected, TimedOut, Unresolved };

// Bytes a link may hold for a counter that does not read them before it counts as lost.
constexpr size_t kMaxQueuedBytes = 4u << 20;

const char* linkName(uint8_t kind);

class Link : public std::enable_shared_from_this<Link> {
public:
    Link(asio::io_context& io, Session& owner, uint8_t kind);

    // Tries the addresses in turn until one answers or the time-out passes; `done`
    // runs on the link's strand. Unresolved when no name in a whole round resolved.
    void connect(std::vector<Address> addrs, double timeoutSec, std::function<void(ConnectResult)> done);
    // Starts reading and the heartbeat.
    void start(double heartbeatSec, int misses);
    void setHeartbeat(double heartbeatSec);
    // Any thread. False when the link is not Ready or its queue is full.
    bool send(moru_wire::Msg type, int32_t requestId, const void* body, size_t len);
    // Any thread. False unless the link is AwaitingLogin.
    bool sendLogin(moru_wire::Msg type, int32_t requestId, const std::vector<uint8_t>& body);
    // On the link's strand, after its login answer.
    void setReady();
    void closeQuietly();
    // On the link's strand: `onSilence` runs unless answered() comes within `sec`.
    void expectAnswer(double sec, std::function<void()> onSilence);
    void answered() { answerTimer_.cancel(); }
    // Only once the threads have stopped: a last frame, written directly.
    void writeDirect(moru_wire::Msg type);

    LinkState state() const { return state_; }
    uint8_t kind() const { return kind_; }
    const Address& connectedTo() const { return connectedTo_; }

private:
    void attempt();
    void afterFailure();
    void tryEndpoints(std::vector<asio::ip::tcp::endpoint> eps, size_t i);
    void finishConnect(ConnectResult r);
    void readMore();
    void onBytes(size_t n);
    bool enqueue(std::vector<uint8_t> frame);
    void flush();
    void lost(int reason, const std::string& why);
    void shut();
    void armHeartbeat();

    Session& owner_;
    uint8_t kind_;
    asio::strand<asio::io_context::executor_type> strand_;
    asio::ip::tcp::socket sock_;
    asio::ip::tcp::resolver resolver_;
    asio::steady_timer connectTimer_, retryTimer_, heartbeatTimer_, answerTimer_;
    std::vector<Address> addrs_;
    size_t next_ = 0;
    size_t unresolvedInRound_ = 0;
    unsigned connectGen_ = 0;
    std::chrono::steady_clock::time_point deadline_;
    std::function<void(ConnectResult)> done_;
    Address connectedTo_;

    // Bytes are read straight behind those not yet taken as frames: [0, inLen_) of in_.
    std::vector<uint8_t> in_;
    size_t inLen_ = 0;
    std::deque<std::vector<uint8_t>> outq_;
    std::vector<uint8_t> writing_;
    bool writeBusy_ = false;
    std::atomic<size_t> queued_{0};  // bytes posted and not yet written

    std::atomic<LinkState> state_{LinkState::Connecting};
    bool finished_ = false;
    std::chrono::steady_clock::time_point lastRecv_;
    double heartbeatSec_ = 6;
    int misses_ = 3;
};

}  // namespace moru

#endif
