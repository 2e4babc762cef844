#include "user/queryWindow/position_rows.h"

#include "utils/record_text.h"

QList<XlsxExport::Kind> positionColumnKinds() {
    using XlsxExport::number;
    return {XlsxExport::text(), number(0), number(0), number(0), number(0),
            number(0),          number(6), number(0), number(0)};
}

PositionCells positionCells(const CMoruRspQryStockPositionField& r) {
    return {fieldText(r.SecurityID),
            QString::number(r.TodayBuyQty),
            QString::number(r.TodaySellQty),
            QString::number(r.YesterdayQty),
            QString::number(r.TotalQty),
            QString::number(r.AvailableQty),
            QString::number(r.PositionCost, 'f', 6),
            QString::number(qint64(r.PurchasableQty)),
            QString::number(qint64(r.RedeemableQty))};
}
