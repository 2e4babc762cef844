// Records exchanged with the trading library. Every record is byte-packed with a fixed layout; the
// terminal and the library (and the counter behind it) must agree on each byte, so every size and
// every offset that either side reads or writes is checked at compile time below.
//
// Text fields are fixed-width byte arrays, NUL-terminated or NUL-padded; a field that is exactly full
// has no terminator, so readers always bound their reads by the field's width. Times travel as nine
// characters "hhmmsszzz". Request records are zero-filled before use; bytes named ReservedNN (NN = offset)
// are left zero by the sender and ignored by the receiver.
#ifndef MORU_API_TYPES_H
#define MORU_API_TYPES_H

#include <cstddef>
#include <cstdint>

// Market codes, as in the login request, the login response and the error tables.
#define MORU_MARKET_NONE '0'
#define MORU_MARKET_SH '1'
#define MORU_MARKET_SZ '2'

// Side of an order (Side fields).
#define MORU_SIDE_BUY '1'
#define MORU_SIDE_SELL '2'
#define MORU_SIDE_SUBSCRIBE '3'
#define MORU_SIDE_REDEEM '4'
#define MORU_SIDE_TENDER_ACCEPT '7'
#define MORU_SIDE_TENDER_WITHDRAW '8'

// Price type of an order (OrderType fields).
#define MORU_PRICE_COUNTER_BEST '1'
#define MORU_PRICE_LIMIT '2'
#define MORU_PRICE_OWN_BEST '3'
#define MORU_PRICE_MARKET_IOC '4'
#define MORU_PRICE_MARKET_FOK '5'
#define MORU_PRICE_BEST5_IOC '6'
#define MORU_PRICE_BEST5_TO_LIMIT '7'
#define MORU_PRICE_LIMIT_FOK '8'

// Status of an order (OrderStatus fields).
#define MORU_STATUS_NOT_REPORTED '0'
#define MORU_STATUS_REPORTING '1'
#define MORU_STATUS_REPORTED '2'
#define MORU_STATUS_CANCEL_PENDING '3'
#define MORU_STATUS_PARTLY_FILLED_CANCEL_PENDING '4'
#define MORU_STATUS_PARTLY_CANCELLED '5'
#define MORU_STATUS_CANCELLED '6'
#define MORU_STATUS_PARTLY_FILLED '7'
#define MORU_STATUS_FILLED '8'
#define MORU_STATUS_REJECTED '9'

// Kind of an order query record (CMoruRspQryOrderField::MsgKind): three kinds of order, and the
// record of a cancellation.
#define MORU_KIND_ORDER 0x65
#define MORU_KIND_ORDER_AB 0xAB
#define MORU_KIND_ORDER_AD 0xAD
#define MORU_KIND_CANCEL 0x67

// CMoruRspUserLoginField::LoginFlags: the counter reports its data ready in one step instead of two.
#define MORU_LOGIN_FLAG_SINGLE_DATA_READY 0x02

#pragma pack(push, 1)

// ---------------------------------------------------------------------------------------------------
// Response information, with every response.

struct CMoruRspInfo {
    int32_t ErrorID;    // 0 = success
    char ErrorMsg[81];  // NUL-terminated; GBK or UTF-8 as the counter sends it
};

// ---------------------------------------------------------------------------------------------------
// Login. These three are sized by us; the terminal reads only MaxOrderRef, Market and LoginFlags.

struct CMoruRspUserLoginManagerField {
    char AccountID[16];
    char Market;
    char TradingDay[9];  // "yyyyMMdd"
    char Reserved26[38];
};

struct CMoruRspUserLoginField {
    char AccountID[16];
    uint8_t Reserved16[2];
    int32_t MaxOrderRef;  // highest order reference already used by this account today
    char TradingDay[9];   // "yyyyMMdd"
    char LoginTime[9];    // "hhmmsszzz"
    int32_t SessionID;
    char OrgCode[4];  // institution code, NUL-padded
    uint8_t Reserved48[13];
    char Market;  // MORU_MARKET_SH or MORU_MARKET_SZ
    uint8_t Reserved62[35];
    uint8_t LoginFlags;  // MORU_LOGIN_FLAG_*
    uint8_t Reserved98[30];
};

