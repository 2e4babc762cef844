#pragma once

#include <QMetaType>
#include <QString>
#include <QVector>

#include "journal/journal_rows.h"

// What the history page asks the journal for, and what comes back.
struct HistoryQuery {
    enum Kind { Orders, Trades, Funds, Statement, ProfitByDay, ProfitByCode };
    int id = 0;
    Kind kind = Orders;
    QString account;
    QString market;
    QString from;  // "yyyy-MM-dd", inclusive
    QString to;
};

struct HistoryAnswer {
    int id = 0;
    HistoryQuery query;
    QString error;  // empty when the journal answered
    QVector<JournalOrder> orders;
    QVector<JournalTrade> trades;
    QVector<JournalFundMove> funds;
};

// The rows a kind needs: profits start from the first recorded fill, so buys before the range still
// give their cost.
QString historyFirstDay(const HistoryQuery& query);

Q_DECLARE_METATYPE(HistoryQuery)
Q_DECLARE_METATYPE(HistoryAnswer)
