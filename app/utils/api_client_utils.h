#pragma once

#include "moru_securities_api.h"

// The callbacks handed to the trading library. They run on the library's threads: each one logs, updates
// the process-wide login state where the login depends on it, and passes the record on through the
// signal hub. None of them touches a widget.
class ApiClientUtils {
public:
    ApiClientUtils() = delete;

    // Fills the static table once, before the first login; the 8 unused slots stay null.
    static void fillCallbackTable();
    // The table that the login copies into registerSpi.
    static const CMoruTraderSpi& callbackTable();

    // Size of the buffer a library log message is formatted into, terminator included.
    static constexpr int kApiMsgBufferSize = 2048;

    static void onFrontManagerQueryConnect();
    static void onRspLoginManager(CMoruRspUserLoginManagerField* pRspField, CMoruRspInfo* pRspInfo,
                                  int nRequestID, bool bIsLast);
    static void onRspLogin(CMoruRspUserLoginField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                           bool bIsLast);
    static void onRspInitTrader(CMoruRspInitTraderField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                                bool bIsLast);
    static void onRspUpdatePwd(CMoruRspUserPasswordUpdateField* pRspField, CMoruRspInfo* pRspInfo,
                               int nRequestID, bool bIsLast);
    static void onFrontManagerQueryDisconnected(int nReason);
    static void onFrontQueryDisconnected(int nReason);
    static void onFrontTradeDisconnected(int nReason);
    static void onDataReady(bool bSuccess, int nKind, int nReason);
    static void onApiMsg(int nLevel, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    static void onRspInsertOrder(CMoruRspOrderInsertField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                                 bool bIsLast);
    static void onErrRtnInsertOrder(CMoruRspOrderInsertField* pRspField, CMoruRspInfo* pRspInfo,
                                    int nRequestID, bool bIsLast);
    static void onRspCancelOrder(CMoruRspOrderActionField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                                 bool bIsLast);
    static void onErrRtnCancelOrder(CMoruRspOrderActionField* pRspField, CMoruRspInfo* pRspInfo,
                                    int nRequestID, bool bIsLast);
    static void onRtnOrder(CMoruRtnOrderField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                           bool bIsLast);
    static void onRspQryOrder(CMoruRspQryOrderField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                              bool bIsLast);
    static void onRspQryTrade(CMoruRspQryTradeField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                              bool bIsLast);
    static void onRspBTFundTransfer(CMoruRspBTCapTransferManagerField* pRspField, CMoruRspInfo* pRspInfo,
                                    int nRequestID, bool bIsLast);
    static void onRtnBTFundTransfer(CMoruRtnBtCapTransferManagerField* pRspField, CMoruRspInfo* pRspInfo,
                                    int nRequestID, bool bIsLast);
    static void onRspQryBTFundTransferRecord(CMoruRspQryBTCapTransferManagerField* pRspField,
                                             CMoruRspInfo* pRspInfo, int nRequestID, bool bIsLast);
    static void onRspInFund(CMoruRspCapTransferField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                            bool bIsLast);
    static void onRspOutFund(CMoruRspCapTransferField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                             bool bIsLast);
    static void onRspQryInOutFundRecord(CMoruRspQryCapTransferRecordField* pRspField, CMoruRspInfo* pRspInfo,
                                        int nRequestID, bool bIsLast);
    static void onRspQryFund(CMoruRspQryStockClientAccountField* pRspField, CMoruRspInfo* pRspInfo,
                             int nRequestID, bool bIsLast);
    static void onRspQryPosition(CMoruRspQryStockPositionField* pRspField, CMoruRspInfo* pRspInfo,
                                 int nRequestID, bool bIsLast);
    static void onRspQrySecurities(CMoruRspQryStockSecuritiesField* pRspField, CMoruRspInfo* pRspInfo,
                                   int nRequestID, bool bIsLast);
    static void onRspQryRightsAndInterests(CMoruRspQryStockQuotaField* pRspField, CMoruRspInfo* pRspInfo,
                                           int nRequestID, bool bIsLast);
    static void onRspQryInvestorInfo(CMoruRspQryInvestorInfoField* pRspField, CMoruRspInfo* pRspInfo,
                                     int nRequestID, bool bIsLast);
    static void onRspQryPrcProgramInfo(CMoruRspQryPrcProgramInfoField* pRspField, CMoruRspInfo* pRspInfo,
                                       int nRequestID, bool bIsLast);
    static void onRspQryExChangeGateWay(CMoruRspQryExChangeGateWayField* pRspField, CMoruRspInfo* pRspInfo,
                                        int nRequestID, bool bIsLast);
    static void onRtnInOutPosition(CMoruRtnInOutPositionField* pRspField, CMoruRspInfo* pRspInfo,
                                   int nRequestID, bool bIsLast);
    static void onRtnExChangeGateWay(CMoruRtnExChangeGateWayField* pRspField, CMoruRspInfo* pRspInfo,
                                     int nRequestID, bool bIsLast);
    static void onRspQryQFIIOrder(CMoruRspQryQFIIOrderField* pRspField, CMoruRspInfo* pRspInfo,
                                  int nRequestID, bool bIsLast);
    static void onRspQryQFIITrade(CMoruRspQryQFIITradeField* pRspField, CMoruRspInfo* pRspInfo,
                                  int nRequestID, bool bIsLast);
    static void onRspTenderOfferOrder(CMoruRspTenderOfferOrderField* pRspField, CMoruRspInfo* pRspInfo,
                                      int nRequestID, bool bIsLast);
    static void onRspWarrantExerciseOrder(CMoruRspWarrantExerciseOrderField* pRspField,
                                          CMoruRspInfo* pRspInfo, int nRequestID, bool bIsLast);

    // Holds the slots the program has no use for: accepts the call and returns.
    static void onNoOp();

private:
    static CMoruTraderSpi s_table;
};
