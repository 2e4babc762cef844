// Orders that do not meet the book: tender offer acceptances and withdrawals (Shanghai, on
// a security under offer, with its offeror's code) and warrant exercises (Shenzhen warrants).
#ifndef MORU_SIM_OFF_BOOK_ORDERS_H
#define MORU_SIM_OFF_BOOK_ORDERS_H

#include "ledger.h"
#include "link.h"
#include "market.h"
#include "matching.h"

namespace sim {

class OffBookOrders {
public:
    OffBookOrders(Ledger& ledger, Market& market, Matching& matching)
        : ledger_(ledger), market_(market), matching_(matching) {}

    void onTenderOffer(const Request& r);
    void onWarrantExercise(const Request& r);

private:
    Ledger& ledger_;
    Market& market_;
    Matching& matching_;
};

}  // namespace sim

#endif
