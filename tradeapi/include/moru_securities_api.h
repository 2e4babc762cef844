// The trading library's C interface: instance management, login, the fourteen requests and the table
// of callbacks through which every answer comes back, on the library's own threads.
//
// Order of use: createTraderApi -> registerSpi -> reqLogin -> requests -> release.
// Every request takes its record, a request id (echoed in the answer) and the entry number; it returns
// 0 when sent and non-zero when not (unknown entry, link down, null record).
#ifndef MORU_SECURITIES_API_H
#define MORU_SECURITIES_API_H

#include <cstddef>

#include "moru_api_types.h"

#if defined(_WIN32)
#if defined(MORU_TRADEAPI_BUILD)
#define MORU_API __declspec(dllexport)
#else
#define MORU_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define MORU_API __attribute__((visibility("default")))
#else
#define MORU_API
#endif

// Number of entries (API instances) the library can hold; entry numbers run 0 .. count - 1.
#define MORU_ENTRY_COUNT 8

// createTraderApi results other than success.
#define MORU_CREATE_OUT_OF_RANGE (-1)
#define MORU_CREATE_ALREADY_EXISTS (-2)

// onApiMsg levels: 0 is information, anything else an error.
#define MORU_API_MSG_INFO 0
#define MORU_API_MSG_ERROR 1

// ---------------------------------------------------------------------------------------------------
// Callback signatures.

