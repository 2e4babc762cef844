#include "journal/daily_statement.h"

#include <QMap>
#include <algorithm>

namespace DailyStatement {

QVector<StatementLine> build(const QVector<JournalTrade>& fills, const QVector<JournalFundMove>& funds,
                             const QString& market) {
    QVector<const JournalTrade*> ordered;
    ordered.reserve(fills.size());
    for (const JournalTrade& f : fills) ordered.append(&f);
    std::stable_sort(ordered.begin(), ordered.end(), [](const JournalTrade* a, const JournalTrade* b) {
        if (a->scope.day != b->scope.day) return a->scope.day < b->scope.day;
        return a->tradeTime < b->tradeTime;
    });
    QMap<QString, StatementLine> closing;
    for (const JournalFundMove& move : funds) {
        StatementLine& c = closing[move.scope.day];
        const double flow = JournalRows::cashFlow(move, market);
        if (move.kind == JournalFundMove::Deposit)
            c.deposits += flow;
        else if (move.kind == JournalFundMove::Withdrawal)
            c.withdrawals -= flow;
        else
            c.transfers += flow;
        c.cash += flow;
    }
    QMap<QString, QVector<StatementLine>> days;
    for (const JournalTrade* f : ordered) {
        StatementLine line;
        line.day = f->scope.day;
        line.fill = f;
        line.amount = double(f->qty) * f->price;
        line.hasFee = f->hasFee;
        line.fee = f->hasFee ? f->fee : 0.0;
        StatementLine& c = closing[line.day];
        if (f->side == QLatin1String("1")) {
            line.cash = -(line.amount + line.fee);
            c.buys += line.amount;
        } else if (f->side == QLatin1String("2")) {
            line.cash = line.amount - line.fee;
            c.sells += line.amount;
        }
        c.fee += line.fee;
        c.hasFee = c.hasFee || line.hasFee;
        c.cash += line.cash;
        days[line.day].append(line);
    }
    QVector<StatementLine> out;
    for (auto it = closing.begin(); it != closing.end(); ++it) {
        out += days.value(it.key());
        StatementLine c = it.value();
        c.day = it.key();
        c.closing = true;
        out.append(c);
    }
    return out;
}

}  // namespace DailyStatement
