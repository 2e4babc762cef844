#include "dispatch.h"

#include <cstring>

#include "error_texts.h"

namespace moru {

using moru_wire::Msg;

namespace {

// Response info and record out of a body of exactly their two sizes; the callback only when `call`.
template <typename T, typename Fn>
bool respond(Fn fn, const Frame& f, bool call, std::string* why) {
    if (f.len != sizeof(CMoruRspInfo) + sizeof(T)) {
        *why = "answer of " + std::to_string(f.len) + " bytes, expected " +
               std::to_string(sizeof(CMoruRspInfo) + sizeof(T));
        return false;
    }
    if (!call || !fn) return true;
    CMoruRspInfo info;
    std::memcpy(&info, f.body, sizeof info);
    info.ErrorMsg[sizeof info.ErrorMsg - 1] = 0;  // readers may treat it as a C string
    // The record is handed over where it was read, not copied: records are byte-packed, so any
    // address suits them, and the bytes are ours until the callback returns.
    static_assert(alignof(T) == 1, "a record read in place must be byte-packed");
    T* rec = reinterpret_cast<T*>(const_cast<uint8_t*>(f.body + sizeof info));
    fn(rec, &info, f.h.requestId, (f.h.flags & moru_wire::kFlagLast) != 0);
    return true;
}

// The wire's login answer, checked, with the fields each login record carries.
bool loginAnswer(const uint8_t* body, size_t len, LoginAnswer& a, std::string* why) {
    using R = moru_wire::LoginRspBody;
    if (len != sizeof(CMoruRspInfo) + R::kSize) {
        *why = "login answer of " + std::to_string(len) + " bytes";
        return false;
    }
    const uint8_t* p = body + sizeof(CMoruRspInfo);
    int32_t err;
    std::memcpy(&err, body, 4);
    a.errorId = err;
    std::memcpy(&a.maxOrderRef, p + R::kMaxOrderRef, 4);
    a.market = char(p[R::kMarket]);
    a.flags = p[R::kLoginFlags];
    int32_t hb;
    std::memcpy(&hb, p + R::kHeartbeatSec, 4);
    a.heartbeatSec = hb;
    a.token = moru_wire::fixedText(p + R::kToken, 24);
    return true;
}

void copyText(char* dst, size_t width, const uint8_t* src, size_t srcWidth) {
    std::string s = moru_wire::fixedText(src, srcWidth);
    moru_wire::putText(reinterpret_cast<uint8_t*>(dst), width, s);
}

CMoruRspInfo rspInfo(const uint8_t* body) {
    CMoruRspInfo info;
    std::memcpy(&info, body, sizeof info);
    info.ErrorMsg[sizeof info.ErrorMsg - 1] = 0;
    return info;
}

}  // namespace

bool Dispatcher::decode(const moru_wire::Header& h, const uint8_t* body, size_t len, Frame* f,
                        std::string* why) const {
    f->h = h;
    f->body = body;
    f->len = len;
    f->login = LoginAnswer();
    switch (Msg(h.type)) {
        case Msg::Heartbeat:
            f->event = Event::Heartbeat;
            if (len == 0) return true;
            *why = "heartbeat with a body";
            return false;
        case Msg::RspLoginManager:
            f->event = Event::LoginManager;
            return loginAnswer(body, len, f->login, why);
        case Msg::RspLogin:
            f->event = Event::Login;
            return loginAnswer(body, len, f->login, why);
        case Msg::RspInitTrader:
            f->event = Event::InitTrader;
            return loginAnswer(body, len, f->login, why);
        case Msg::DataReady:
            f->event = Event::DataReady;
            if (len != moru_wire::kDataReadySize) {
                *why = "data-ready of " + std::to_string(len) + " bytes";
                return false;
            }
            f->login.errorId = body[0] ? 0 : 1;
            return true;
        case Msg::ErrorTable:
            f->event = Event::ErrorTable;
            return checkErrorTable(body, len, why);
        default:
            f->event = Event::Response;
            return route(*f, false, why);
    }
}

void Dispatcher::deliver(const Frame& f) const {
    std::string ignore;
    route(f, true, &ignore);
}

bool Dispatcher::route(const Frame& f, bool call, std::string* why) const {
    using R = moru_wire::LoginRspBody;
    const CMoruTraderSpi& s = *spi_;
    const uint8_t* p = f.body + sizeof(CMoruRspInfo);  // the record of a login answer
    switch (Msg(f.h.type)) {
        case Msg::Heartbeat:
        case Msg::ErrorTable:
            return true;
        case Msg::RspLoginManager:
            if (call && s.onRspLoginManager) {
                CMoruRspInfo info = rspInfo(f.body);
                CMoruRspUserLoginManagerField r;
                std::memset(&r, 0, sizeof r);
                copyText(r.AccountID, sizeof r.AccountID, p + R::kAccount, 16);
                r.Market = f.login.market;
                copyText(r.TradingDay, sizeof r.TradingDay, p + R::kTradingDay, 9);
                s.onRspLoginManager(&r, &info, f.h.requestId, true);
            }
            return true;
        case Msg::RspLogin:
            if (call && s.onRspLogin) {
                CMoruRspInfo info = rspInfo(f.body);
                CMoruRspUserLoginField r;
                std::memset(&r, 0, sizeof r);
                copyText(r.AccountID, sizeof r.AccountID, p + R::kAccount, 16);
                r.MaxOrderRef = f.login.maxOrderRef;
                copyText(r.TradingDay, sizeof r.TradingDay, p + R::kTradingDay, 9);
                copyText(r.OrgCode, sizeof r.OrgCode, p + R::kOrgCode, 5);
                r.Market = f.login.market;
                r.LoginFlags = f.login.flags;
                s.onRspLogin(&r, &info, f.h.requestId, true);
            }
            return true;
        case Msg::RspInitTrader:
            if (call && s.onRspInitTrader) {
                CMoruRspInfo info = rspInfo(f.body);
                CMoruRspInitTraderField r;
                std::memset(&r, 0, sizeof r);
                copyText(r.AccountID, sizeof r.AccountID, p + R::kAccount, 16);
                r.Market = f.login.market;
                s.onRspInitTrader(&r, &info, f.h.requestId, true);
            }
            return true;
        case Msg::DataReady:
            if (call && s.onDataReady) {
                int32_t reason;
                std::memcpy(&reason, f.body + 4, 4);
                s.onDataReady(f.body[0] != 0, 0, reason);
            }
            return true;
        case Msg::RspInsertOrder:
            return respond<CMoruRspOrderInsertField>(s.onRspInsertOrder, f, call, why);
        case Msg::ErrRtnInsertOrder:
            return respond<CMoruRspOrderInsertField>(s.onErrRtnInsertOrder, f, call, why);
        case Msg::RspCancelOrder:
            return respond<CMoruRspOrderActionField>(s.onRspCancelOrder, f, call, why);
        case Msg::ErrRtnCancelOrder:
            return respond<CMoruRspOrderActionField>(s.onErrRtnCancelOrder, f, call, why);
        case Msg::RtnOrder:
            return respond<CMoruRtnOrderField>(s.onRtnOrder, f, call, why);
        case Msg::RspTenderOffer:
            return respond<CMoruRspTenderOfferOrderField>(s.onRspTenderOfferOrder, f, call, why);
        case Msg::RspWarrantExercise:
            return respond<CMoruRspWarrantExerciseOrderField>(s.onRspWarrantExerciseOrder, f, call, why);
        case Msg::RspQryOrder:
            return respond<CMoruRspQryOrderField>(s.onRspQryOrder, f, call, why);
        case Msg::RspQryTrade:
            return respond<CMoruRspQryTradeField>(s.onRspQryTrade, f, call, why);
        case Msg::RspQryPosition:
            return respond<CMoruRspQryStockPositionField>(s.onRspQryPosition, f, call, why);
        case Msg::RspQryFund:
            return respond<CMoruRspQryStockClientAccountField>(s.onRspQryFund, f, call, why);
        case Msg::RspQryInOutFundRecord:
            return respond<CMoruRspQryCapTransferRecordField>(s.onRspQryInOutFundRecord, f, call, why);
        case Msg::RspQryBTFundTransferRecord:
            return respond<CMoruRspQryBTCapTransferManagerField>(s.onRspQryBTFundTransferRecord, f, call,
                                                                 why);
        case Msg::RspInFund:
            return respond<CMoruRspCapTransferField>(s.onRspInFund, f, call, why);
        case Msg::RspOutFund:
            return respond<CMoruRspCapTransferField>(s.onRspOutFund, f, call, why);
        case Msg::RspBTFundTransfer:
            return respond<CMoruRspBTCapTransferManagerField>(s.onRspBTFundTransfer, f, call, why);
        case Msg::RtnBTFundTransfer:
            return respond<CMoruRtnBtCapTransferManagerField>(s.onRtnBTFundTransfer, f, call, why);
        case Msg::RspUpdatePwd:
            return respond<CMoruRspUserPasswordUpdateField>(s.onRspUpdatePwd, f, call, why);
        default:
            *why = "unknown message type " + std::to_string(f.h.type);
            return false;
    }
}

}  // namespace moru