extern "C" {

typedef void (*MoruOnFrontConnect)();
typedef void (*MoruOnFrontDisconnected)(int nReason);
typedef void (*MoruOnDataReady)(bool bSuccess, int nKind, int nReason);
typedef void (*MoruOnApiMsg)(int nLevel, const char* format, ...);
// Slots the library holds but never calls with arguments the terminal relies on.
typedef void (*MoruReservedCallback)();

#define MORU_RSP_CALLBACK(Name, Record) \
    typedef void (*Name)(Record * pRspField, CMoruRspInfo * pRspInfo, int nRequestID, bool bIsLast)

MORU_RSP_CALLBACK(MoruOnRspLoginManager, CMoruRspUserLoginManagerField);
MORU_RSP_CALLBACK(MoruOnRspLogin, CMoruRspUserLoginField);
MORU_RSP_CALLBACK(MoruOnRspInitTrader, CMoruRspInitTraderField);
MORU_RSP_CALLBACK(MoruOnRspUpdatePwd, CMoruRspUserPasswordUpdateField);
MORU_RSP_CALLBACK(MoruOnRspInsertOrder, CMoruRspOrderInsertField);
MORU_RSP_CALLBACK(MoruOnRspCancelOrder, CMoruRspOrderActionField);
MORU_RSP_CALLBACK(MoruOnRtnOrder, CMoruRtnOrderField);
MORU_RSP_CALLBACK(MoruOnRspQryOrder, CMoruRspQryOrderField);
MORU_RSP_CALLBACK(MoruOnRspQryTrade, CMoruRspQryTradeField);
MORU_RSP_CALLBACK(MoruOnRspBTFundTransfer, CMoruRspBTCapTransferManagerField);
MORU_RSP_CALLBACK(MoruOnRtnBTFundTransfer, CMoruRtnBtCapTransferManagerField);
MORU_RSP_CALLBACK(MoruOnRspQryBTFundTransferRecord, CMoruRspQryBTCapTransferManagerField);
MORU_RSP_CALLBACK(MoruOnRspFund, CMoruRspCapTransferField);
MORU_RSP_CALLBACK(MoruOnRspQryInOutFundRecord, CMoruRspQryCapTransferRecordField);
MORU_RSP_CALLBACK(MoruOnRspQryFund, CMoruRspQryStockClientAccountField);
MORU_RSP_CALLBACK(MoruOnRspQryPosition, CMoruRspQryStockPositionField);
MORU_RSP_CALLBACK(MoruOnRspQrySecurities, CMoruRspQryStockSecuritiesField);
MORU_RSP_CALLBACK(MoruOnRspQryRightsAndInterests, CMoruRspQryStockQuotaField);
MORU_RSP_CALLBACK(MoruOnRspQryInvestorInfo, CMoruRspQryInvestorInfoField);
MORU_RSP_CALLBACK(MoruOnRspQryPrcProgramInfo, CMoruRspQryPrcProgramInfoField);
MORU_RSP_CALLBACK(MoruOnRspQryExChangeGateWay, CMoruRspQryExChangeGateWayField);
MORU_RSP_CALLBACK(MoruOnRtnInOutPosition, CMoruRtnInOutPositionField);
MORU_RSP_CALLBACK(MoruOnRtnExChangeGateWay, CMoruRtnExChangeGateWayField);
MORU_RSP_CALLBACK(MoruOnRspQryQFIIOrder, CMoruRspQryQFIIOrderField);
MORU_RSP_CALLBACK(MoruOnRspQryQFIITrade, CMoruRspQryQFIITradeField);
MORU_RSP_CALLBACK(MoruOnRspTenderOfferOrder, CMoruRspTenderOfferOrderField);
MORU_RSP_CALLBACK(MoruOnRspWarrantExerciseOrder, CMoruRspWarrantExerciseOrderField);

#undef MORU_RSP_CALLBACK

// ---------------------------------------------------------------------------------------------------
// The callback table: 91 pointers in a fixed order, passed by value to registerSpi. A null pointer means
// "not wanted"; the library checks each pointer before calling it.

#define MORU_CALLBACK_SLOTS 91

struct CMoruTraderSpi {
    MoruOnFrontConnect onFrontManagerQueryConnect;  // 0
    MoruReservedCallback reserved1;
    MoruReservedCallback reserved2;
    MoruOnRspLoginManager onRspLoginManager;  // 3
    MoruOnRspLogin onRspLogin;                // 4
    MoruOnRspInitTrader onRspInitTrader;      // 5
    MoruOnRspUpdatePwd onRspUpdatePwd;        // 6
    MoruReservedCallback reserved7;
    MoruReservedCallback reserved8;
    MoruOnFrontDisconnected onFrontManagerQueryDisconnected;  // 9
    MoruOnFrontDisconnected onFrontQueryDisconnected;         // 10
    MoruOnFrontDisconnected onFrontTradeDisconnected;         // 11
    MoruOnDataReady onDataReady;                              // 12
    MoruOnApiMsg onApiMsg;                                    // 13
    MoruOnRspInsertOrder onRspInsertOrder;                    // 14
    MoruOnRspInsertOrder onErrRtnInsertOrder;                 // 15
    MoruOnRspCancelOrder onRspCancelOrder;                    // 16
    MoruOnRspCancelOrder onErrRtnCancelOrder;                 // 17
    MoruOnRtnOrder onRtnOrder;                                // 18
    MoruReservedCallback reserved19;
    MoruOnRspQryOrder onRspQryOrder;                                // 20
    MoruOnRspQryTrade onRspQryTrade;                                // 21
    MoruOnRspBTFundTransfer onRspBTFundTransfer;                    // 22
    MoruOnRtnBTFundTransfer onRtnBTFundTransfer;                    // 23
    MoruOnRspQryBTFundTransferRecord onRspQryBTFundTransferRecord;  // 24
    MoruReservedCallback reserved25;
    MoruReservedCallback reserved26;
    MoruOnRspFund onRspInFund;                            // 27
    MoruOnRspFund onRspOutFund;                           // 28
    MoruOnRspQryInOutFundRecord onRspQryInOutFundRecord;  // 29
    MoruReservedCallback reserved30;
    MoruReservedCallback reserved31;
    MoruReservedCallback reserved32;
    MoruReservedCallback reserved33;
    MoruReservedCallback reserved34;
    MoruReservedCallback reserved35;
    MoruReservedCallback reserved36;
    MoruOnRspQryFund onRspQryFund;              // 37
    MoruOnRspQryPosition onRspQryPosition;      // 38
    MoruOnRspQrySecurities onRspQrySecurities;  // 39
    MoruReservedCallback reserved40;
    MoruReservedCallback reserved41;
    MoruOnRspQryRightsAndInterests onRspQryRightsAndInterests;  // 42
    MoruOnRspQryInvestorInfo onRspQryInvestorInfo;              // 43
    MoruOnRspQryPrcProgramInfo onRspQryPrcProgramInfo;          // 44
    MoruOnRspQryExChangeGateWay onRspQryExChangeGateWay;        // 45
    MoruOnRtnInOutPosition onRtnInOutPosition;                  // 46
    MoruOnRtnExChangeGateWay onRtnExChangeGateWay;              // 47
    MoruOnRspQryQFIIOrder onRspQryQFIIOrder;                    // 48
    MoruOnRspQryQFIITrade onRspQryQFIITrade;                    // 49
    MoruReservedCallback reserved50;
    MoruOnRspTenderOfferOrder onRspTenderOfferOrder;            // 51
    MoruOnRspWarrantExerciseOrder onRspWarrantExerciseOrder;    // 52
    MoruReservedCallback reserved53[MORU_CALLBACK_SLOTS - 53];  // 53 .. 90
};

}  // extern "C"

