#include "user/live/position_pnl.h"

#include <QLocale>
#include <cmath>

PnlSummary positionPnl(const QList<PositionFigures>& positions, const QHash<QString, double>& lastPrices) {
    PnlSummary s;
    for (const PositionFigures& p : positions) {
        if (!(p.quantity > 0) || !std::isfinite(p.costPrice)) continue;
        const double cost = p.quantity * p.costPrice;
        const auto it = lastPrices.constFind(p.code);
        const bool priced = it != lastPrices.cend() && std::isfinite(it.value()) && it.value() > 0;
        if (!priced) ++s.unpriced;
        const double value = priced ? p.quantity * it.value() : cost;
        s.marketValue += value;
        s.cost += cost;
    }
    s.profit = s.marketValue - s.cost;
    return s;
}

QString pnlLine(const PnlSummary& s) {
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::DefaultNumberOptions);  // with thousands separators
    const QString sign = s.profit > 0.005 ? QStringLiteral("+") : QString();
    return QStringLiteral("市值 %1  成本 %2  浮动盈亏 %3%4")
        .arg(c.toString(s.marketValue, 'f', 2), c.toString(s.cost, 'f', 2), sign,
             c.toString(s.profit, 'f', 2));
}
