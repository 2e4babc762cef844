// The counter reads and writes raw bytes; these keep every size and every offset it uses in
// step with the library's records. Offsets it writes into the records' reserved bytes (the
// trade id and amount, a fund answer's balances, a transfer's serial number) have no field to
// check against.
#include <cstddef>

#include "moru_api_types.h"
#include "records.h"

#define MORU_SIM_SAME_SIZE(ns, k, T) static_assert(rec::ns::k == sizeof(T), #ns " size")
#define MORU_SIM_SAME_AT(ns, ours, T, theirs) \
    static_assert(rec::ns::ours == offsetof(T, theirs), #ns "::" #ours)

static_assert(rec::kRspInfo == sizeof(CMoruRspInfo), "response info");
MORU_SIM_SAME_SIZE(OrderRec, kRtnSize, CMoruRtnOrderField);
MORU_SIM_SAME_AT(OrderRec, RtnText, CMoruRtnOrderField, OrderText);
MORU_SIM_SAME_SIZE(BTRsp, kRspSize, CMoruRspBTCapTransferManagerField);
MORU_SIM_SAME_SIZE(BTRsp, kRtnSize, CMoruRtnBtCapTransferManagerField);

MORU_SIM_SAME_AT(OrderInsert, OrderRef, CMoruReqOrderInsertField, OrderRef);
MORU_SIM_SAME_AT(OrderInsert, SecurityID, CMoruReqOrderInsertField, SecurityID);
MORU_SIM_SAME_AT(OrderInsert, Side, CMoruReqOrderInsertField, Side);
MORU_SIM_SAME_AT(OrderInsert, LimitPrice, CMoruReqOrderInsertField, LimitPrice);
MORU_SIM_SAME_AT(OrderInsert, OrderQty, CMoruReqOrderInsertField, OrderQty);
MORU_SIM_SAME_AT(OrderInsert, OrderType, CMoruReqOrderInsertField, OrderType);
MORU_SIM_SAME_AT(OrderInsert, OrderFlag, CMoruReqOrderInsertField, OrderFlag);
MORU_SIM_SAME_AT(OrderInsert, ClientTag, CMoruReqOrderInsertField, ClientTag);

MORU_SIM_SAME_AT(TenderOffer, OrderRef, CMoruReqTenderOfferOrderField, OrderRef);
MORU_SIM_SAME_AT(TenderOffer, SecurityID, CMoruReqTenderOfferOrderField, SecurityID);
MORU_SIM_SAME_AT(TenderOffer, Side, CMoruReqTenderOfferOrderField, Side);
MORU_SIM_SAME_AT(TenderOffer, OrderQty, CMoruReqTenderOfferOrderField, OrderQty);
MORU_SIM_SAME_AT(TenderOffer, OfferorCode, CMoruReqTenderOfferOrderField, TenderOfferorCode);

MORU_SIM_SAME_AT(WarrantExercise, OrderRef, CMoruReqWarrantExerciseOrderField, OrderRef);
MORU_SIM_SAME_AT(WarrantExercise, SecurityID, CMoruReqWarrantExerciseOrderField, SecurityID);
MORU_SIM_SAME_AT(WarrantExercise, Side, CMoruReqWarrantExerciseOrderField, Side);
MORU_SIM_SAME_AT(WarrantExercise, LimitPrice, CMoruReqWarrantExerciseOrderField, LimitPrice);
MORU_SIM_SAME_AT(WarrantExercise, OrderQty, CMoruReqWarrantExerciseOrderField, OrderQty);

MORU_SIM_SAME_AT(OrderAction, OrderRef, CMoruReqOrderActionField, OrderRef);
MORU_SIM_SAME_AT(OrderAction, OrderSysID, CMoruReqOrderActionField, OrderSysID);
MORU_SIM_SAME_AT(OrderAction, OperWay, CMoruReqOrderActionField, OperWay);

MORU_SIM_SAME_AT(QryOrder, OrderSysID, CMoruReqQryOrderField, OrderSysID);
MORU_SIM_SAME_AT(QryOrder, SecurityID, CMoruReqQryOrderField, SecurityID);
MORU_SIM_SAME_AT(QryOrder, StartTime, CMoruReqQryOrderField, StartTime);
MORU_SIM_SAME_AT(QryOrder, EndTime, CMoruReqQryOrderField, EndTime);
MORU_SIM_SAME_AT(QryOrder, QueryPosition, CMoruReqQryOrderField, QueryPosition);
MORU_SIM_SAME_AT(QryOrder, QueryMode, CMoruReqQryOrderField, QueryMode);

MORU_SIM_SAME_AT(QryTrade, OrderSysID, CMoruReqQryTradeField, OrderSysID);
MORU_SIM_SAME_AT(QryTrade, SecurityID, CMoruReqQryTradeField, SecurityID);
MORU_SIM_SAME_AT(QryTrade, StartTime, CMoruReqQryTradeField, StartTime);
MORU_SIM_SAME_AT(QryTrade, EndTime, CMoruReqQryTradeField, EndTime);
MORU_SIM_SAME_AT(QryTrade, QueryPosition, CMoruReqQryTradeField, QueryPosition);
MORU_SIM_SAME_AT(QryTrade, QueryMode, CMoruReqQryTradeField, QueryMode);

MORU_SIM_SAME_AT(QryPosition, AccountID, CMoruReqQryStockPositionField, AccountID);
MORU_SIM_SAME_AT(QryPosition, SecurityID, CMoruReqQryStockPositionField, SecurityID);

MORU_SIM_SAME_AT(CapTransfer, AccountID, CMoruReqCapTransferField, AccountID);
MORU_SIM_SAME_AT(CapTransfer, Amount, CMoruReqCapTransferField, Amount);

MORU_SIM_SAME_AT(QryAccountRecords, AccountID, CMoruReqQryCapTransferRecordField, AccountID);

MORU_SIM_SAME_AT(BTTransfer, AccountID, CMoruReqBTCapTransferManagerField, AccountID);
MORU_SIM_SAME_AT(BTTransfer, Amount, CMoruReqBTCapTransferManagerField, Amount);
MORU_SIM_SAME_AT(BTTransfer, Direction, CMoruReqBTCapTransferManagerField, TransferDirection);

MORU_SIM_SAME_AT(QryFund, AccountID, CMoruReqQryStockClientAccountField, AccountID);

MORU_SIM_SAME_AT(PwdUpdate, AccountID, CMoruReqUserPasswordUpdateField, AccountID);
MORU_SIM_SAME_AT(PwdUpdate, NewPassword, CMoruReqUserPasswordUpdateField, NewPassword);
MORU_SIM_SAME_AT(PwdUpdate, OldPassword, CMoruReqUserPasswordUpdateField, OldPassword);

MORU_SIM_SAME_SIZE(OrderRsp, kInsert, CMoruRspOrderInsertField);
MORU_SIM_SAME_AT(OrderRsp, OrderRef, CMoruRspOrderInsertField, OrderRef);
MORU_SIM_SAME_AT(OrderRsp, SecurityID, CMoruRspOrderInsertField, SecurityID);
MORU_SIM_SAME_AT(OrderRsp, Side, CMoruRspOrderInsertField, Side);
MORU_SIM_SAME_AT(OrderRsp, LimitPrice, CMoruRspOrderInsertField, LimitPrice);
MORU_SIM_SAME_AT(OrderRsp, OrderQty, CMoruRspOrderInsertField, OrderQty);
MORU_SIM_SAME_AT(OrderRsp, OrderType, CMoruRspOrderInsertField, OrderType);
MORU_SIM_SAME_AT(OrderRsp, OrderSysID, CMoruRspOrderInsertField, OrderSysID);

MORU_SIM_SAME_SIZE(TenderRsp, kSize, CMoruRspTenderOfferOrderField);
MORU_SIM_SAME_AT(TenderRsp, OrderRef, CMoruRspTenderOfferOrderField, OrderRef);
MORU_SIM_SAME_AT(TenderRsp, SecurityID, CMoruRspTenderOfferOrderField, SecurityID);
MORU_SIM_SAME_AT(TenderRsp, Side, CMoruRspTenderOfferOrderField, Side);
MORU_SIM_SAME_AT(TenderRsp, OrderQty, CMoruRspTenderOfferOrderField, OrderQty);
MORU_SIM_SAME_AT(TenderRsp, OfferorCode, CMoruRspTenderOfferOrderField, TenderOfferorCode);
MORU_SIM_SAME_AT(TenderRsp, OrderSysID, CMoruRspTenderOfferOrderField, OrderSysID);

MORU_SIM_SAME_SIZE(WarrantRsp, kSize, CMoruRspWarrantExerciseOrderField);
MORU_SIM_SAME_AT(WarrantRsp, OrderRef, CMoruRspWarrantExerciseOrderField, OrderRef);
MORU_SIM_SAME_AT(WarrantRsp, SecurityID, CMoruRspWarrantExerciseOrderField, SecurityID);
MORU_SIM_SAME_AT(WarrantRsp, Side, CMoruRspWarrantExerciseOrderField, Side);
MORU_SIM_SAME_AT(WarrantRsp, LimitPrice, CMoruRspWarrantExerciseOrderField, LimitPrice);
MORU_SIM_SAME_AT(WarrantRsp, OrderQty, CMoruRspWarrantExerciseOrderField, OrderQty);
MORU_SIM_SAME_AT(WarrantRsp, OrderSysID, CMoruRspWarrantExerciseOrderField, OrderSysID);

MORU_SIM_SAME_SIZE(ActionRsp, kSize, CMoruRspOrderActionField);
MORU_SIM_SAME_AT(ActionRsp, OrderRef, CMoruRspOrderActionField, OrderRef);
MORU_SIM_SAME_AT(ActionRsp, OrderSysID, CMoruRspOrderActionField, OrderSysID);

MORU_SIM_SAME_SIZE(OrderRec, kSize, CMoruRspQryOrderField);
MORU_SIM_SAME_AT(OrderRec, OrderRef, CMoruRspQryOrderField, OrderRef);
MORU_SIM_SAME_AT(OrderRec, SecurityID, CMoruRspQryOrderField, SecurityID);
MORU_SIM_SAME_AT(OrderRec, Side, CMoruRspQryOrderField, Side);
MORU_SIM_SAME_AT(OrderRec, LimitPrice, CMoruRspQryOrderField, LimitPrice);
MORU_SIM_SAME_AT(OrderRec, OrderQty, CMoruRspQryOrderField, OrderQty);
MORU_SIM_SAME_AT(OrderRec, OrderType, CMoruRspQryOrderField, OrderType);
MORU_SIM_SAME_AT(OrderRec, OrderSysID, CMoruRspQryOrderField, OrderSysID);
MORU_SIM_SAME_AT(OrderRec, RecvTime, CMoruRspQryOrderField, RecvTime);
MORU_SIM_SAME_AT(OrderRec, TradeQty, CMoruRspQryOrderField, TradeQty);
MORU_SIM_SAME_AT(OrderRec, LeavesQty, CMoruRspQryOrderField, LeavesQty);
MORU_SIM_SAME_AT(OrderRec, OrderStatus, CMoruRspQryOrderField, OrderStatus);
MORU_SIM_SAME_AT(OrderRec, NodeID, CMoruRspQryOrderField, NodeID);
MORU_SIM_SAME_AT(OrderRec, OrderNo, CMoruRspQryOrderField, OrderNo);
MORU_SIM_SAME_AT(OrderRec, MsgKind, CMoruRspQryOrderField, MsgKind);
MORU_SIM_SAME_AT(OrderRec, SecurityType, CMoruRspQryOrderField, SecurityType);
MORU_SIM_SAME_AT(OrderRec, ErrorCode, CMoruRspQryOrderField, ErrorCode);
MORU_SIM_SAME_AT(OrderRec, NextPosition, CMoruRspQryOrderField, NextPosition);
MORU_SIM_SAME_AT(OrderRec, HasMore, CMoruRspQryOrderField, HasMore);
MORU_SIM_SAME_AT(OrderRec, TradeAmount, CMoruRspQryOrderField, TradeAmount);
MORU_SIM_SAME_AT(OrderRec, OfferorCode, CMoruRspQryOrderField, TenderOfferorCode);

MORU_SIM_SAME_SIZE(TradeRec, kSize, CMoruRspQryTradeField);
MORU_SIM_SAME_AT(TradeRec, OrderSysID, CMoruRspQryTradeField, OrderSysID);
MORU_SIM_SAME_AT(TradeRec, TradeQty, CMoruRspQryTradeField, TradeQty);
MORU_SIM_SAME_AT(TradeRec, LeavesQty, CMoruRspQryTradeField, LeavesQty);
MORU_SIM_SAME_AT(TradeRec, SecurityID, CMoruRspQryTradeField, SecurityID);
MORU_SIM_SAME_AT(TradeRec, TradeTime, CMoruRspQryTradeField, TradeTime);
MORU_SIM_SAME_AT(TradeRec, TradePrice, CMoruRspQryTradeField, TradePrice);
MORU_SIM_SAME_AT(TradeRec, Side, CMoruRspQryTradeField, Side);
MORU_SIM_SAME_AT(TradeRec, OrderNo, CMoruRspQryTradeField, OrderNo);
MORU_SIM_SAME_AT(TradeRec, NextPosition, CMoruRspQryTradeField, NextPosition);
MORU_SIM_SAME_AT(TradeRec, HasMore, CMoruRspQryTradeField, HasMore);
MORU_SIM_SAME_AT(TradeRec, OrderType, CMoruRspQryTradeField, OrderType);
MORU_SIM_SAME_AT(TradeRec, ComponentCount, CMoruRspQryTradeField, ComponentCount);
MORU_SIM_SAME_AT(TradeRec, ComponentSecurityID, CMoruRspQryTradeField, ComponentSecurityID);
MORU_SIM_SAME_AT(TradeRec, ComponentSource, CMoruRspQryTradeField, ComponentSource);
MORU_SIM_SAME_AT(TradeRec, OldPositionQty, CMoruRspQryTradeField, OldPositionQty);
MORU_SIM_SAME_AT(TradeRec, ComponentTradeQty, CMoruRspQryTradeField, ComponentTradeQty);
MORU_SIM_SAME_AT(TradeRec, CashReplaceAmount, CMoruRspQryTradeField, CashReplaceAmount);

MORU_SIM_SAME_SIZE(PositionRec, kSize, CMoruRspQryStockPositionField);
MORU_SIM_SAME_AT(PositionRec, AccountID, CMoruRspQryStockPositionField, AccountID);
MORU_SIM_SAME_AT(PositionRec, SecurityID, CMoruRspQryStockPositionField, SecurityID);
MORU_SIM_SAME_AT(PositionRec, TodayBuyQty, CMoruRspQryStockPositionField, TodayBuyQty);
MORU_SIM_SAME_AT(PositionRec, TodaySellQty, CMoruRspQryStockPositionField, TodaySellQty);
MORU_SIM_SAME_AT(PositionRec, YesterdayQty, CMoruRspQryStockPositionField, YesterdayQty);
MORU_SIM_SAME_AT(PositionRec, TotalQty, CMoruRspQryStockPositionField, TotalQty);
MORU_SIM_SAME_AT(PositionRec, PositionCost, CMoruRspQryStockPositionField, PositionCost);
MORU_SIM_SAME_AT(PositionRec, AvailableQty, CMoruRspQryStockPositionField, AvailableQty);
MORU_SIM_SAME_AT(PositionRec, PurchasableQty, CMoruRspQryStockPositionField, PurchasableQty);
MORU_SIM_SAME_AT(PositionRec, RedeemableQty, CMoruRspQryStockPositionField, RedeemableQty);

MORU_SIM_SAME_SIZE(FundRec, kSize, CMoruRspQryStockClientAccountField);
MORU_SIM_SAME_AT(FundRec, AccountID, CMoruRspQryStockClientAccountField, AccountID);
MORU_SIM_SAME_AT(FundRec, FrozenCapital, CMoruRspQryStockClientAccountField, FrozenCapital);
MORU_SIM_SAME_AT(FundRec, LockedFee, CMoruRspQryStockClientAccountField, LockedFee);
MORU_SIM_SAME_AT(FundRec, Fee, CMoruRspQryStockClientAccountField, Fee);
MORU_SIM_SAME_AT(FundRec, InitialCapital, CMoruRspQryStockClientAccountField, InitialCapital);
MORU_SIM_SAME_AT(FundRec, TodaySellAmount, CMoruRspQryStockClientAccountField, TodaySellAmount);
MORU_SIM_SAME_AT(FundRec, TodayBuyAmount, CMoruRspQryStockClientAccountField, TodayBuyAmount);
MORU_SIM_SAME_AT(FundRec, AvailableCapital, CMoruRspQryStockClientAccountField, AvailableCapital);
MORU_SIM_SAME_AT(FundRec, WithdrawableCapital, CMoruRspQryStockClientAccountField, WithdrawableCapital);

MORU_SIM_SAME_SIZE(InOutRec, kSize, CMoruRspQryCapTransferRecordField);
MORU_SIM_SAME_AT(InOutRec, OrgCode, CMoruRspQryCapTransferRecordField, OrgCode);
MORU_SIM_SAME_AT(InOutRec, AccountID, CMoruRspQryCapTransferRecordField, AccountID);
MORU_SIM_SAME_AT(InOutRec, Amount, CMoruRspQryCapTransferRecordField, Amount);
MORU_SIM_SAME_AT(InOutRec, Direction, CMoruRspQryCapTransferRecordField, TransferDirection);
MORU_SIM_SAME_AT(InOutRec, OperTime, CMoruRspQryCapTransferRecordField, OperTime);

MORU_SIM_SAME_SIZE(CapTransferRsp, kSize, CMoruRspCapTransferField);
MORU_SIM_SAME_AT(CapTransferRsp, AccountID, CMoruRspCapTransferField, AccountID);
MORU_SIM_SAME_AT(CapTransferRsp, Amount, CMoruRspCapTransferField, Amount);

MORU_SIM_SAME_SIZE(BTRec, kSize, CMoruRspQryBTCapTransferManagerField);
MORU_SIM_SAME_AT(BTRec, OrgCode, CMoruRspQryBTCapTransferManagerField, OrgCode);
MORU_SIM_SAME_AT(BTRec, AccountID, CMoruRspQryBTCapTransferManagerField, AccountID);
MORU_SIM_SAME_AT(BTRec, Amount, CMoruRspQryBTCapTransferManagerField, Amount);
MORU_SIM_SAME_AT(BTRec, Direction, CMoruRspQryBTCapTransferManagerField, TransferDirection);
MORU_SIM_SAME_AT(BTRec, OperTime, CMoruRspQryBTCapTransferManagerField, OperTime);
MORU_SIM_SAME_AT(BTRec, ErrorCode, CMoruRspQryBTCapTransferManagerField, ErrorCode);
MORU_SIM_SAME_AT(BTRec, Status, CMoruRspQryBTCapTransferManagerField, TransferStatus);

MORU_SIM_SAME_AT(BTRsp, AccountID, CMoruRtnBtCapTransferManagerField, AccountID);
MORU_SIM_SAME_AT(BTRsp, Amount, CMoruRtnBtCapTransferManagerField, Amount);
MORU_SIM_SAME_AT(BTRsp, Direction, CMoruRtnBtCapTransferManagerField, TransferDirection);
MORU_SIM_SAME_AT(BTRsp, Status, CMoruRtnBtCapTransferManagerField, TransferStatus);

MORU_SIM_SAME_SIZE(PwdRsp, kSize, CMoruRspUserPasswordUpdateField);
MORU_SIM_SAME_AT(PwdRsp, AccountID, CMoruRspUserPasswordUpdateField, AccountID);

#undef MORU_SIM_SAME_SIZE
#undef MORU_SIM_SAME_AT