static_assert(sizeof(CMoruTraderSpi) == MORU_CALLBACK_SLOTS * sizeof(void*), "callback table size");
#define MORU_CHECK_SLOT(f, n) static_assert(offsetof(CMoruTraderSpi, f) == (n) * sizeof(void*), #f " slot")
MORU_CHECK_SLOT(onFrontManagerQueryConnect, 0);
MORU_CHECK_SLOT(onRspLoginManager, 3);
MORU_CHECK_SLOT(onRspLogin, 4);
MORU_CHECK_SLOT(onRspInitTrader, 5);
MORU_CHECK_SLOT(onRspUpdatePwd, 6);
MORU_CHECK_SLOT(onFrontManagerQueryDisconnected, 9);
MORU_CHECK_SLOT(onFrontQueryDisconnected, 10);
MORU_CHECK_SLOT(onFrontTradeDisconnected, 11);
MORU_CHECK_SLOT(onDataReady, 12);
MORU_CHECK_SLOT(onApiMsg, 13);
MORU_CHECK_SLOT(onRspInsertOrder, 14);
MORU_CHECK_SLOT(onErrRtnInsertOrder, 15);
MORU_CHECK_SLOT(onRspCancelOrder, 16);
MORU_CHECK_SLOT(onErrRtnCancelOrder, 17);
MORU_CHECK_SLOT(onRtnOrder, 18);
MORU_CHECK_SLOT(onRspQryOrder, 20);
MORU_CHECK_SLOT(onRspQryTrade, 21);
MORU_CHECK_SLOT(onRspBTFundTransfer, 22);
MORU_CHECK_SLOT(onRtnBTFundTransfer, 23);
MORU_CHECK_SLOT(onRspQryBTFundTransferRecord, 24);
MORU_CHECK_SLOT(onRspInFund, 27);
MORU_CHECK_SLOT(onRspOutFund, 28);
MORU_CHECK_SLOT(onRspQryInOutFundRecord, 29);
MORU_CHECK_SLOT(reserved30, 30);
MORU_CHECK_SLOT(reserved36, 36);
MORU_CHECK_SLOT(onRspQryFund, 37);
MORU_CHECK_SLOT(onRspQryPosition, 38);
MORU_CHECK_SLOT(onRspQrySecurities, 39);
MORU_CHECK_SLOT(onRspQryRightsAndInterests, 42);
MORU_CHECK_SLOT(onRspQryInvestorInfo, 43);
MORU_CHECK_SLOT(onRspQryPrcProgramInfo, 44);
MORU_CHECK_SLOT(onRspQryExChangeGateWay, 45);
MORU_CHECK_SLOT(onRtnInOutPosition, 46);
MORU_CHECK_SLOT(onRtnExChangeGateWay, 47);
MORU_CHECK_SLOT(onRspQryQFIIOrder, 48);
MORU_CHECK_SLOT(onRspQryQFIITrade, 49);
MORU_CHECK_SLOT(onRspTenderOfferOrder, 51);
MORU_CHECK_SLOT(onRspWarrantExerciseOrder, 52);
MORU_CHECK_SLOT(reserved53, 53);
#undef MORU_CHECK_SLOT

