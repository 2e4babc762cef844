#include "user/queryWindow/order_rows.h"

#include "user/queryWindow/record_text.h"
#include "utils/error_msg.h"
#include "utils/rsp_convert_config.h"
#include "utils/utils.h"

namespace {

constexpr uint8_t REVERSE_REPO = 17;

QString errorText(int code, ErrorTextCache& cache) {
    auto it = cache.constFind(code);
    if (it == cache.cend()) it = cache.insert(code, ErrorMsg::instance()->getErrorMsgById(code));
    return it.value();
}

}  // namespace

bool isOrderKind(uint8_t msgKind) {
    return msgKind == 0x65 || msgKind == 0xAB || msgKind == 0xAD;
}

bool orderHasCheckBox(const CMoruRspQryOrderField& record) {
    return record.ErrorCode == 0 && isOrderKind(record.MsgKind);
}

double orderTradePrice(const CMoruRspQryOrderField& record) {
    if (record.Side == '3' || record.Side == '4') return record.OrderStatus != '9' ? 1 : 0;
    if (record.SecurityType == REVERSE_REPO) {
        const bool counted = (record.MsgKind == 0x65 && record.OrderStatus == '8') ||
                             record.OrderStatus == '7' || record.OrderStatus == '5';
        return counted ? record.LimitPrice : 0;
    }
    return record.TradeQty != 0 ? record.TradeAmount / record.TradeQty : 0;
}

bool rowIsCancellable(const QString& errorCodeText, const QString& kindText) {
    bool ok = false;
    const int code = errorCodeText.toInt(&ok);
    if (!ok || code != 0) return false;
    return kindText == QStringLiteral("普通报单") || kindText == QStringLiteral("要约") ||
           kindText == QStringLiteral("权证行权");
}

OrderCells orderCells(const CMoruRspQryOrderField& r, ErrorTextCache& errorTexts) {
    return {fieldText(r.OrderNo),
            QString::number(r.NodeID),
            fieldText(r.SecurityID),
            RspConvertConfig::instance()->TMoruSecuritiesTypeConvert(r.SecurityType),
            QString::number(r.LimitPrice, 'f', 6),
            QString::number(r.OrderQty),
            Utils::TMoruOrderTypeTypeConvert(r.OrderType),
            Utils::TMoruOrderStatusTypeConvert(r.OrderStatus),
            Utils::TMoruMsgKindConvert(char(r.MsgKind)),
            Utils::TMoruSideTypeConvert(r.Side),
            QString::number(orderTradePrice(r), 'f', 3),
            QString::number(r.TradeQty),
            QString::number(r.LeavesQty),
            QString::number(r.ErrorCode),
            errorText(r.ErrorCode, errorTexts),
            Utils::TimeStringConvert(r.RecvTime, int(sizeof r.RecvTime)),
            fieldText(r.TenderOfferorCode)};
}
