#pragma once

#include <QString>
#include <QVector>

#include "journal/journal_rows.h"

// A day's statement: every fill with its amount, fee (where the counter gave one) and the cash it
// moved, then one closing line with the day's fund movements and its net cash flow.
struct StatementLine {
    QString day;
    bool closing = false;
    const JournalTrade* fill = nullptr;  // fill lines: the fill, owned by the caller's vector
    double amount = 0;                   // price x quantity
    double fee = 0;
    bool hasFee = false;
    double cash = 0;  // fill: + for a sale, - for a buy; closing: the day's net, fund movements included
    double buys = 0;  // closing line only
    double sells = 0;
    double deposits = 0;
    double withdrawals = 0;
    double transfers = 0;  // net into this market's counter
};

namespace DailyStatement {

// Days in order; within a day fills in time order. `market` tells which way a transfer moved the
// cash. The lines point into `fills`, which must outlive them.
QVector<StatementLine> build(const QVector<JournalTrade>& fills, const QVector<JournalFundMove>& funds,
                             const QString& market);

}  // namespace DailyStatement
