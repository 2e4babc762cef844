#pragma once

#include <QtGlobal>

#include "user/orderWindow/pretrade_checks.h"

// The quantities offered beside the order form's quantity: what the funds buy, what the position
// sells, and the shares of either that the quick buttons fill in.

// Whole lots of `rule` that `funds` buys at `price`; 0 when the price is not known. Codes without a
// known lot buy whole hundreds.
qint64 maxBuyQuantity(double funds, double price, const BoardRule& rule);

// `quantity` rounded down to what may be bought: whole lots, or at least the minimum then any step.
qint64 roundDownToLots(qint64 quantity, const BoardRule& rule);

// The quantity a quick button fills in: `available` (可买 or 可卖) divided by `divisor` (1 for 全部),
// rounded down to whole lots. Selling all of a position keeps its odd lot, as the exchange allows.
qint64 quickQuantity(qint64 available, int divisor, bool sell, const BoardRule& rule);