// ---------------------------------------------------------------------------------------------------
// Functions.

extern "C" {

// Creates entry entryNo: 0 created, MORU_CREATE_OUT_OF_RANGE, MORU_CREATE_ALREADY_EXISTS.
MORU_API int createTraderApi(int entryNo);

// Copies the callback table into the entry; later changes to the caller's table have no effect.
MORU_API void registerSpi(CMoruTraderSpi spi, int entryNo);

// Starts a login with the settings of the configuration file at configPath (UTF-8). node is the
// counter node number, market MORU_MARKET_SH or MORU_MARKET_SZ. 0 = started; the outcome arrives
// through onRspLoginManager, onRspLogin, onDataReady and onRspInitTrader.
MORU_API int reqLogin(const char* configPath, const char* account, const char* password, int entryNo,
                      int node, char market, int nRequestID);

// Closes the entry's links, waits for its threads and frees the entry; while another release of the
// entry is under way, waits for that one to finish. Safe on an entry that does not exist; refused
// (non-zero) on one of the library's own threads.
MORU_API int release(int entryNo);

// The counter's text for an error number, known after login; an unknown number gives "". The text is
// NUL-terminated, owned by the library and stays valid for the life of the process.
MORU_API const char* getErrMsgEx(int errorId, char market, int flag, int entryNo);

MORU_API int reqInsertOrder(const CMoruReqOrderInsertField* req, int nRequestID, int entryNo);
MORU_API int reqCancelOrder(const CMoruReqOrderActionField* req, int nRequestID, int entryNo);
MORU_API int reqQryOrder(const CMoruReqQryOrderField* req, int nRequestID, int entryNo);
MORU_API int reqQryPosition(const CMoruReqQryStockPositionField* req, int nRequestID, int entryNo);
MORU_API int reqQryTrade(const CMoruReqQryTradeField* req, int nRequestID, int entryNo);
MORU_API int reqInFund(const CMoruReqCapTransferField* req, int nRequestID, int entryNo);
MORU_API int reqOutFund(const CMoruReqCapTransferField* req, int nRequestID, int entryNo);
MORU_API int reqQryInOutFundRecord(const CMoruReqQryCapTransferRecordField* req, int nRequestID, int entryNo);
MORU_API int reqBTFundTransfer(const CMoruReqBTCapTransferManagerField* req, int nRequestID, int entryNo);
MORU_API int reqQryBTFundTransferRecord(const CMoruReqQryBTCapTransferManagerField* req, int nRequestID,
                                        int entryNo);
MORU_API int reqQryFund(const CMoruReqQryStockClientAccountField* req, int nRequestID, int entryNo);
MORU_API int reqUpdatePwd(const CMoruReqUserPasswordUpdateField* req, int nRequestID, int entryNo);
MORU_API int reqTenderOfferOrder(const CMoruReqTenderOfferOrderField* req, int nRequestID, int entryNo);
MORU_API int reqWarrantExerciseOrder(const CMoruReqWarrantExerciseOrderField* req, int nRequestID,
                                     int entryNo);

}  // extern "C"

#endif  // MORU_SECURITIES_API_H
