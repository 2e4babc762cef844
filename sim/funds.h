// Money in and out of an account: deposits and withdrawals with their records, and transfers
// between the Shanghai and Shenzhen counters, answered at once and reported when they end.
#ifndef MORU_SIM_FUNDS_H
#define MORU_SIM_FUNDS_H

#include <cstdint>
#include <functional>
#include <string>

#include "ledger.h"
#include "link.h"
#include "options.h"
#include "sessions.h"

namespace sim {

using Scheduler = std::function<void(int ms, std::function<void()> fn)>;

class Funds {
public:
    Funds(Ledger& ledger, Sessions& sessions, const Options& opt, const Scheduler& schedule)
        : ledger_(ledger), sessions_(sessions), opt_(opt), schedule_(schedule) {}

    void onInFund(const Request& r) { inOut(r, true); }
    void onOutFund(const Request& r) { inOut(r, false); }
    void onTransfer(const Request& r);

private:
    void inOut(const Request& r, bool in);
    // One status step of a transfer; the last one moves the money and reports it.
    void advanceTransfer(const std::string& account, uint32_t serial, int sessionId, uint8_t linkKind,
                         int32_t requestId);
    void later(const std::string& account, uint32_t serial, int sessionId, uint8_t linkKind,
               int32_t requestId);

    Ledger& ledger_;
    Sessions& sessions_;
    const Options& opt_;
    const Scheduler& schedule_;
};

}  // namespace sim

#endif
