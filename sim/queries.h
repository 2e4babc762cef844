// Every query the terminal makes: orders and trades page by page, positions, funds, the
// deposit/withdrawal and transfer records; and the byte records they are answered with.
#ifndef MORU_SIM_QUERIES_H
#define MORU_SIM_QUERIES_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ledger.h"
#include "link.h"
#include "market.h"
#include "options.h"
#include "sessions.h"

namespace sim {

// An order as the order query shows it; the first `size` bytes (the order return is shorter).
std::vector<uint8_t> orderRecord(const Order& o, char market, size_t size);
std::vector<uint8_t> tradeRecord(const Trade& t, char market);

class Queries {
public:
    Queries(Market& market, const Options& opt) : market_(market), opt_(opt) {}

    void onQryOrder(const Request& r);
    void onQryTrade(const Request& r);
    void onQryPosition(const Request& r);
    void onQryFund(const Request& r);
    void onQryInOut(const Request& r);
    void onQryTransfers(const Request& r);

private:
    Market& market_;
    const Options& opt_;
};

}  // namespace sim

#endif