struct CMoruRspInitTraderField {
    char AccountID[16];
    char Market;
    uint8_t Reserved17[47];
};

// ---------------------------------------------------------------------------------------------------
// Orders.

struct CMoruReqOrderInsertField {
    int32_t OrderRef;
    char SecurityID[8];  // six digits, NUL-terminated
    char Side;           // '1' buy, '2' sell, '3' subscribe, '4' redeem
    uint8_t Reserved13;
    double LimitPrice;  // currency units, unscaled
    int32_t OrderQty;
    char OrderType;  // price type code '1'..'7'
    char OrderFlag;  // '0' from the terminal
    uint8_t Reserved28[4];
    char ClientTag[16];  // NUL-padded
};

struct CMoruRspOrderInsertField {
    int32_t OrderRef;
    char SecurityID[8];
    char Side;
    uint8_t Reserved13;
    double LimitPrice;
    int32_t OrderQty;
    char OrderType;
    uint8_t Reserved27[3];
    uint32_t OrderSysID;  // the counter's order number, 0 when refused
    uint8_t Reserved34[66];
};

struct CMoruRtnOrderField {
    int32_t OrderRef;
    char SecurityID[8];
    char Side;
    uint8_t Reserved13;
    double LimitPrice;
    uint32_t OrderQty;
    char OrderType;
    uint8_t Reserved27[3];
    uint32_t OrderSysID;
    uint8_t Reserved34[16];
    char RecvTime[9];  // "hhmmsszzz"
    uint8_t Reserved59[20];
    uint32_t TradeQty;
    uint32_t LeavesQty;
    char OrderStatus;  // '0'..'9'
    uint8_t Reserved88[34];
    char OrderText[64];  // human-readable summary of the order, NUL-terminated
    uint8_t Reserved186[54];
};

struct CMoruReqOrderActionField {
    int32_t OrderRef;
    uint32_t OrderSysID;  // order to cancel
    uint8_t Reserved8[33];
    char OperWay;  // operation way from the configuration file, 0 when none
    uint8_t Reserved42[6];
};

struct CMoruRspOrderActionField {
    int32_t OrderRef;
    uint32_t OrderSysID;
    uint8_t Reserved8[92];
};

struct CMoruReqTenderOfferOrderField {
    int32_t OrderRef;
    char SecurityID[8];  // underlying stock
    char Side;           // '7' pre-acceptance, '8' withdrawal
    int32_t OrderQty;
    uint8_t OrderFlag;          // 0 from the terminal
    uint8_t ExtFlag;            // 0xFF from the terminal
    char TenderOfferorCode[6];  // up to six digits, NUL-padded
    uint8_t Reserved25[23];
};

struct CMoruRspTenderOfferOrderField {
    int32_t OrderRef;
    char SecurityID[8];
    char Side;
    int32_t OrderQty;
    uint8_t Reserved17[2];
    char TenderOfferorCode[6];
    uint8_t Reserved25[3];
    uint32_t OrderSysID;
    uint8_t Reserved32[64];
};

struct CMoruReqWarrantExerciseOrderField {
    int32_t OrderRef;
    char SecurityID[8];
    char Side;  // '1'
    double LimitPrice;
    int32_t OrderQty;
    char OrderType;     // '2' from the terminal
    uint8_t OrderFlag;  // 0 from the terminal
    uint8_t ExtFlag;    // 0xFF from the terminal
    uint8_t Reserved28[20];
};

struct CMoruRspWarrantExerciseOrderField {
    int32_t OrderRef;
    char SecurityID[8];
    char Side;
    double LimitPrice;
    int32_t OrderQty;
    uint8_t Reserved25[3];
    uint32_t OrderSysID;
    uint8_t Reserved32[64];
};

// ---------------------------------------------------------------------------------------------------
// Order and trade queries. Both are paged: the request carries QueryPosition, each record carries the
// NextPosition to ask for and whether more pages exist.

