#include "user/orderWindow/order_quantities.h"

#include <cmath>

namespace {
constexpr qint64 kDefaultLot = 100;
}  // namespace

qint64 roundDownToLots(qint64 quantity, const BoardRule& rule) {
    if (quantity <= 0) return 0;
    const qint64 minimum = rule.minimumBuy > 0 ? rule.minimumBuy : kDefaultLot;
    const qint64 step = rule.buyStep > 0 ? rule.buyStep : kDefaultLot;
    if (quantity < minimum) return 0;
    return minimum + (quantity - minimum) / step * step;
}

qint64 maxBuyQuantity(double funds, double price, const BoardRule& rule) {
    if (!(price > 0) || !(funds > 0) || !std::isfinite(funds / price)) return 0;
    // A hair under a whole number counts as it: 1000.00 / 10.00 buys 100.
    const double affordable = std::floor(funds / price + 1e-9);
    if (affordable >= 9e15) return 0;
    return roundDownToLots(qint64(affordable), rule);
}

qint64 quickQuantity(qint64 available, int divisor, bool sell, const BoardRule& rule) {
    if (available <= 0 || divisor <= 0) return 0;
    if (sell && divisor == 1) return available;
    return roundDownToLots(available / divisor, rule);
}
