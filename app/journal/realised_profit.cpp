#include "journal/realised_profit.h"

#include <QHash>
#include <QMap>
#include <algorithm>
#include <deque>

namespace RealisedProfit {

namespace {
struct Lot {
    qint64 qty;
    double unitCost;
};

void add(ProfitLine& into, const ProfitLine& line) {
    into.soldQty += line.soldQty;
    into.proceeds += line.proceeds;
    into.cost += line.cost;
    into.fees += line.fees;
    into.profit += line.profit;
    into.unmatchedQty += line.unmatchedQty;
}
}  // namespace

QVector<ProfitLine> perSale(QVector<JournalTrade> fills, const QString& from, const QString& to) {
    std::stable_sort(fills.begin(), fills.end(), [](const JournalTrade& a, const JournalTrade& b) {
        if (a.scope.day != b.scope.day) return a.scope.day < b.scope.day;
        return a.tradeTime < b.tradeTime;
    });
    QHash<QString, std::deque<Lot>> lots;
    QMap<QPair<QString, QString>, ProfitLine> lines;
    for (const JournalTrade& fill : fills) {
        if (fill.scope.day > to || fill.qty <= 0) continue;
        const double fee = fill.hasFee ? fill.fee : 0.0;
        if (fill.side == QLatin1String("1")) {
            lots[fill.securityId].push_back({fill.qty, fill.price + fee / double(fill.qty)});
            continue;
        }
        if (fill.side != QLatin1String("2")) continue;
        std::deque<Lot>& held = lots[fill.securityId];
        qint64 left = fill.qty;
        double cost = 0;
        while (left > 0 && !held.empty()) {
            Lot& lot = held.front();
            const qint64 used = std::min(left, lot.qty);
            cost += double(used) * lot.unitCost;
            lot.qty -= used;
            left -= used;
            if (lot.qty == 0) held.pop_front();
        }
        if (fill.scope.day < from) continue;
        const qint64 matched = fill.qty - left;
        ProfitLine line;
        line.soldQty = fill.qty;
        line.proceeds = double(matched) * fill.price;
        line.cost = cost;
        line.fees = fee * double(matched) / double(fill.qty);
        line.profit = line.proceeds - line.cost - line.fees;
        line.unmatchedQty = left;
        ProfitLine& into = lines[qMakePair(fill.scope.day, fill.securityId)];
        into.day = fill.scope.day;
        into.code = fill.securityId;
        add(into, line);
    }
    return lines.values().toVector();
}

QVector<ProfitLine> byDay(const QVector<ProfitLine>& lines) {
    QMap<QString, ProfitLine> days;
    for (const ProfitLine& line : lines) {
        ProfitLine& into = days[line.day];
        into.day = line.day;
        add(into, line);
    }
    return days.values().toVector();
}

QVector<ProfitLine> byCode(const QVector<ProfitLine>& lines) {
    QMap<QString, ProfitLine> codes;
    for (const ProfitLine& line : lines) {
        ProfitLine& into = codes[line.code];
        into.code = line.code;
        add(into, line);
    }
    return codes.values().toVector();
}

}  // namespace RealisedProfit