struct CMoruReqQryOrderField {
    int32_t OrderSysID;     // 0 = all orders
    char SecurityID[12];    // empty = all
    char StartTime[9];      // "hhmmsszzz", empty = from the start of the day
    char EndTime[9];        // "hhmmsszzz", empty = to the end of the day
    int32_t QueryPosition;  // 0 on the first page
    uint8_t Reserved38[4];
    char QueryMode;  // byte value 2 from the terminal
    uint8_t Reserved43[119];
};

struct CMoruRspQryOrderField {
    int32_t OrderRef;
    char SecurityID[8];
    char Side;  // '1' buy, '2' sell, '3' subscribe, '4' redeem, '7'/'8' tender offer
    uint8_t Reserved13;
    double LimitPrice;
    uint32_t OrderQty;
    char OrderType;
    uint8_t Reserved27[3];
    uint32_t OrderSysID;
    uint8_t Reserved34[16];
    char RecvTime[9];  // "hhmmsszzz"
    uint8_t Reserved59[20];
    uint32_t TradeQty;
    uint32_t LeavesQty;
    char OrderStatus;  // '0'..'9'
    uint8_t Reserved88[71];
    uint8_t NodeID;
    uint8_t Reserved160[8];
    char OrderNo[10];      // order number text, NUL-padded
    uint8_t MsgKind;       // 0x65, 0xAB, 0xAD = order; 'g' = cancellation
    uint8_t SecurityType;  // security type code
    uint8_t Reserved180;
    uint16_t ErrorCode;  // 0 = none
    int32_t NextPosition;
    uint8_t HasMore;  // non-zero when further pages exist
    uint8_t Reserved188[29];
    double TradeAmount;
    uint8_t Reserved225[20];
    char TenderOfferorCode[6];
    uint8_t Reserved251[21];
};

struct CMoruReqQryTradeField {
    int32_t OrderSysID;  // 0 = all
    char SecurityID[8];  // empty = all
    char StartTime[9];   // "hhmmsszzz"
    char EndTime[9];     // "hhmmsszzz"
    uint8_t Reserved30[4];
    int32_t QueryPosition;
    uint8_t Reserved38[4];
    char QueryMode;  // byte value 2 from the terminal
    uint8_t Reserved43[115];
};

struct CMoruRspQryTradeField {
    uint32_t OrderSysID;
    uint8_t Reserved4[9];
    int32_t TradeQty;
    int32_t LeavesQty;
    char SecurityID[9];
    uint8_t Reserved30[8];
    char TradeTime[9];  // "hhmmsszzz"
    double TradePrice;
    uint8_t Reserved55[34];
    char Side;
    uint8_t Reserved90[65];
    char OrderNo[10];
    uint8_t Reserved165[17];
    int32_t NextPosition;
    uint8_t HasMore;
    uint8_t Reserved187[30];
    char OrderType;
    int16_t ComponentCount;
    char ComponentSecurityID[8];
    char ComponentSource;  // '1' Shanghai, '2' Shenzhen
    uint32_t OldPositionQty;
    uint32_t ComponentTradeQty;
    double CashReplaceAmount;
    uint8_t Reserved245[14];
};

// ---------------------------------------------------------------------------------------------------
// Positions and funds.

struct CMoruReqQryStockPositionField {
    char AccountID[15];   // a 15-character account fills it without terminator
    char SecurityID[16];  // empty = all positions
    uint8_t Reserved31[120];
};

struct CMoruRspQryStockPositionField {
    char AccountID[15];
    char SecurityID[16];
    uint32_t TodayBuyQty;
    uint8_t Reserved35[4];
    uint32_t TodaySellQty;
    uint8_t Reserved43[28];
    uint32_t YesterdayQty;
    uint8_t Reserved75[20];
    uint32_t TotalQty;
    uint8_t Reserved99[4];
    double PositionCost;
    uint8_t Reserved111[25];
    uint32_t AvailableQty;
    uint8_t Reserved140[42];
    int64_t PurchasableQty;
    int64_t RedeemableQty;
    uint8_t Reserved198[57];
};

struct CMoruReqQryStockClientAccountField {
    char AccountID[15];
    uint8_t Reserved15[128];
};

