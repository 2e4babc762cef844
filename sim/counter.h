// The simulated counter: takes frames from its links, checks each against a table of the
// messages it serves and hands it to the part that owns it. Transport-free: a Link delivers
// bytes in and takes bytes out, so the same code serves TCP connections and the fuzzers.
#ifndef MORU_SIM_COUNTER_H
#define MORU_SIM_COUNTER_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "control.h"
#include "error_texts.h"
#include "funds.h"
#include "ledger.h"
#include "link.h"
#include "market.h"
#include "matching.h"
#include "options.h"
#include "queries.h"
#include "sessions.h"
#include "off_book_orders.h"

namespace sim {

class Counter {
public:
    explicit Counter(Options opt = {});
    Counter(const Counter&) = delete;
    Counter& operator=(const Counter&) = delete;

    bool loadJson(const std::string& utf8Json, std::string* err);
    bool loadFile(const std::string& path, std::string* err);
    // Starts from another counter's accounts and books as they stand, without its sessions:
    // data loaded once serves many fresh counters.
    void startFrom(const Counter& other) {
        ledger_ = other.ledger_;
        market_ = other.market_;
    }
    // Fills an account with `n` finished orders and their trades.
    bool fillBigAccount(const std::string& account, char market, int n);

    Market& market() { return market_; }
    Options& options() { return opt_; }
    Account* account(const std::string& id) { return ledger_.account(id); }

    // Transport entry points. A link is attached on its first data at the latest, and must be
    // reported closed before it is destroyed.
    void attach(Link& l) { sessions_.attach(l); }
    void onData(Link& l, const uint8_t* data, size_t len);
    void onClosed(Link& l) { sessions_.closed(l); }
    // After each quote step: resting orders meet the new books.
    void matchResting() { matching_.matchResting(); }
    // A control command as if a client had sent one; its error number.
    int control(uint8_t cmd, int32_t arg, const std::string& account) {
        return control_.apply(cmd, arg, account);
    }

    // Set by the server: run `fn` after `ms` milliseconds; quote-port faults.
    Scheduler schedule;
    QuoteControl quoteControl;

private:
    struct Route {
        moru_wire::Msg msg;
        size_t minLen;  // the bytes its handler reads
        bool needsSession;
        const char* what;  // names it when a short one drops the link
        std::function<void(const Request&)> handle;
    };
    std::vector<Route> routes();
    void handle(Link& l, const moru_wire::Header& h, const uint8_t* body, size_t len);
    static void dropLink(Link& l, const std::string& why);

    Options opt_;
    Market market_;
    Ledger ledger_;
    Sessions sessions_;
    Matching matching_;
    OffBookOrders offBook_;
    Queries queries_;
    Funds funds_;
    Control control_;
    std::vector<Route> routes_;
};

}  // namespace sim

#endif
