// Fault injection and test hooks, reached by a Control frame without login: drop links,
// stop answering heartbeats, disturb the quote stream. Also the heartbeat answer itself.
#ifndef MORU_SIM_CONTROL_H
#define MORU_SIM_CONTROL_H

#include <cstdint>
#include <functional>
#include <string>

#include "link.h"
#include "options.h"
#include "sessions.h"

namespace sim {

using QuoteControl = std::function<void(int cmd, int arg)>;

class Control {
public:
    Control(Sessions& sessions, Options& opt, const QuoteControl& quoteControl)
        : sessions_(sessions), opt_(opt), quoteControl_(quoteControl) {}

    // Carries out one command; the error number, 0 when done.
    int apply(uint8_t cmd, int32_t arg, const std::string& account);

    void onControl(const Request& r);
    void onHeartbeat(const Request& r);

private:
    // Drops the links of one kind (0 = all) of the account's sessions (every session when empty).
    void dropLinks(int kind, const std::string& account);

    Sessions& sessions_;
    Options& opt_;
    const QuoteControl& quoteControl_;
};

}  // namespace sim

#endif