struct CMoruRspQryStockClientAccountField {
    char AccountID[15];
    uint8_t Reserved15;
    double FrozenCapital;
    double LockedFee;
    double Fee;
    double InitialCapital;
    uint8_t Reserved48[8];
    double TodaySellAmount;
    double TodayBuyAmount;
    uint8_t Reserved72[16];
    double AvailableCapital;
    uint8_t Reserved96[34];
    double WithdrawableCapital;
    uint8_t Reserved138[86];
};

// ---------------------------------------------------------------------------------------------------
// Deposits and withdrawals.

struct CMoruReqCapTransferField {
    uint8_t Reserved0[4];
    char AccountID[16];
    uint8_t Reserved20[10];
    double Amount;
    uint8_t Reserved38[96];
};

struct CMoruRspCapTransferField {
    uint8_t Reserved0[4];
    char AccountID[16];
    uint8_t Reserved20[10];
    double Amount;
    uint8_t Reserved38[98];
};

struct CMoruReqQryCapTransferRecordField {
    uint8_t Reserved0[4];
    char AccountID[16];
    uint8_t Reserved20[63];
};

struct CMoruRspQryCapTransferRecordField {
    char OrgCode[4];  // NUL-padded
    char AccountID[15];
    double Amount;
    char TransferDirection;  // '1' deposit, '2' withdrawal, '0' no record
    uint8_t Reserved28[4];
    char OperTime[32];  // shown as stored, NUL-terminated
    uint8_t Reserved64[41];
};

// ---------------------------------------------------------------------------------------------------
// Transfers between the Shanghai and Shenzhen counters.

struct CMoruReqBTCapTransferManagerField {
    uint8_t Reserved0[4];
    char AccountID[16];
    double Amount;
    char TransferDirection;  // '1' Shanghai to Shenzhen, '2' Shenzhen to Shanghai
    uint8_t Reserved29[63];
};

struct CMoruRspBTCapTransferManagerField {
    uint8_t Reserved0[4];
    char AccountID[16];
    double Amount;
    char TransferDirection;
    uint8_t Reserved29[67];
};

struct CMoruRtnBtCapTransferManagerField {
    uint8_t Reserved0[4];
    char AccountID[16];
    double Amount;
    char TransferDirection;
    char TransferStatus;  // '1'..'6'
    uint8_t Reserved30[67];
};

struct CMoruReqQryBTCapTransferManagerField {
    uint8_t Reserved0[4];
    char AccountID[16];
    uint8_t Reserved20[62];
};

struct CMoruRspQryBTCapTransferManagerField {
    uint8_t Reserved0[4];
    char OrgCode[4];  // NUL-padded
    char AccountID[16];
    double Amount;
    char TransferDirection;  // '1' Shanghai to Shenzhen, '2' Shenzhen to Shanghai
    char OperTime[9];        // "hhmmsszzz"
    uint32_t ErrorCode;      // 0 = success
    char TransferStatus;     // '1'..'6'
    uint8_t Reserved47[66];
};

// ---------------------------------------------------------------------------------------------------
// Password change. The response has the request's layout.

struct CMoruReqUserPasswordUpdateField {
    char AccountID[15];
    char NewPassword[10];  // a 10-character password fills it without terminator
    char OldPassword[16];
    uint8_t Reserved41[58];
};

struct CMoruRspUserPasswordUpdateField {
    char AccountID[15];
    char NewPassword[10];
    char OldPassword[16];
    uint8_t Reserved41[58];
};

// ---------------------------------------------------------------------------------------------------
// Records the terminal only logs. Sized by us except the securities record.

struct CMoruRspQryStockSecuritiesField {
    char SecurityID[8];
    char SecurityName[40];  // GBK, NUL-terminated
    uint8_t SecurityType;
    char Market;
    double PrevClosePrice;
    double UpperLimitPrice;
    double LowerLimitPrice;
    uint8_t Reserved74[206];
};

struct CMoruRspQryStockQuotaField {
    char AccountID[16];
    uint8_t Reserved16[112];
};

struct CMoruRspQryInvestorInfoField {
    char AccountID[16];
    uint8_t Reserved16[112];
};

