#include "utils/api_client_utils.h"

#include <QDebug>
#include <QString>
#include <cstdarg>
#include <cstdio>

#include "utils/api_state.h"
#include "utils/signal_interface.h"

CMoruTraderSpi ApiClientUtils::s_table{};

namespace {

// The library always passes its records, but a null pointer must not take the process down.
template <typename T>
const T& orZero(const T* p) {
    static const T zero{};
    return p ? *p : zero;
}

QString rspErrorText(const CMoruRspInfo& info) {
    return QString::fromUtf8(info.ErrorMsg, int(qstrnlen(info.ErrorMsg, sizeof(info.ErrorMsg))));
}

// format holds %0 for the error number (unsigned) and %1 for the counter's text.
QString loginErrorLine(const char* format, const CMoruRspInfo& info) {
    return QString::fromLatin1(format).arg(quint32(info.ErrorID)).arg(rspErrorText(info));
}

template <typename Rec>
void emitRsp(void (SignalInterface::*signal)(const Rec&, const CMoruRspInfo&, int, bool), const Rec* rec,
             const CMoruRspInfo* info, int nRequestID, bool bIsLast) {
    SignalInterface* hub = SignalInterface::instance();
    if (!hub) return;
    // The hub copies the records into the queued event here, so the library may reuse its buffers.
    emit(hub->*signal)(orZero(rec), orZero(info), nRequestID, bIsLast);
}

void linkLost(void (SignalInterface::*signal)(int), int nReason) {
    apiDataReady = false;
    loginPhase = LoginPhaseLinkLost;
    dataReadyCount = 0;
    if (SignalInterface* hub = SignalInterface::instance()) emit(hub->*signal)(nReason);
}

void emitLoginError(const CMoruRspInfo& info) {
    if (SignalInterface* hub = SignalInterface::instance()) emit hub->signal_rspErrorLogin(info);
}

bool loginInProgress() {
    return loginPhase.load() == LoginPhaseLoggingIn;
}

}  // namespace

void ApiClientUtils::fillCallbackTable() {
    CMoruTraderSpi& t = s_table;
    t.onFrontManagerQueryConnect = &onFrontManagerQueryConnect;
    t.reserved1 = &onNoOp;
    t.reserved2 = &onNoOp;
    t.onRspLoginManager = &onRspLoginManager;
    t.onRspLogin = &onRspLogin;
    t.onRspInitTrader = &onRspInitTrader;
    t.onRspUpdatePwd = &onRspUpdatePwd;
    t.reserved7 = &onNoOp;
    t.reserved8 = &onNoOp;
    t.onFrontManagerQueryDisconnected = &onFrontManagerQueryDisconnected;
    t.onFrontQueryDisconnected = &onFrontQueryDisconnected;
    t.onFrontTradeDisconnected = &onFrontTradeDisconnected;
    t.onDataReady = &onDataReady;
    t.onApiMsg = &onApiMsg;
    t.onRspInsertOrder = &onRspInsertOrder;
    t.onErrRtnInsertOrder = &onErrRtnInsertOrder;
    t.onRspCancelOrder = &onRspCancelOrder;
    t.onErrRtnCancelOrder = &onErrRtnCancelOrder;
    t.onRtnOrder = &onRtnOrder;
    t.reserved19 = &onNoOp;
    t.onRspQryOrder = &onRspQryOrder;
    t.onRspQryTrade = &onRspQryTrade;
    t.onRspBTFundTransfer = &onRspBTFundTransfer;
    t.onRtnBTFundTransfer = &onRtnBTFundTransfer;
    t.onRspQryBTFundTransferRecord = &onRspQryBTFundTransferRecord;
    t.reserved25 = &onNoOp;
    t.reserved26 = &onNoOp;
    t.onRspInFund = &onRspInFund;
    t.onRspOutFund = &onRspOutFund;
    t.onRspQryInOutFundRecord = &onRspQryInOutFundRecord;
    // 30 .. 35 stay null.
    t.reserved36 = &onNoOp;
    t.onRspQryFund = &onRspQryFund;
    t.onRspQryPosition = &onRspQryPosition;
    t.onRspQrySecurities = &onRspQrySecurities;
    // 40 and 41 stay null.
    t.onRspQryRightsAndInterests = &onRspQryRightsAndInterests;
    t.onRspQryInvestorInfo = &onRspQryInvestorInfo;
    t.onRspQryPrcProgramInfo = &onRspQryPrcProgramInfo;
    t.onRspQryExChangeGateWay = &onRspQryExChangeGateWay;
    t.onRtnInOutPosition = &onRtnInOutPosition;
    t.onRtnExChangeGateWay = &onRtnExChangeGateWay;
    t.onRspQryQFIIOrder = &onRspQryQFIIOrder;
    t.onRspQryQFIITrade = &onRspQryQFIITrade;
    t.reserved50 = &onNoOp;
    t.onRspTenderOfferOrder = &onRspTenderOfferOrder;
    t.onRspWarrantExerciseOrder = &onRspWarrantExerciseOrder;
    for (MoruReservedCallback& slot : t.reserved53) slot = &onNoOp;
}

