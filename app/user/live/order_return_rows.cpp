#include "user/live/order_return_rows.h"

#include <QtGlobal>
#include <cstring>

bool applyOrderReturn(CMoruRspQryOrderField& record, const CMoruRtnOrderField& rtn) {
    // Packed records: copies, never references.
    const quint32 oldTraded = record.TradeQty;
    const quint32 traded = rtn.TradeQty;
    const quint32 leaves = rtn.LeavesQty;
    const char status = rtn.OrderStatus;
    const double price = rtn.LimitPrice;
    if (oldTraded == traded && quint32(record.LeavesQty) == leaves && record.OrderStatus == status)
        return false;
    if (traded > oldTraded && price > 0) {
        const double amount = record.TradeAmount;
        record.TradeAmount = amount + price * double(traded - oldTraded);
    }
    record.TradeQty = traded;
    record.LeavesQty = leaves;
    record.OrderStatus = status;
    return true;
}

CMoruRspQryOrderField orderRecordFromReturn(const CMoruRtnOrderField& rtn, quint16 errorCode) {
    CMoruRspQryOrderField record;
    std::memset(&record, 0, sizeof record);
    record.OrderRef = rtn.OrderRef;
    std::memcpy(record.SecurityID, rtn.SecurityID, sizeof record.SecurityID);
    record.Side = rtn.Side;
    record.LimitPrice = rtn.LimitPrice;
    record.OrderQty = rtn.OrderQty;
    record.OrderType = rtn.OrderType;
    record.OrderSysID = rtn.OrderSysID;
    std::memcpy(record.RecvTime, rtn.RecvTime, sizeof record.RecvTime);
    record.MsgKind = MORU_KIND_ORDER;
    record.ErrorCode = errorCode;
    record.TradeQty = 0;
    record.LeavesQty = rtn.OrderQty;
    record.OrderStatus = MORU_STATUS_NOT_REPORTED;
    applyOrderReturn(record, rtn);
    return record;
}

bool isFinalOrderStatus(char status) {
    return status == MORU_STATUS_PARTLY_CANCELLED || status == MORU_STATUS_CANCELLED ||
           status == MORU_STATUS_FILLED || status == MORU_STATUS_REJECTED;
}