struct CMoruRspQryPrcProgramInfoField {
    uint8_t Reserved0[128];
};

struct CMoruRspQryExChangeGateWayField {
    uint8_t Reserved0[128];
};

struct CMoruRtnInOutPositionField {
    char AccountID[16];
    uint8_t Reserved16[112];
};

struct CMoruRtnExChangeGateWayField {
    uint8_t Reserved0[128];
};

struct CMoruRspQryQFIIOrderField {
    uint8_t Reserved0[128];
};

struct CMoruRspQryQFIITradeField {
    uint8_t Reserved0[128];
};

#pragma pack(pop)

// ---------------------------------------------------------------------------------------------------
// Layout checks.

#define MORU_CHECK_SIZE(T, n) static_assert(sizeof(T) == (n), #T " size")
#define MORU_CHECK_AT(T, f, n) static_assert(offsetof(T, f) == (n), #T "::" #f " offset")

MORU_CHECK_SIZE(CMoruRspInfo, 85);
MORU_CHECK_AT(CMoruRspInfo, ErrorID, 0);
MORU_CHECK_AT(CMoruRspInfo, ErrorMsg, 4);

MORU_CHECK_SIZE(CMoruRspUserLoginManagerField, 64);
MORU_CHECK_SIZE(CMoruRspUserLoginField, 128);
MORU_CHECK_AT(CMoruRspUserLoginField, AccountID, 0);
MORU_CHECK_AT(CMoruRspUserLoginField, MaxOrderRef, 18);
MORU_CHECK_AT(CMoruRspUserLoginField, TradingDay, 22);
MORU_CHECK_AT(CMoruRspUserLoginField, LoginTime, 31);
MORU_CHECK_AT(CMoruRspUserLoginField, SessionID, 40);
MORU_CHECK_AT(CMoruRspUserLoginField, OrgCode, 44);
MORU_CHECK_AT(CMoruRspUserLoginField, Market, 61);
MORU_CHECK_AT(CMoruRspUserLoginField, LoginFlags, 97);
MORU_CHECK_SIZE(CMoruRspInitTraderField, 64);

MORU_CHECK_SIZE(CMoruReqOrderInsertField, 48);
MORU_CHECK_AT(CMoruReqOrderInsertField, OrderRef, 0);
MORU_CHECK_AT(CMoruReqOrderInsertField, SecurityID, 4);
MORU_CHECK_AT(CMoruReqOrderInsertField, Side, 12);
MORU_CHECK_AT(CMoruReqOrderInsertField, Reserved13, 13);
MORU_CHECK_AT(CMoruReqOrderInsertField, LimitPrice, 14);
MORU_CHECK_AT(CMoruReqOrderInsertField, OrderQty, 22);
MORU_CHECK_AT(CMoruReqOrderInsertField, OrderType, 26);
MORU_CHECK_AT(CMoruReqOrderInsertField, OrderFlag, 27);
MORU_CHECK_AT(CMoruReqOrderInsertField, Reserved28, 28);
MORU_CHECK_AT(CMoruReqOrderInsertField, ClientTag, 32);

MORU_CHECK_SIZE(CMoruRspOrderInsertField, 100);
MORU_CHECK_AT(CMoruRspOrderInsertField, OrderSysID, 30);

MORU_CHECK_SIZE(CMoruRtnOrderField, 240);
MORU_CHECK_AT(CMoruRtnOrderField, OrderSysID, 30);
MORU_CHECK_AT(CMoruRtnOrderField, RecvTime, 50);
MORU_CHECK_AT(CMoruRtnOrderField, TradeQty, 79);
MORU_CHECK_AT(CMoruRtnOrderField, LeavesQty, 83);
MORU_CHECK_AT(CMoruRtnOrderField, OrderStatus, 87);
MORU_CHECK_AT(CMoruRtnOrderField, OrderText, 122);

