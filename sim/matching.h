// Orders against the books the quote port publishes: the checks an order must pass, what
// it holds, its fills level by level, and the orders that rest until the book comes to them.
#ifndef MORU_SIM_MATCHING_H
#define MORU_SIM_MATCHING_H

#include <string>
#include <vector>

#include "ledger.h"
#include "link.h"
#include "market.h"
#include "sessions.h"

namespace sim {

// The error number an order earns as received (0 = accepted), from its security (null when
// unknown), the session's market and the account's funds and positions.
int checkOrder(const Order& o, const Security* sec, char market, const FundAccount& fa);
// Cash held per untraded unit: buys at their price (market types at the upper limit), repo
// lending at par; nothing for the other sides.
double freezePerUnit(const Order& o, const Security& sec);

class Matching {
public:
    Matching(Ledger& ledger, Market& market, Sessions& sessions)
        : ledger_(ledger), market_(market), sessions_(sessions) {}

    void onInsertOrder(const Request& r);
    void onCancelOrder(const Request& r);
    // After each quote step: resting orders meet the new books.
    void matchResting();
    // The order's return on the trade link of the session that placed it, or after a new
    // login of the account's session in that market; only when its status or traded quantity
    // changed since the last one.
    void sendOrderReturn(const Account& account, const Order& o, char market);

private:
    void createOrRedeem(FundAccount& fa, Order& o, const Security& sec);
    void hold(FundAccount& fa, const Order& o, const Security& sec);
    // Fills what the price type allows; true when the rest waits in the book.
    bool run(FundAccount& fa, Order& o, Security& sec);
    uint32_t execute(FundAccount& fa, Order& o, Security& sec, double limit, int levels);
    // Orders of other accounts resting at a price the incoming limit order reaches fill first, at
    // their own price, earliest first.
    void crossResting(FundAccount& fa, Order& o, Security& sec);
    // `tape`: the trade counts in the security's last price and volume (once per trade, not per side).
    void applyFill(FundAccount& fa, Order& o, Security& sec, double price, uint32_t qty, bool tape = true);
    void releaseRemainder(FundAccount& fa, Order& o);

    // Whose order is being matched, so that each fill sends its return.
    struct ReturnTarget {
        const Account* account = nullptr;
        char market = 0;
    };
    ReturnTarget fillReturns_;

    Ledger& ledger_;
    Market& market_;
    Sessions& sessions_;
    struct Resting {
        std::string account;
        char market;
        size_t index;
    };
    std::vector<Resting> resting_;
};

}  // namespace sim

#endif
