// The securities the counter knows, their level-1 books and the random walk that moves them.
#ifndef MORU_SIM_MARKET_H
#define MORU_SIM_MARKET_H

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "quote_record.h"

namespace sim {

// Security types as the terminal's tables name them.
enum SecType : uint8_t {
    kStock = 1,
    kConvertible = 3,
    kStar = 8,
    kChiNext = 14,
    kRepo = 17,
    kEtf = 18,
    kMoneyEtf = 19,
    kBondEtf = 20,
    kCdr = 22,
    kLof = 23,
    kClosedFund = 24,
    kWarrant = 27,
};

struct Book {
    double bid[5] = {};
    double ask[5] = {};
    uint64_t bidVol[5] = {};
    uint64_t askVol[5] = {};
};

struct Security {
    std::string code;
    std::string name;     // UTF-8
    std::string gbkName;  // what goes on the wire
    char market = '1';
    uint8_t type = kStock;
    double preClose = 0, tick = 0.01, upper = 0, lower = 0, limitPct = 0.1;
    int lot = 100;
    int etfUnit = 0;
    std::string offerorCode;
    double exercisePrice = 0;
    double parValue = 0;

    double last = 0, open = 0, high = 0, low = 0;
    uint64_t totalVolume = 0, totalAmount = 0;
    Book book;

    bool isEtf() const { return type == kEtf || type == kMoneyEtf || type == kBondEtf; }
    bool onTick(double price) const;
};

class Market {
public:
    explicit Market(uint32_t seed = 7) : rng_(seed) {}

    Security* find(const std::string& code);
    void add(Security s);  // computes limits and the opening book
    std::vector<Security>& all() { return secs_; }

    // One step of the walk for every security.
    void walk();
    // Rebuilds the five levels on each side around the last price.
    void rebuildBook(Security& s);
    void recordTrade(Security& s, double price, uint64_t qty);

    void quoteRecord(const Security& s, simquote::Level1& out, uint64_t updateTime) const;
    // Every security as frames, ready to write.
    void quoteFrames(std::vector<uint8_t>& out, uint64_t updateTime) const;

    static double roundTo(double price, double tick);

private:
    std::vector<Security> secs_;
    std::map<std::string, size_t> index_;
    std::mt19937 rng_;
};

}  // namespace sim

#endif