MORU_CHECK_SIZE(CMoruReqOrderActionField, 48);
MORU_CHECK_AT(CMoruReqOrderActionField, OrderRef, 0);
MORU_CHECK_AT(CMoruReqOrderActionField, OrderSysID, 4);
MORU_CHECK_AT(CMoruReqOrderActionField, OperWay, 41);
MORU_CHECK_SIZE(CMoruRspOrderActionField, 100);

MORU_CHECK_SIZE(CMoruReqTenderOfferOrderField, 48);
MORU_CHECK_AT(CMoruReqTenderOfferOrderField, OrderRef, 0);
MORU_CHECK_AT(CMoruReqTenderOfferOrderField, SecurityID, 4);
MORU_CHECK_AT(CMoruReqTenderOfferOrderField, Side, 12);
MORU_CHECK_AT(CMoruReqTenderOfferOrderField, OrderQty, 13);
MORU_CHECK_AT(CMoruReqTenderOfferOrderField, OrderFlag, 17);
MORU_CHECK_AT(CMoruReqTenderOfferOrderField, ExtFlag, 18);
MORU_CHECK_AT(CMoruReqTenderOfferOrderField, TenderOfferorCode, 19);
MORU_CHECK_AT(CMoruReqTenderOfferOrderField, Reserved25, 25);
MORU_CHECK_SIZE(CMoruRspTenderOfferOrderField, 96);

MORU_CHECK_SIZE(CMoruReqWarrantExerciseOrderField, 48);
MORU_CHECK_AT(CMoruReqWarrantExerciseOrderField, OrderRef, 0);
MORU_CHECK_AT(CMoruReqWarrantExerciseOrderField, SecurityID, 4);
MORU_CHECK_AT(CMoruReqWarrantExerciseOrderField, Side, 12);
MORU_CHECK_AT(CMoruReqWarrantExerciseOrderField, LimitPrice, 13);
MORU_CHECK_AT(CMoruReqWarrantExerciseOrderField, OrderQty, 21);
MORU_CHECK_AT(CMoruReqWarrantExerciseOrderField, OrderType, 25);
MORU_CHECK_AT(CMoruReqWarrantExerciseOrderField, OrderFlag, 26);
MORU_CHECK_AT(CMoruReqWarrantExerciseOrderField, ExtFlag, 27);
MORU_CHECK_AT(CMoruReqWarrantExerciseOrderField, Reserved28, 28);
MORU_CHECK_SIZE(CMoruRspWarrantExerciseOrderField, 96);

MORU_CHECK_SIZE(CMoruReqQryOrderField, 162);
MORU_CHECK_AT(CMoruReqQryOrderField, OrderSysID, 0);
MORU_CHECK_AT(CMoruReqQryOrderField, SecurityID, 4);
MORU_CHECK_AT(CMoruReqQryOrderField, StartTime, 16);
MORU_CHECK_AT(CMoruReqQryOrderField, EndTime, 25);
MORU_CHECK_AT(CMoruReqQryOrderField, QueryPosition, 34);
MORU_CHECK_AT(CMoruReqQryOrderField, QueryMode, 42);

MORU_CHECK_SIZE(CMoruRspQryOrderField, 272);
MORU_CHECK_AT(CMoruRspQryOrderField, SecurityID, 4);
MORU_CHECK_AT(CMoruRspQryOrderField, Side, 12);
MORU_CHECK_AT(CMoruRspQryOrderField, LimitPrice, 14);
MORU_CHECK_AT(CMoruRspQryOrderField, OrderQty, 22);
MORU_CHECK_AT(CMoruRspQryOrderField, OrderType, 26);
MORU_CHECK_AT(CMoruRspQryOrderField, OrderSysID, 30);
MORU_CHECK_AT(CMoruRspQryOrderField, RecvTime, 50);
MORU_CHECK_AT(CMoruRspQryOrderField, TradeQty, 79);
MORU_CHECK_AT(CMoruRspQryOrderField, LeavesQty, 83);
MORU_CHECK_AT(CMoruRspQryOrderField, OrderStatus, 87);
MORU_CHECK_AT(CMoruRspQryOrderField, NodeID, 159);
MORU_CHECK_AT(CMoruRspQryOrderField, OrderNo, 168);
MORU_CHECK_AT(CMoruRspQryOrderField, MsgKind, 178);
MORU_CHECK_AT(CMoruRspQryOrderField, SecurityType, 179);
MORU_CHECK_AT(CMoruRspQryOrderField, ErrorCode, 181);
MORU_CHECK_AT(CMoruRspQryOrderField, NextPosition, 183);
MORU_CHECK_AT(CMoruRspQryOrderField, HasMore, 187);
MORU_CHECK_AT(CMoruRspQryOrderField, TradeAmount, 217);
MORU_CHECK_AT(CMoruRspQryOrderField, TenderOfferorCode, 245);

