#include "dispatch.h"

#include <cstring>

namespace moru {

using moru_wire::Msg;

namespace {

// Response info and record out of a body of exactly their two sizes.
template <typename T>
bool split(const uint8_t* body, size_t len, CMoruRspInfo& info, T& rec, std::string* why) {
    if (len != sizeof(CMoruRspInfo) + sizeof(T)) {
        *why = "answer of " + std::to_string(len) + " bytes, expected " +
               std::to_string(sizeof(CMoruRspInfo) + sizeof(T));
        return false;
    }
    std::memcpy(&info, body, sizeof info);
    info.ErrorMsg[sizeof info.ErrorMsg - 1] = 0;  // readers may treat it as a C string
    std::memcpy(&rec, body + sizeof info, sizeof rec);
    return true;
}

template <typename T, typename Fn>
bool deliver(Fn fn, const moru_wire::Header& h, const uint8_t* body, size_t len, std::string* why) {
    CMoruRspInfo info;
    T rec;
    if (!split(body, len, info, rec, why)) return false;
    if (fn) fn(&rec, &info, h.requestId, (h.flags & moru_wire::kFlagLast) != 0);
    return true;
}

// The wire's login answer, checked, with the fields each login record carries.
bool loginAnswer(const uint8_t* body, size_t len, CMoruRspInfo& info, LoginAnswer& a, std::string* why) {
    using R = moru_wire::LoginRspBody;
    if (len != sizeof(CMoruRspInfo) + R::kSize) {
        *why = "login answer of " + std::to_string(len) + " bytes";
        return false;
    }
    std::memcpy(&info, body, sizeof info);
    info.ErrorMsg[sizeof info.ErrorMsg - 1] = 0;
    const uint8_t* p = body + sizeof info;
    a.errorId = info.ErrorID;
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

}  // namespace

bool Dispatcher::onFrame(const moru_wire::Header& h, const uint8_t* body, size_t len, Event* ev,
                         LoginAnswer* login, std::string* why) {
    using R = moru_wire::LoginRspBody;
    const CMoruTraderSpi& s = *spi_;
    *ev = Event::None;
    switch (Msg(h.type)) {
        case Msg::Heartbeat:
            if (len != 0) {
                *why = "heartbeat with a body";
                return false;
            }
            *ev = Event::Heartbeat;
            return true;
        case Msg::RspLoginManager: {
            CMoruRspInfo info;
            if (!loginAnswer(body, len, info, *login, why)) return false;
            const uint8_t* p = body + sizeof info;
            CMoruRspUserLoginManagerField f;
            std::memset(&f, 0, sizeof f);
            copyText(f.AccountID, sizeof f.AccountID, p + R::kAccount, 16);
            f.Market = login->market;
            copyText(f.TradingDay, sizeof f.TradingDay, p + R::kTradingDay, 9);
            *ev = Event::LoginManager;
            if (s.onRspLoginManager) s.onRspLoginManager(&f, &info, h.requestId, true);
            return true;
        }
        case Msg::RspLogin: {
            CMoruRspInfo info;
            if (!loginAnswer(body, len, info, *login, why)) return false;
            const uint8_t* p = body + sizeof info;
            CMoruRspUserLoginField f;
            std::memset(&f, 0, sizeof f);
            copyText(f.AccountID, sizeof f.AccountID, p + R::kAccount, 16);
            f.MaxOrderRef = login->maxOrderRef;
            copyText(f.TradingDay, sizeof f.TradingDay, p + R::kTradingDay, 9);
            copyText(f.OrgCode, sizeof f.OrgCode, p + R::kOrgCode, 5);
            f.Market = login->market;
            f.LoginFlags = login->flags;
            *ev = Event::Login;
            if (s.onRspLogin) s.onRspLogin(&f, &info, h.requestId, true);
            return true;
        }
        case Msg::RspInitTrader: {
            CMoruRspInfo info;
            if (!loginAnswer(body, len, info, *login, why)) return false;
            const uint8_t* p = body + sizeof info;
            CMoruRspInitTraderField f;
            std::memset(&f, 0, sizeof f);
            copyText(f.AccountID, sizeof f.AccountID, p + R::kAccount, 16);
            f.Market = login->market;
            *ev = Event::InitTrader;
            if (s.onRspInitTrader) s.onRspInitTrader(&f, &info, h.requestId, true);
            return true;
        }
        case Msg::DataReady: {
            if (len != moru_wire::kDataReadySize) {
                *why = "data-ready of " + std::to_string(len) + " bytes";
                return false;
            }
            int32_t reason;
            std::memcpy(&reason, body + 4, 4);
            *ev = Event::DataReady;
            login->errorId = body[0] ? 0 : 1;
            if (s.onDataReady) s.onDataReady(body[0] != 0, 0, reason);
            return true;
        }
        case Msg::ErrorTable:
            return onErrorTable(body, len, why);
        case Msg::RspInsertOrder:
            return deliver<CMoruRspOrderInsertField>(s.onRspInsertOrder, h, body, len, why);
        case Msg::ErrRtnInsertOrder:
            return deliver<CMoruRspOrderInsertField>(s.onErrRtnInsertOrder, h, body, len, why);
        case Msg::RspCancelOrder:
            return deliver<CMoruRspOrderActionField>(s.onRspCancelOrder, h, body, len, why);
        case Msg::ErrRtnCancelOrder:
            return deliver<CMoruRspOrderActionField>(s.onErrRtnCancelOrder, h, body, len, why);
        case Msg::RtnOrder:
            return deliver<CMoruRtnOrderField>(s.onRtnOrder, h, body, len, why);
        case Msg::RspTenderOffer:
            return deliver<CMoruRspTenderOfferOrderField>(s.onRspTenderOfferOrder, h, body, len, why);
        case Msg::RspWarrantExercise:
            return deliver<CMoruRspWarrantExerciseOrderField>(s.onRspWarrantExerciseOrder, h, body, len, why);
        case Msg::RspQryOrder:
            return deliver<CMoruRspQryOrderField>(s.onRspQryOrder, h, body, len, why);
        case Msg::RspQryTrade:
            return deliver<CMoruRspQryTradeField>(s.onRspQryTrade, h, body, len, why);
        case Msg::RspQryPosition:
            return deliver<CMoruRspQryStockPositionField>(s.onRspQryPosition, h, body, len, why);
        case Msg::RspQryFund:
            return deliver<CMoruRspQryStockClientAccountField>(s.onRspQryFund, h, body, len, why);
        case Msg::RspQryInOutFundRecord:
            return deliver<CMoruRspQryCapTransferRecordField>(s.onRspQryInOutFundRecord, h, body, len, why);
        case Msg::RspQryBTFundTransferRecord:
            return deliver<CMoruRspQryBTCapTransferManagerField>(s.onRspQryBTFundTransferRecord, h, body, len,
                                                                 why);
        case Msg::RspInFund:
            return deliver<CMoruRspCapTransferField>(s.onRspInFund, h, body, len, why);
        case Msg::RspOutFund:
            return deliver<CMoruRspCapTransferField>(s.onRspOutFund, h, body, len, why);
        case Msg::RspBTFundTransfer:
            return deliver<CMoruRspBTCapTransferManagerField>(s.onRspBTFundTransfer, h, body, len, why);
        case Msg::RtnBTFundTransfer:
            return deliver<CMoruRtnBtCapTransferManagerField>(s.onRtnBTFundTransfer, h, body, len, why);
        case Msg::RspUpdatePwd:
            return deliver<CMoruRspUserPasswordUpdateField>(s.onRspUpdatePwd, h, body, len, why);
        default:
            *why = "unknown message type " + std::to_string(h.type);
            return false;
    }
}

bool Dispatcher::onErrorTable(const uint8_t* body, size_t len, std::string* why) {
    // Checked whole before anything is kept, so a bad table leaves no half of itself behind.
    size_t off = 0;
    while (off < len) {
        if (len - off < 6 || len - off - 6 < body[off + 5]) {
            *why = "error table cut short";
            return false;
        }
        off += 6 + body[off + 5];
    }
    std::lock_guard<std::mutex> lock(tableMutex_);
    for (off = 0; off < len; off += 6 + body[off + 5]) {
        int id = int32_t(moru_wire::getU32(body + off));
        char market = char(body[off + 4]);
        std::string text = moru_wire::fixedText(body + off + 6, body[off + 5]);
        // Never replaced: callers may still hold the pointer to an earlier text.
        table_.emplace(std::make_pair(market, id), std::move(text));
    }
    return true;
}

const char* Dispatcher::errorText(int id, char market) const {
    std::lock_guard<std::mutex> lock(tableMutex_);
    auto it = table_.find(std::make_pair(market, id));
    return it == table_.end() ? "" : it->second.c_str();
}

}  // namespace moru
