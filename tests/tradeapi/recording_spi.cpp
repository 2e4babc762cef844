#include <cstdarg>
#include <cstdio>

#include "sim_fixture.h"

namespace fixture {

Recorder& recorder() {
    static Recorder r;
    return r;
}

namespace {

template <typename T>
void record(const char* name, T* rec, CMoruRspInfo* info, int requestId, bool last) {
    Event e;
    e.name = name;
    if (info) {
        e.errorId = info->ErrorID;
        e.errorMsg = std::string(info->ErrorMsg, strnlen(info->ErrorMsg, sizeof info->ErrorMsg));
    }
    e.requestId = requestId;
    e.last = last;
    if (rec)
        e.record.assign(reinterpret_cast<const uint8_t*>(rec),
                        reinterpret_cast<const uint8_t*>(rec) + sizeof(T));
    recorder().add(std::move(e));
}

#define RECORD(fn, T)                               \
    void fn(T* p, CMoruRspInfo* i, int r, bool l) { \
        record(#fn, p, i, r, l);                    \
    }

RECORD(onRspLoginManager, CMoruRspUserLoginManagerField)
RECORD(onRspLogin, CMoruRspUserLoginField)
RECORD(onRspInitTrader, CMoruRspInitTraderField)
RECORD(onRspUpdatePwd, CMoruRspUserPasswordUpdateField)
RECORD(onRspInsertOrder, CMoruRspOrderInsertField)
RECORD(onErrRtnInsertOrder, CMoruRspOrderInsertField)
RECORD(onRspCancelOrder, CMoruRspOrderActionField)
RECORD(onErrRtnCancelOrder, CMoruRspOrderActionField)
RECORD(onRtnOrder, CMoruRtnOrderField)
RECORD(onRspQryOrder, CMoruRspQryOrderField)
RECORD(onRspQryTrade, CMoruRspQryTradeField)
RECORD(onRspBTFundTransfer, CMoruRspBTCapTransferManagerField)
RECORD(onRtnBTFundTransfer, CMoruRtnBtCapTransferManagerField)
RECORD(onRspQryBTFundTransferRecord, CMoruRspQryBTCapTransferManagerField)
RECORD(onRspInFund, CMoruRspCapTransferField)
RECORD(onRspOutFund, CMoruRspCapTransferField)
RECORD(onRspQryInOutFundRecord, CMoruRspQryCapTransferRecordField)
RECORD(onRspQryFund, CMoruRspQryStockClientAccountField)
RECORD(onRspQryPosition, CMoruRspQryStockPositionField)
RECORD(onRspTenderOfferOrder, CMoruRspTenderOfferOrderField)
RECORD(onRspWarrantExerciseOrder, CMoruRspWarrantExerciseOrderField)
#undef RECORD

void onFrontManagerQueryConnect() {
    Event e;
    e.name = "onFrontManagerQueryConnect";
    recorder().add(std::move(e));
}

void disconnected(const char* name, int reason) {
    Event e;
    e.name = name;
    e.reason = reason;
    recorder().add(std::move(e));
}
void onFrontManagerQueryDisconnected(int r) {
    disconnected("onFrontManagerQueryDisconnected", r);
}
void onFrontQueryDisconnected(int r) {
    disconnected("onFrontQueryDisconnected", r);
}
void onFrontTradeDisconnected(int r) {
    disconnected("onFrontTradeDisconnected", r);
}

void onDataReady(bool ok, int, int reason) {
    Event e;
    e.name = "onDataReady";
    e.success = ok;
    e.reason = reason;
    recorder().add(std::move(e));
}

void onApiMsg(int level, const char* format, ...) {
    char buf[2048];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    Event e;
    e.name = "onApiMsg";
    e.reason = level;
    e.errorMsg = buf;
    recorder().add(std::move(e));
}

}  // namespace

CMoruTraderSpi recordingSpi() {
    CMoruTraderSpi s;
    std::memset(&s, 0, sizeof s);
    s.onFrontManagerQueryConnect = onFrontManagerQueryConnect;
    s.onRspLoginManager = onRspLoginManager;
    s.onRspLogin = onRspLogin;
    s.onRspInitTrader = onRspInitTrader;
    s.onRspUpdatePwd = onRspUpdatePwd;
    s.onFrontManagerQueryDisconnected = onFrontManagerQueryDisconnected;
    s.onFrontQueryDisconnected = onFrontQueryDisconnected;
    s.onFrontTradeDisconnected = onFrontTradeDisconnected;
    s.onDataReady = onDataReady;
    s.onApiMsg = onApiMsg;
    s.onRspInsertOrder = onRspInsertOrder;
    s.onErrRtnInsertOrder = onErrRtnInsertOrder;
    s.onRspCancelOrder = onRspCancelOrder;
    s.onErrRtnCancelOrder = onErrRtnCancelOrder;
    s.onRtnOrder = onRtnOrder;
    s.onRspQryOrder = onRspQryOrder;
    s.onRspQryTrade = onRspQryTrade;
    s.onRspBTFundTransfer = onRspBTFundTransfer;
    s.onRtnBTFundTransfer = onRtnBTFundTransfer;
    s.onRspQryBTFundTransferRecord = onRspQryBTFundTransferRecord;
    s.onRspInFund = onRspInFund;
    s.onRspOutFund = onRspOutFund;
    s.onRspQryInOutFundRecord = onRspQryInOutFundRecord;
    s.onRspQryFund = onRspQryFund;
    s.onRspQryPosition = onRspQryPosition;
    s.onRspTenderOfferOrder = onRspTenderOfferOrder;
    s.onRspWarrantExerciseOrder = onRspWarrantExerciseOrder;
    return s;
}

}  // namespace fixture