const CMoruTraderSpi& ApiClientUtils::callbackTable() {
    return s_table;
}

void ApiClientUtils::onNoOp() {}

void ApiClientUtils::onFrontManagerQueryConnect() {
    qInfo() << "onFrontManagerQueryConnect";
}

// ---- login steps: only while a login is in progress ----

void ApiClientUtils::onRspLoginManager(CMoruRspUserLoginManagerField*, CMoruRspInfo* pRspInfo, int, bool) {
    if (!loginInProgress()) return;
    qInfo() << "onRspLoginManager";
    const CMoruRspInfo& info = orZero(pRspInfo);
    if (info.ErrorID != 0) {
        qWarning() << loginErrorLine("login manager error,ErrID[%0],ErrMsg[%1]", info);
        emitLoginError(info);
    } else {
        qInfo() << "now can use manager interface";
    }
}

void ApiClientUtils::onRspLogin(CMoruRspUserLoginField* pRspField, CMoruRspInfo* pRspInfo, int, bool) {
    if (!loginInProgress()) return;
    qInfo() << "onRspLogin";
    apiDataReady = false;
    dataReadyCount = 0;
    const CMoruRspInfo& info = orZero(pRspInfo);
    if (info.ErrorID != 0) {
        qWarning() << loginErrorLine("login query error,ErrID[%0],ErrMsg[%1]", info);
        emitLoginError(info);
        return;
    }
    const CMoruRspUserLoginField& rsp = orZero(pRspField);
    currentMarket = rsp.Market;
    nextOrderRef = rsp.MaxOrderRef + 1;
    if (rsp.LoginFlags & MORU_LOGIN_FLAG_SINGLE_DATA_READY) dataReadyCount = 1;
    qInfo() << "now can use query interface";
}

void ApiClientUtils::onRspInitTrader(CMoruRspInitTraderField*, CMoruRspInfo* pRspInfo, int, bool) {
    if (!loginInProgress()) return;
    qInfo() << "onRspInitTrader";
    const CMoruRspInfo& info = orZero(pRspInfo);
    if (info.ErrorID != 0) {
        qWarning() << loginErrorLine("login trade error,ErrID[%0],ErrMsg[%1]", info);
        emitLoginError(info);
        return;
    }
    qInfo() << "now can use order interface";
    loginPhase = LoginPhaseReady;
    if (SignalInterface* hub = SignalInterface::instance()) emit hub->signal_rspSuccessLogin();
}

// ---- link state ----

void ApiClientUtils::onFrontManagerQueryDisconnected(int nReason) {
    qWarning() << "onFrontManagerQueryDisconnected" << nReason;
    linkLost(&SignalInterface::signal_onFrontManagerQueryDisconnected, nReason);
}

void ApiClientUtils::onFrontQueryDisconnected(int nReason) {
    qWarning() << "onFrontQueryDisconnected" << nReason;
    linkLost(&SignalInterface::signal_onFrontQueryDisconnected, nReason);
}

