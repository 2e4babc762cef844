#include "user/queryWindow/trade_rows.h"

#include "utils/record_text.h"
#include "utils/utils.h"

QList<XlsxExport::Kind> tradeColumnKinds() {
    using XlsxExport::number;
    using XlsxExport::text;
    return {text(), text(),    number(6), text(), number(0), number(0), text(),
            text(), number(0), text(),    text(), number(0), number(0), number(6)};
}

TradeCells tradeCells(const CMoruRspQryTradeField& r) {
    return {fieldText(r.OrderNo),
            fieldText(r.SecurityID),
            QString::number(r.TradePrice, 'f', 6),
            Utils::TMoruSideTypeConvert(r.Side),
            QString::number(r.TradeQty),
            QString::number(r.LeavesQty),
            Utils::TimeStringConvert(r.TradeTime, int(sizeof r.TradeTime)),
            Utils::TMoruOrderTypeTypeConvert(r.OrderType),
            QString::number(r.ComponentCount),
            fieldText(r.ComponentSecurityID),
            Utils::TMoruMarketTypeConvert(r.ComponentSource),
            QString::number(r.OldPositionQty),
            QString::number(r.ComponentTradeQty),
            QString::number(r.CashReplaceAmount, 'f', 6)};
}