MORU_CHECK_SIZE(CMoruReqQryTradeField, 158);
MORU_CHECK_AT(CMoruReqQryTradeField, OrderSysID, 0);
MORU_CHECK_AT(CMoruReqQryTradeField, SecurityID, 4);
MORU_CHECK_AT(CMoruReqQryTradeField, StartTime, 12);
MORU_CHECK_AT(CMoruReqQryTradeField, EndTime, 21);
MORU_CHECK_AT(CMoruReqQryTradeField, QueryPosition, 34);
MORU_CHECK_AT(CMoruReqQryTradeField, QueryMode, 42);

MORU_CHECK_SIZE(CMoruRspQryTradeField, 259);
MORU_CHECK_AT(CMoruRspQryTradeField, TradeQty, 13);
MORU_CHECK_AT(CMoruRspQryTradeField, LeavesQty, 17);
MORU_CHECK_AT(CMoruRspQryTradeField, SecurityID, 21);
MORU_CHECK_AT(CMoruRspQryTradeField, TradeTime, 38);
MORU_CHECK_AT(CMoruRspQryTradeField, TradePrice, 47);
MORU_CHECK_AT(CMoruRspQryTradeField, Side, 89);
MORU_CHECK_AT(CMoruRspQryTradeField, OrderNo, 155);
MORU_CHECK_AT(CMoruRspQryTradeField, NextPosition, 182);
MORU_CHECK_AT(CMoruRspQryTradeField, HasMore, 186);
MORU_CHECK_AT(CMoruRspQryTradeField, OrderType, 217);
MORU_CHECK_AT(CMoruRspQryTradeField, ComponentCount, 218);
MORU_CHECK_AT(CMoruRspQryTradeField, ComponentSecurityID, 220);
MORU_CHECK_AT(CMoruRspQryTradeField, ComponentSource, 228);
MORU_CHECK_AT(CMoruRspQryTradeField, OldPositionQty, 229);
MORU_CHECK_AT(CMoruRspQryTradeField, ComponentTradeQty, 233);
MORU_CHECK_AT(CMoruRspQryTradeField, CashReplaceAmount, 237);

MORU_CHECK_SIZE(CMoruReqQryStockPositionField, 151);
MORU_CHECK_AT(CMoruReqQryStockPositionField, AccountID, 0);
MORU_CHECK_AT(CMoruReqQryStockPositionField, SecurityID, 15);

MORU_CHECK_SIZE(CMoruRspQryStockPositionField, 255);
MORU_CHECK_AT(CMoruRspQryStockPositionField, SecurityID, 15);
MORU_CHECK_AT(CMoruRspQryStockPositionField, TodayBuyQty, 31);
MORU_CHECK_AT(CMoruRspQryStockPositionField, TodaySellQty, 39);
MORU_CHECK_AT(CMoruRspQryStockPositionField, YesterdayQty, 71);
MORU_CHECK_AT(CMoruRspQryStockPositionField, TotalQty, 95);
MORU_CHECK_AT(CMoruRspQryStockPositionField, PositionCost, 103);
MORU_CHECK_AT(CMoruRspQryStockPositionField, AvailableQty, 136);
MORU_CHECK_AT(CMoruRspQryStockPositionField, PurchasableQty, 182);
MORU_CHECK_AT(CMoruRspQryStockPositionField, RedeemableQty, 190);

MORU_CHECK_SIZE(CMoruReqQryStockClientAccountField, 143);
MORU_CHECK_AT(CMoruReqQryStockClientAccountField, AccountID, 0);

