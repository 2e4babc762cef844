// The counter writes raw bytes; these keep its layouts in step with the library's records.
#include <cstddef>

#include "moru_api_types.h"
#include "records.h"

static_assert(rec::OrderRec::kSize == sizeof(CMoruRspQryOrderField), "order record");
static_assert(rec::OrderRec::kRtnSize == sizeof(CMoruRtnOrderField), "order return");
static_assert(rec::OrderRec::RtnText == offsetof(CMoruRtnOrderField, OrderText), "order return text");
static_assert(rec::OrderRec::NextPosition == offsetof(CMoruRspQryOrderField, NextPosition), "next position");
static_assert(rec::TradeRec::kSize == sizeof(CMoruRspQryTradeField), "trade record");
static_assert(rec::TradeRec::HasMore == offsetof(CMoruRspQryTradeField, HasMore), "trade has-more");
static_assert(rec::PositionRec::kSize == sizeof(CMoruRspQryStockPositionField), "position record");
static_assert(rec::FundRec::kSize == sizeof(CMoruRspQryStockClientAccountField), "fund record");
static_assert(rec::InOutRec::kSize == sizeof(CMoruRspQryCapTransferRecordField), "in/out record");
static_assert(rec::CapTransferRsp::kSize == sizeof(CMoruRspCapTransferField), "fund answer");
static_assert(rec::BTRec::kSize == sizeof(CMoruRspQryBTCapTransferManagerField), "transfer record");
static_assert(rec::BTRec::Status == offsetof(CMoruRspQryBTCapTransferManagerField, TransferStatus), "status");
static_assert(rec::BTRsp::kRspSize == sizeof(CMoruRspBTCapTransferManagerField), "transfer answer");
static_assert(rec::BTRsp::kRtnSize == sizeof(CMoruRtnBtCapTransferManagerField), "transfer report");
static_assert(rec::BTRsp::Status == offsetof(CMoruRtnBtCapTransferManagerField, TransferStatus), "status");
static_assert(rec::OrderRsp::kInsert == sizeof(CMoruRspOrderInsertField), "insert answer");
static_assert(rec::OrderRsp::OrderSysID == offsetof(CMoruRspOrderInsertField, OrderSysID), "order number");
static_assert(rec::TenderRsp::kSize == sizeof(CMoruRspTenderOfferOrderField), "tender answer");
static_assert(rec::TenderRsp::OrderSysID == offsetof(CMoruRspTenderOfferOrderField, OrderSysID), "tender");
static_assert(rec::WarrantRsp::kSize == sizeof(CMoruRspWarrantExerciseOrderField), "exercise answer");
static_assert(rec::WarrantRsp::OrderSysID == offsetof(CMoruRspWarrantExerciseOrderField, OrderSysID),
              "exercise");
static_assert(rec::ActionRsp::kSize == sizeof(CMoruRspOrderActionField), "cancel answer");
static_assert(rec::PwdRsp::kSize == sizeof(CMoruRspUserPasswordUpdateField), "password answer");
static_assert(rec::kRspInfo == sizeof(CMoruRspInfo), "response info");
