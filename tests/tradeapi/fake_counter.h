// A counter on a loopback socket that a test scripts: it answers the three logins the right way
// (or holds an answer back), answers heartbeats, records what it receives, and lets the test send
// any frame on any link or stop reading one.
#ifndef MORU_TESTS_FAKE_COUNTER_H
#define MORU_TESTS_FAKE_COUNTER_H

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "moru_wire.h"

namespace fixture {

class FakeCounter {
public:
    struct Options {
        bool answerLogin[4] = {false, true, true, true};  // by link kind
        int32_t heartbeatSec = 0;                         // in the query login answer
        std::vector<uint8_t> errorTable;                  // sent after it when not empty
        int dataReady = 2;
        // Bytes to send back for any other request (nothing when empty); runs on the link's reader.
        std::function<std::vector<uint8_t>(const moru_wire::Header&, const uint8_t* body, size_t len)> answer;
    };

    explicit FakeCounter(const Options& o);
    FakeCounter() : FakeCounter(Options()) {}
    ~FakeCounter();
    FakeCounter(const FakeCounter&) = delete;
    FakeCounter& operator=(const FakeCounter&) = delete;

    int port() const { return port_; }
    // Writes bytes to the latest connection of a link kind; false when there is none.
    bool send(uint8_t kind, const std::vector<uint8_t>& bytes);
    // The latest connection of a link kind is no longer read.
    void stopReading(uint8_t kind);

    // Connections of a link kind so far (known from their login request).
    int connections(uint8_t kind) const;
    // Message types received on the latest connection of a kind, in order.
    std::vector<uint16_t> received(uint8_t kind) const;
    // True once the latest connection of a kind was closed by the other side.
    bool closed(uint8_t kind) const;
    // Waits until `pred` holds, at most `ms` milliseconds.
    bool waitFor(const std::function<bool()>& pred, int ms);

    static std::vector<uint8_t> frame(moru_wire::Msg type, const std::vector<uint8_t>& body,
                                      int32_t requestId = 1, uint8_t flags = moru_wire::kFlagLast);
    // A login answer of `type` with the response info and the login record.
    static std::vector<uint8_t> loginAnswer(moru_wire::Msg type, int32_t error = 0, int32_t heartbeatSec = 0,
                                            uint8_t flags = 0);
    static std::vector<uint8_t> dataReady(bool ok = true);
    // A response of `type` whose body is the response info and a zeroed record of `recordSize` bytes.
    static std::vector<uint8_t> response(moru_wire::Msg type, size_t recordSize, int32_t requestId = 1);
    // One error-table entry, appended to `table`.
    static void addError(std::vector<uint8_t>& table, int32_t id, char market, const std::string& text);

private:
    struct Conn {
        int fd = -1;
        uint8_t kind = 0;
        std::atomic<bool> reading{true};
        bool closed = false;
        std::vector<uint16_t> types;
        std::mutex writeMu;
        std::thread reader;
    };

    void acceptLoop();
    void readLoop(Conn* c);
    void onFrame(Conn* c, const moru_wire::Header& h, const uint8_t* body, size_t len);
    void write(Conn* c, const std::vector<uint8_t>& bytes);
    Conn* latest(uint8_t kind) const;

    Options opt_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread acceptor_;
    mutable std::mutex mu_;
    std::vector<std::unique_ptr<Conn>> conns_;
};

}  // namespace fixture

#endif