void ApiClientUtils::onFrontTradeDisconnected(int nReason) {
    qWarning() << "onFrontTradeDisconnected" << nReason;
    linkLost(&SignalInterface::signal_onFrontTradeDisconnected, nReason);
}

void ApiClientUtils::onDataReady(bool bSuccess, int, int nReason) {
    qWarning() << "onDataReady"
               << "bSuccess:" << (bSuccess ? "true" : "false") << " nReason:" << nReason;
    const int count = bSuccess ? dataReadyCount.fetch_add(1) + 1 : dataReadyCount.load();
    if (count == 2) apiDataReady = true;
}

void ApiClientUtils::onApiMsg(int nLevel, const char* format, ...) {
    // vsnprintf never writes past the buffer; a longer message is cut to 2047 characters.
    char buffer[kApiMsgBufferSize] = {};
    if (format) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, sizeof(buffer), format, args);
        va_end(args);
    }
    const QString text = QString::fromUtf8(buffer, int(qstrnlen(buffer, sizeof(buffer))));
    if (nLevel == 0) {
        qInfo() << text;
    } else {
        qWarning() << QStringLiteral("Error:%0").arg(text);
    }
}

// ---- forwarded responses ----

void ApiClientUtils::onRspUpdatePwd(CMoruRspUserPasswordUpdateField* pRspField, CMoruRspInfo* pRspInfo,
                                    int nRequestID, bool bIsLast) {
    qInfo() << "onRspUpdatePwd";
    emitRsp(&SignalInterface::signal_rspUpdatePwd, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspInsertOrder(CMoruRspOrderInsertField* pRspField, CMoruRspInfo* pRspInfo,
                                      int nRequestID, bool bIsLast) {
    qInfo() << "onRspInsertOrder";
    emitRsp(&SignalInterface::signal_rspInsertOrder, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onErrRtnInsertOrder(CMoruRspOrderInsertField* pRspField, CMoruRspInfo* pRspInfo,
                                         int nRequestID, bool bIsLast) {
    qInfo() << "onErrRtnInsertOrder";
    emitRsp(&SignalInterface::signal_rspErrInsertOrder, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspCancelOrder(CMoruRspOrderActionField* pRspField, CMoruRspInfo* pRspInfo,
                                      int nRequestID, bool bIsLast) {
    qInfo() << "onRspCancelOrder";
    emitRsp(&SignalInterface::signal_rspCancelOrder, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRtnOrder(CMoruRtnOrderField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                                bool bIsLast) {
    qInfo() << "onRtnOrder";
    emitRsp(&SignalInterface::signal_rtnOrder, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspQryOrder(CMoruRspQryOrderField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                                   bool bIsLast) {
    qInfo() << "onRspQryOrder";
    emitRsp(&SignalInterface::signal_rspQryOrder, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspQryTrade(CMoruRspQryTradeField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                                   bool bIsLast) {
    qInfo() << "onRspQryTrade";
    emitRsp(&SignalInterface::signal_rspQryTrade, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspBTFundTransfer(CMoruRspBTCapTransferManagerField* pRspField, CMoruRspInfo* pRspInfo,
                                         int nRequestID, bool bIsLast) {
    qInfo() << "onRspBTFundTransfer";
    emitRsp(&SignalInterface::signal_rspBTFundTransfer, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRtnBTFundTransfer(CMoruRtnBtCapTransferManagerField* pRspField, CMoruRspInfo* pRspInfo,
                                         int nRequestID, bool bIsLast) {
    qInfo() << "onRtnBTFundTransfer";
    emitRsp(&SignalInterface::signal_rtnBTFundTransfer, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspQryBTFundTransferRecord(CMoruRspQryBTCapTransferManagerField* pRspField,
                                                  CMoruRspInfo* pRspInfo, int nRequestID, bool bIsLast) {
    qInfo() << "onRspQryBTFundTransferRecord";
    emitRsp(&SignalInterface::signal_rspQryBTFundTransferRecord, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspInFund(CMoruRspCapTransferField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                                 bool bIsLast) {
    qInfo() << "onRspInFund";
    emitRsp(&SignalInterface::signal_rspInFund, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspOutFund(CMoruRspCapTransferField* pRspField, CMoruRspInfo* pRspInfo, int nRequestID,
                                  bool bIsLast) {
    qInfo() << "onRspOutFund";
    emitRsp(&SignalInterface::signal_rspOutFund, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspQryInOutFundRecord(CMoruRspQryCapTransferRecordField* pRspField,
                                             CMoruRspInfo* pRspInfo, int nRequestID, bool bIsLast) {
    qInfo() << "onRspQryInOutFundRecord";
    emitRsp(&SignalInterface::signal_rspQryInOutFundRecord, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspQryFund(CMoruRspQryStockClientAccountField* pRspField, CMoruRspInfo* pRspInfo,
                                  int nRequestID, bool bIsLast) {
    qInfo() << "onRspQryFund";
    emitRsp(&SignalInterface::signal_personalInfo, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspQryPosition(CMoruRspQryStockPositionField* pRspField, CMoruRspInfo* pRspInfo,
                                      int nRequestID, bool bIsLast) {
    qInfo() << "onRspQryPosition";
    emitRsp(&SignalInterface::signal_rspQryPosition, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspTenderOfferOrder(CMoruRspTenderOfferOrderField* pRspField, CMoruRspInfo* pRspInfo,
                                           int nRequestID, bool bIsLast) {
    qInfo() << "onRspTenderOfferOrder";
    emitRsp(&SignalInterface::signal_rspTenderOfferOrder, pRspField, pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspWarrantExerciseOrder(CMoruRspWarrantExerciseOrderField* pRspField,
                                               CMoruRspInfo* pRspInfo, int nRequestID, bool bIsLast) {
    qInfo() << "onRspWarrantExerciseOrder";
    emitRsp(&SignalInterface::signal_rspWarrantExerciseOrder, pRspField, pRspInfo, nRequestID, bIsLast);
}

// ---- logged only ----

void ApiClientUtils::onErrRtnCancelOrder(CMoruRspOrderActionField*, CMoruRspInfo*, int, bool) {
    qInfo() << "onErrRtnCancelOrder";
}

void ApiClientUtils::onRspQrySecurities(CMoruRspQryStockSecuritiesField*, CMoruRspInfo*, int, bool) {
    qInfo() << "onRspQrySecurities";
}

void ApiClientUtils::onRspQryRightsAndInterests(CMoruRspQryStockQuotaField*, CMoruRspInfo*, int, bool) {
    qInfo() << "onRspQryRightsAndInterests";
}

void ApiClientUtils::onRspQryInvestorInfo(CMoruRspQryInvestorInfoField*, CMoruRspInfo*, int, bool) {
    qInfo() << "onRspQryInvestorInfo";
}

void ApiClientUtils::onRspQryPrcProgramInfo(CMoruRspQryPrcProgramInfoField*, CMoruRspInfo*, int, bool) {
    qInfo() << "onRspQryPrcProgramInfo";
}

void ApiClientUtils::onRspQryExChangeGateWay(CMoruRspQryExChangeGateWayField*, CMoruRspInfo*, int, bool) {
    qInfo() << "onRspQryExChangeGateWay";
}

void ApiClientUtils::onRtnInOutPosition(CMoruRtnInOutPositionField*, CMoruRspInfo*, int, bool) {
    qInfo() << "onRtnInOutPosition";
}

void ApiClientUtils::onRtnExChangeGateWay(CMoruRtnExChangeGateWayField*, CMoruRspInfo*, int, bool) {
    qInfo() << "onRtnExChangeGateWay";
}

void ApiClientUtils::onRspQryQFIIOrder(CMoruRspQryQFIIOrderField*, CMoruRspInfo*, int, bool) {
    qInfo() << "onRspQryQFIIOrder";
}

void ApiClientUtils::onRspQryQFIITrade(CMoruRspQryQFIITradeField*, CMoruRspInfo*, int, bool) {
    qInfo() << "onRspQryQFIITrade";
}
