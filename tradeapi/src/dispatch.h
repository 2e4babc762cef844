// Turns frames from the counter into callbacks. Every frame is checked against the
// exact size of what it claims to carry before a byte of it is read; a frame that
// fails is refused with a reason and the caller drops the link.
#ifndef MORU_TRADEAPI_DISPATCH_H
#define MORU_TRADEAPI_DISPATCH_H

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "moru_securities_api.h"
#include "moru_wire.h"

namespace moru {

// What the session learns from the three login answers.
struct LoginAnswer {
    int errorId = 0;
    int32_t maxOrderRef = 0;
    char market = 0;
    uint8_t flags = 0;
    int heartbeatSec = 0;
    std::string token;
};

enum class Event {
    None,
    Heartbeat,
    LoginManager,  // answer in LoginAnswer
    Login,
    InitTrader,
    DataReady,
};

class Dispatcher {
public:
    explicit Dispatcher(const CMoruTraderSpi* spi) : spi_(spi) {}

    // Handles one complete frame. Returns false, with `why` set, when the frame must
    // not be trusted; nothing has been called back for it then.
    bool onFrame(const moru_wire::Header& h, const uint8_t* body, size_t len, Event* ev, LoginAnswer* login,
                 std::string* why);

    // Error text the counter handed over after login; "" when unknown. The pointer
    // stays valid for the life of the dispatcher.
    const char* errorText(int id, char market) const;

private:
    bool onErrorTable(const uint8_t* body, size_t len, std::string* why);

    const CMoruTraderSpi* spi_;
    mutable std::mutex tableMutex_;
    std::map<std::pair<char, int>, std::string> table_;
};

}  // namespace moru

#endif
