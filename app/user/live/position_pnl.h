#pragma once

#include <QHash>
#include <QList>
#include <QString>

// Market value, cost and floating profit of positions at the last prices. A code without a last
// price counts at its cost, so it adds nothing to the profit.
struct PositionFigures {
    QString code;
    double quantity = 0;   // total held
    double costPrice = 0;  // cost per share as the counter reports it
};

struct PnlSummary {
    double marketValue = 0;
    double cost = 0;
    double profit = 0;
    int unpriced = 0;  // codes without a last price
};

PnlSummary positionPnl(const QList<PositionFigures>& positions, const QHash<QString, double>& lastPrices);

// "市值 12,345.00  成本 12,000.00  浮动盈亏 +345.00": the line beside the position table.
QString pnlLine(const PnlSummary& summary);
