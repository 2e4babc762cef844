#include "user/queryWindow/query_requests.h"

#include <cstring>

#include "utils/record_text.h"

namespace {

constexpr std::size_t CODE_BYTES = 8;
const QString MIDNIGHT = QStringLiteral("000000000");

template <typename Request>
void fillFilter(Request& req, const QueryFilter& filter, int32_t queryPosition) {
    if (!filter.code.isEmpty()) putFieldText(req.SecurityID, filter.code.toUtf8(), CODE_BYTES);
    req.OrderSysID = int32_t(filter.orderSysId);
    if (filter.startTime != MIDNIGHT) putFieldText(req.StartTime, filter.startTime.toLatin1());
    if (filter.endTime != MIDNIGHT) putFieldText(req.EndTime, filter.endTime.toLatin1());
    req.QueryPosition = queryPosition;
    req.QueryMode = 2;
}

}  // namespace

QueryFilter makeQueryFilter(const QString& code, const QString& orderNo, const QTime& start,
                            const QTime& end) {
    QueryFilter filter;
    filter.code = code;
    bool ok = false;
    const uint number = orderNo.toUInt(&ok);
    filter.orderSysId = ok ? number : 0;
    const QString format = QStringLiteral("hhmmsszzz");
    filter.startTime = start.toString(format);
    filter.endTime = end.toString(format);
    return filter;
}

CMoruReqQryOrderField orderQueryRequest(const QueryFilter& filter, int32_t queryPosition) {
    CMoruReqQryOrderField req;
    std::memset(&req, 0, sizeof req);
    fillFilter(req, filter, queryPosition);
    return req;
}

CMoruReqQryTradeField tradeQueryRequest(const QueryFilter& filter, int32_t queryPosition) {
    CMoruReqQryTradeField req;
    std::memset(&req, 0, sizeof req);
    fillFilter(req, filter, queryPosition);
    return req;
}

CMoruReqQryStockPositionField positionQueryRequest(const QString& account, const QString& code) {
    CMoruReqQryStockPositionField req;
    std::memset(&req, 0, sizeof req);
    // A 15-character account fills its field without terminator.
    putFieldText(req.AccountID, account.toUtf8());
    if (!code.isEmpty()) putFieldText(req.SecurityID, code.toUtf8(), CODE_BYTES);
    return req;
}

CMoruReqOrderActionField cancelOrderRequest(int32_t orderRef, quint32 orderSysId, char operWay) {
    CMoruReqOrderActionField req;
    std::memset(&req, 0, sizeof req);
    req.OrderRef = orderRef;
    req.OrderSysID = orderSysId;
    req.OperWay = operWay;
    return req;
}
