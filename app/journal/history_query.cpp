#include "journal/history_query.h"

QString historyFirstDay(const HistoryQuery& query) {
    const bool profit = query.kind == HistoryQuery::ProfitByDay || query.kind == HistoryQuery::ProfitByCode;
    return profit ? QStringLiteral("0000-00-00") : query.from;
}
