#pragma once

#include <QString>
#include <QTime>
#include <cstdint>

#include "moru_api_types.h"

// The filter of the order and trade searches as it was searched; every follow-up page repeats it.
struct QueryFilter {
    QString code;
    quint32 orderSysId = 0;
    QString startTime;  // "hhmmsszzz"
    QString endTime;
};

// Reads the tool row: the order number as an unsigned decimal (0 when empty or not a number), the
// times as "hhmmsszzz".
QueryFilter makeQueryFilter(const QString& code, const QString& orderNo, const QTime& start,
                            const QTime& end);

// Zero-filled request records. The code is written as at most 8 UTF-8 bytes, a time only when it is
// not midnight, and QueryMode is always 2.
CMoruReqQryOrderField orderQueryRequest(const QueryFilter& filter, int32_t queryPosition);
CMoruReqQryTradeField tradeQueryRequest(const QueryFilter& filter, int32_t queryPosition);
CMoruReqQryStockPositionField positionQueryRequest(const QString& account, const QString& code);
CMoruReqOrderActionField cancelOrderRequest(int32_t orderRef, quint32 orderSysId, char operWay);