MORU_CHECK_SIZE(CMoruRspQryStockClientAccountField, 224);
MORU_CHECK_AT(CMoruRspQryStockClientAccountField, FrozenCapital, 16);
MORU_CHECK_AT(CMoruRspQryStockClientAccountField, LockedFee, 24);
MORU_CHECK_AT(CMoruRspQryStockClientAccountField, Fee, 32);
MORU_CHECK_AT(CMoruRspQryStockClientAccountField, InitialCapital, 40);
MORU_CHECK_AT(CMoruRspQryStockClientAccountField, TodaySellAmount, 56);
MORU_CHECK_AT(CMoruRspQryStockClientAccountField, TodayBuyAmount, 64);
MORU_CHECK_AT(CMoruRspQryStockClientAccountField, AvailableCapital, 88);
MORU_CHECK_AT(CMoruRspQryStockClientAccountField, WithdrawableCapital, 130);

MORU_CHECK_SIZE(CMoruReqCapTransferField, 134);
MORU_CHECK_AT(CMoruReqCapTransferField, AccountID, 4);
MORU_CHECK_AT(CMoruReqCapTransferField, Amount, 30);
MORU_CHECK_SIZE(CMoruRspCapTransferField, 136);

MORU_CHECK_SIZE(CMoruReqQryCapTransferRecordField, 83);
MORU_CHECK_AT(CMoruReqQryCapTransferRecordField, AccountID, 4);

MORU_CHECK_SIZE(CMoruRspQryCapTransferRecordField, 105);
MORU_CHECK_AT(CMoruRspQryCapTransferRecordField, OrgCode, 0);
MORU_CHECK_AT(CMoruRspQryCapTransferRecordField, Amount, 19);
MORU_CHECK_AT(CMoruRspQryCapTransferRecordField, TransferDirection, 27);
MORU_CHECK_AT(CMoruRspQryCapTransferRecordField, OperTime, 32);

MORU_CHECK_SIZE(CMoruReqBTCapTransferManagerField, 92);
MORU_CHECK_AT(CMoruReqBTCapTransferManagerField, AccountID, 4);
MORU_CHECK_AT(CMoruReqBTCapTransferManagerField, Amount, 20);
MORU_CHECK_AT(CMoruReqBTCapTransferManagerField, TransferDirection, 28);
MORU_CHECK_SIZE(CMoruRspBTCapTransferManagerField, 96);
MORU_CHECK_SIZE(CMoruRtnBtCapTransferManagerField, 97);

MORU_CHECK_SIZE(CMoruReqQryBTCapTransferManagerField, 82);
MORU_CHECK_AT(CMoruReqQryBTCapTransferManagerField, AccountID, 4);

MORU_CHECK_SIZE(CMoruRspQryBTCapTransferManagerField, 113);
MORU_CHECK_AT(CMoruRspQryBTCapTransferManagerField, OrgCode, 4);
MORU_CHECK_AT(CMoruRspQryBTCapTransferManagerField, Amount, 24);
MORU_CHECK_AT(CMoruRspQryBTCapTransferManagerField, TransferDirection, 32);
MORU_CHECK_AT(CMoruRspQryBTCapTransferManagerField, OperTime, 33);
MORU_CHECK_AT(CMoruRspQryBTCapTransferManagerField, ErrorCode, 42);
MORU_CHECK_AT(CMoruRspQryBTCapTransferManagerField, TransferStatus, 46);

MORU_CHECK_SIZE(CMoruReqUserPasswordUpdateField, 99);
MORU_CHECK_AT(CMoruReqUserPasswordUpdateField, AccountID, 0);
MORU_CHECK_AT(CMoruReqUserPasswordUpdateField, NewPassword, 15);
MORU_CHECK_AT(CMoruReqUserPasswordUpdateField, OldPassword, 25);
MORU_CHECK_SIZE(CMoruRspUserPasswordUpdateField, 99);

MORU_CHECK_SIZE(CMoruRspQryStockSecuritiesField, 280);

#undef MORU_CHECK_SIZE
#undef MORU_CHECK_AT

#endif  // MORU_API_TYPES_H
