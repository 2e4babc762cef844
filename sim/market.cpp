#include "market.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace sim {

double Market::roundTo(double price, double tick) {
    return std::round(price / tick) * tick;
}

bool Security::onTick(double price) const {
    double steps = price / tick;
    return std::fabs(steps - std::round(steps)) < 1e-6;
}

Security* Market::find(const std::string& code) {
    auto it = index_.find(code);
    return it == index_.end() ? nullptr : &secs_[it->second];
}

void Market::add(Security s) {
    if (s.tick <= 0) s.tick = 0.01;
    s.preClose = roundTo(s.preClose, s.tick);
    if (s.limitPct <= 0) {
        // No daily limit: a wide band keeps the checks simple.
        s.upper = roundTo(s.preClose * 10, s.tick);
        s.lower = s.tick;
    } else {
        s.upper = roundTo(s.preClose * (1 + s.limitPct), s.tick);
        s.lower = roundTo(s.preClose * (1 - s.limitPct), s.tick);
    }
    s.last = s.open = s.high = s.low = s.preClose;
    index_[s.code] = secs_.size();
    secs_.push_back(std::move(s));
    rebuildBook(secs_.back());
}

void Market::rebuildBook(Security& s) {
    std::uniform_int_distribution<int> vol(1, 50);
    for (int k = 0; k < 5; ++k) {
        double b = roundTo(s.last - s.tick * (k + 1), s.tick);
        double a = roundTo(s.last + s.tick * (k + 1), s.tick);
        // Levels beyond the limits do not exist.
        s.book.bid[k] = b >= s.lower - 1e-9 ? b : 0;
        s.book.ask[k] = a <= s.upper + 1e-9 ? a : 0;
        s.book.bidVol[k] = s.book.bid[k] > 0 ? uint64_t(vol(rng_)) * uint64_t(s.lot) : 0;
        s.book.askVol[k] = s.book.ask[k] > 0 ? uint64_t(vol(rng_)) * uint64_t(s.lot) : 0;
    }
}

void Market::recordTrade(Security& s, double price, uint64_t qty) {
    s.last = price;
    s.high = std::max(s.high, price);
    s.low = std::min(s.low, price);
    s.totalVolume += qty;
    s.totalAmount += uint64_t(std::llround(price * double(qty)));
}

void Market::walk() {
    std::uniform_int_distribution<int> step(-2, 2);
    std::uniform_int_distribution<int> vol(1, 20);
    for (auto& s : secs_) {
        double next = roundTo(s.last + s.tick * step(rng_), s.tick);
        next = std::min(std::max(next, s.lower), s.upper);
        s.last = next;
        s.high = std::max(s.high, next);
        s.low = std::min(s.low, next);
        uint64_t v = uint64_t(vol(rng_)) * uint64_t(s.lot);
        s.totalVolume += v;
        s.totalAmount += uint64_t(std::llround(next * double(v)));
        rebuildBook(s);
    }
}

void Market::quoteRecord(const Security& s, simquote::Level1& q, uint64_t updateTime) const {
    std::memset(&q, 0, sizeof q);
    q.LastPrice = s.last;
    q.OpenPrice = s.open;
    q.HighPrice = s.high;
    q.LowPrice = s.low;
    q.UpperLimitPrice = s.upper;
    q.LowerLimitPrice = s.lower;
    q.PreClosePrice = s.preClose;
    for (int k = 0; k < 5; ++k) {
        q.BidPrice[k] = s.book.bid[k];
        q.AskPrice[k] = s.book.ask[k];
        q.BidVolume[k] = s.book.bidVol[k];
        q.AskVolume[k] = s.book.askVol[k];
    }
    std::strncpy(q.SecurityID, s.code.c_str(), sizeof q.SecurityID - 1);
    std::memcpy(q.SecurityName, s.gbkName.data(), std::min(s.gbkName.size(), sizeof q.SecurityName - 1));
    q.UpdateTime = updateTime;
    q.TotalVolume = s.totalVolume;
    q.TotalAmount = s.totalAmount;
}

void Market::quoteFrames(std::vector<uint8_t>& out, uint64_t updateTime) const {
    out.resize(secs_.size() * simquote::kFrameSize);
    uint8_t* p = out.data();
    for (const auto& s : secs_) {
        int32_t type = simquote::kMsgTypeLevel1;
        std::memcpy(p, &type, 4);
        simquote::Level1 q;
        quoteRecord(s, q, updateTime);
        std::memcpy(p + 4, &q, sizeof q);
        p += simquote::kFrameSize;
    }
}

}  // namespace sim
