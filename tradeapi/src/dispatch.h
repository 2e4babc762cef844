// Turns frames from the counter into callbacks. Every frame is checked against the
// exact size of what it claims to carry before a byte of it is read; a frame that
// fails is refused with a reason and the caller drops the link. Checking and calling
// back are two steps, so the session can first decide whether the frame fits the
// state of the link it came on.
#ifndef MORU_TRADEAPI_DISPATCH_H
#define MORU_TRADEAPI_DISPATCH_H

#include <cstdint>
#include <string>

#include "moru_securities_api.h"
#include "moru_wire.h"

namespace moru {

// What the session learns from the three login answers and the data-ready notice.
struct LoginAnswer {
    int errorId = 0;  // data-ready: 0 when the counter reports success
    int32_t maxOrderRef = 0;
    char market = 0;
    uint8_t flags = 0;
    int heartbeatSec = 0;
    std::string token;
};

enum class Event {
    Response,  // anything answered through the callback table alone
    Heartbeat,
    LoginManager,  // answer in LoginAnswer
    Login,
    InitTrader,
    DataReady,
    ErrorTable,
};

struct Frame {
    Event event = Event::Response;
    moru_wire::Header h;
    const uint8_t* body = nullptr;
    size_t len = 0;
    LoginAnswer login;
};

class Dispatcher {
public:
    explicit Dispatcher(const CMoruTraderSpi* spi) : spi_(spi) {}

    // Checks one complete frame and reads what the session needs of it; calls nothing
    // back. False, with `why` set, when the frame must not be trusted.
    bool decode(const moru_wire::Header& h, const uint8_t* body, size_t len, Frame* f,
                std::string* why) const;
    // Calls back a decoded frame. Heartbeats and error tables have no callback.
    void deliver(const Frame& f) const;

private:
    bool route(const Frame& f, bool call, std::string* why) const;

    const CMoruTraderSpi* spi_;
};

}  // namespace moru

#endif
