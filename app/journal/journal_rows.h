#pragma once

#include <QMetaType>
#include <QString>
#include <QVector>

#include "moru_api_types.h"

// Whose row it is and on which trading day it was seen: the account and market of the login, the
// local date the terminal received the record ("yyyy-MM-dd").
struct JournalScope {
    QString account;
    QString market;
    QString day;
};

// One order as the journal keeps it. A return carries fewer fields than a query answer, so it
// updates only what it knows.
struct JournalOrder {
    JournalScope scope;
    QString key;  // the counter's order number, or "ref<OrderRef>" while it has none
    bool fromReturn = false;
    qint64 orderSysId = 0;
    qint64 orderRef = 0;
    QString orderNo;
    QString securityId;
    QString side;
    double limitPrice = 0;
    qint64 orderQty = 0;
    QString orderType;
    QString orderStatus;
    int msgKind = 0x65;
    int securityType = 0;
    qint64 tradeQty = 0;
    qint64 leavesQty = 0;
    double tradeAmount = 0;
    int errorCode = 0;
    QString recvTime;  // "hhmmsszzz"
    QString text;      // the return's own summary
};

// One fill. The counter gives no fill number: order number, time, quantity, price and side name it.
struct JournalTrade {
    JournalScope scope;
    QString key;
    qint64 orderSysId = 0;
    QString orderNo;
    QString securityId;
    QString side;
    double price = 0;
    qint64 qty = 0;
    qint64 leavesQty = 0;
    QString tradeTime;  // "hhmmsszzz"
    QString orderType;
    double cashReplaceAmount = 0;
    bool hasFee = false;  // the counter's fills carry no fee today
    double fee = 0;
};

// One position line of a day; the day's last answer wins.
struct JournalPosition {
    JournalScope scope;
    QString securityId;
    qint64 todayBuyQty = 0;
    qint64 todaySellQty = 0;
    qint64 yesterdayQty = 0;
    qint64 totalQty = 0;
    qint64 availableQty = 0;
    double positionCost = 0;
    qint64 purchasableQty = 0;
    qint64 redeemableQty = 0;
};

// A deposit, a withdrawal or a transfer between the Shanghai and Shenzhen counters.
struct JournalFundMove {
    enum Kind { Deposit, Withdrawal, Transfer };
    JournalScope scope;
    QString key;
    Kind kind = Deposit;
    QString orgCode;
    double amount = 0;
    QString direction;  // '1'/'2' as the counter sends it
    QString operTime;
    int errorCode = 0;
    QString status;  // transfers: '1' .. '6'
};

// What one write puts into the journal, in arrival order within each kind.
struct JournalBatch {
    QVector<JournalOrder> orders;
    QVector<JournalTrade> trades;
    QVector<JournalPosition> positions;
    QVector<JournalFundMove> funds;

    int size() const { return orders.size() + trades.size() + positions.size() + funds.size(); }
    bool isEmpty() const { return size() == 0; }
    void clear();
};

// Records to rows. Each returns false for a record that holds nothing to keep (the counter's
// placeholder for an empty answer).
namespace JournalRows {

bool fromReturn(const CMoruRtnOrderField& record, const JournalScope& scope, JournalOrder& out);
bool fromQuery(const CMoruRspQryOrderField& record, const JournalScope& scope, JournalOrder& out);
bool fromTrade(const CMoruRspQryTradeField& record, const JournalScope& scope, JournalTrade& out);
bool fromPosition(const CMoruRspQryStockPositionField& record, const JournalScope& scope,
                  JournalPosition& out);
bool fromInOut(const CMoruRspQryCapTransferRecordField& record, const JournalScope& scope,
               JournalFundMove& out);
bool fromTransfer(const CMoruRspQryBTCapTransferManagerField& record, const JournalScope& scope,
                  JournalFundMove& out);

// Cash into (+) or out of (-) the counter of `market` ('1' Shanghai, '2' Shenzhen); 0 for a
// transfer that failed or has not finished.
double cashFlow(const JournalFundMove& move, const QString& market);

}  // namespace JournalRows

Q_DECLARE_METATYPE(JournalScope)
