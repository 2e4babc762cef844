#include "journal/journal_rows.h"

#include <cstring>

#include "utils/record_text.h"

void JournalBatch::clear() {
    orders.clear();
    trades.clear();
    positions.clear();
    funds.clear();
}

namespace JournalRows {

namespace {
// One shared string per code: a row holds several, and a burst repeats the same few.
QString charText(char c) {
    static const QVector<QString> texts = [] {
        QVector<QString> t(256);
        for (int i = 1; i < 256; ++i) t[i] = QString(QLatin1Char(char(i)));
        return t;
    }();
    return c ? texts.at(uchar(c)) : QString();
}

QString orderKey(qint64 sysId, qint64 orderRef) {
    return sysId != 0 ? QString::number(sysId) : QStringLiteral("ref%1").arg(orderRef);
}

// Bit-exact, so a record seen again gives the same key.
QString priceKey(double price) {
    quint64 bits = 0;
    std::memcpy(&bits, &price, sizeof bits);
    return QString::number(bits, 16);
}
}  // namespace

bool fromReturn(const CMoruRtnOrderField& r, const JournalScope& scope, JournalOrder& out) {
    out = JournalOrder();
    out.scope = scope;
    out.fromReturn = true;
    out.orderSysId = r.OrderSysID;
    out.orderRef = r.OrderRef;
    out.securityId = fieldText(r.SecurityID);
    if (out.orderSysId == 0 && out.orderRef == 0 && out.securityId.isEmpty()) return false;
    out.key = orderKey(out.orderSysId, out.orderRef);
    out.side = charText(r.Side);
    out.limitPrice = r.LimitPrice;
    out.orderQty = r.OrderQty;
    out.orderType = charText(r.OrderType);
    out.orderStatus = charText(r.OrderStatus);
    out.tradeQty = r.TradeQty;
    out.leavesQty = r.LeavesQty;
    out.recvTime = fieldText(r.RecvTime);
    out.text = fieldText(r.OrderText);
    return true;
}

bool fromQuery(const CMoruRspQryOrderField& r, const JournalScope& scope, JournalOrder& out) {
    out = JournalOrder();
    out.scope = scope;
    out.orderSysId = r.OrderSysID;
    out.orderRef = r.OrderRef;
    out.securityId = fieldText(r.SecurityID);
    if (out.orderSysId == 0 && out.securityId.isEmpty()) return false;
    out.key = orderKey(out.orderSysId, out.orderRef);
    out.orderNo = fieldText(r.OrderNo);
    out.side = charText(r.Side);
    out.limitPrice = r.LimitPrice;
    out.orderQty = r.OrderQty;
    out.orderType = charText(r.OrderType);
    out.orderStatus = charText(r.OrderStatus);
    out.msgKind = r.MsgKind;
    out.securityType = r.SecurityType;
    out.tradeQty = r.TradeQty;
    out.leavesQty = r.LeavesQty;
    out.tradeAmount = r.TradeAmount;
    out.errorCode = r.ErrorCode;
    out.recvTime = fieldText(r.RecvTime);
    return true;
}

bool fromTrade(const CMoruRspQryTradeField& r, const JournalScope& scope, JournalTrade& out) {
    out = JournalTrade();
    out.scope = scope;
    out.securityId = fieldText(r.SecurityID);
    if (out.securityId.isEmpty() && r.TradeQty == 0) return false;
    out.orderSysId = r.OrderSysID;
    out.orderNo = fieldText(r.OrderNo);
    out.side = charText(r.Side);
    out.price = r.TradePrice;
    out.qty = r.TradeQty;
    out.leavesQty = r.LeavesQty;
    out.tradeTime = fieldText(r.TradeTime);
    out.orderType = charText(r.OrderType);
    out.cashReplaceAmount = r.CashReplaceAmount;
    out.key = QStringLiteral("%1|%2|%3|%4|%5|%6")
                  .arg(out.orderSysId)
                  .arg(out.tradeTime, out.securityId, out.side)
                  .arg(out.qty)
                  .arg(priceKey(out.price));
    return true;
}

bool fromPosition(const CMoruRspQryStockPositionField& r, const JournalScope& scope, JournalPosition& out) {
    out = JournalPosition();
    out.scope = scope;
    out.securityId = fieldText(r.SecurityID);
    if (out.securityId.isEmpty()) return false;
    out.todayBuyQty = r.TodayBuyQty;
    out.todaySellQty = r.TodaySellQty;
    out.yesterdayQty = r.YesterdayQty;
    out.totalQty = r.TotalQty;
    out.availableQty = r.AvailableQty;
    out.positionCost = r.PositionCost;
    out.purchasableQty = r.PurchasableQty;
    out.redeemableQty = r.RedeemableQty;
    return true;
}

bool fromInOut(const CMoruRspQryCapTransferRecordField& r, const JournalScope& scope, JournalFundMove& out) {
    out = JournalFundMove();
    if (r.TransferDirection != '1' && r.TransferDirection != '2') return false;
    out.scope = scope;
    out.kind = r.TransferDirection == '1' ? JournalFundMove::Deposit : JournalFundMove::Withdrawal;
    out.orgCode = fieldText(r.OrgCode);
    out.amount = r.Amount;
    out.direction = charText(r.TransferDirection);
    out.operTime = fieldText(r.OperTime);
    out.key = QStringLiteral("io|%1|%2|%3").arg(out.operTime, out.direction, priceKey(out.amount));
    return true;
}

bool fromTransfer(const CMoruRspQryBTCapTransferManagerField& r, const JournalScope& scope,
                  JournalFundMove& out) {
    out = JournalFundMove();
    if (r.TransferDirection != '1' && r.TransferDirection != '2') return false;
    out.scope = scope;
    out.kind = JournalFundMove::Transfer;
    out.orgCode = fieldText(r.OrgCode);
    out.amount = r.Amount;
    out.direction = charText(r.TransferDirection);
    out.operTime = fieldText(r.OperTime);
    out.errorCode = int(r.ErrorCode);
    out.status = charText(r.TransferStatus);
    // The status moves on while the transfer runs: it is not part of the key.
    out.key = QStringLiteral("bt|%1|%2|%3").arg(out.operTime, out.direction, priceKey(out.amount));
    return true;
}

double cashFlow(const JournalFundMove& move, const QString& market) {
    switch (move.kind) {
        case JournalFundMove::Deposit:
            return move.amount;
        case JournalFundMove::Withdrawal:
            return -move.amount;
        case JournalFundMove::Transfer:
            break;
    }
    if (move.errorCode != 0 || move.status != QLatin1String("6")) return 0;
    // '1' moves money from Shanghai to Shenzhen, '2' back.
    const bool outOfShanghai = move.direction == QLatin1String("1");
    const bool shanghai = market == QLatin1String("1");
    return outOfShanghai == shanghai ? -move.amount : move.amount;
}

}  // namespace JournalRows
