#pragma once

#include <QString>
#include <QVector>

#include "journal/journal_rows.h"

// Realised profit of sales, first in, first out: each sale uses up the oldest bought lots of its
// code first, at their price plus their known fees. What is sold beyond the recorded buys (a
// position held before the journal began) has no known cost: it is counted apart and earns nothing.
// Only buys ('1') and sells ('2') count.
struct ProfitLine {
    QString day;   // empty in per-code totals
    QString code;  // empty in per-day totals
    qint64 soldQty = 0;
    double proceeds = 0;  // matched quantity x sale price
    double cost = 0;      // the lots used up, their fees included
    double fees = 0;      // the sales' own fees, matched part
    double profit = 0;    // proceeds - cost - fees
    qint64 unmatchedQty = 0;
};

namespace RealisedProfit {

// One line per day and code with a sale between from and to ("yyyy-MM-dd", inclusive). `fills` are
// every recorded fill up to `to`, from the first one, in any order: they are put in time order here.
QVector<ProfitLine> perSale(QVector<JournalTrade> fills, const QString& from, const QString& to);

// The lines summed by day, or by code, in day or code order.
QVector<ProfitLine> byDay(const QVector<ProfitLine>& lines);
QVector<ProfitLine> byCode(const QVector<ProfitLine>& lines);

}  // namespace RealisedProfit
