// The C entry points: a table of entries, each a Session.
#include <memory>
#include <mutex>

#include "moru_securities_api.h"
#include "session.h"

namespace {

struct Entries {
    std::mutex mutex;
    std::shared_ptr<moru::Session> slots[MORU_ENTRY_COUNT];
    // Held for a whole release, so a second release of the entry waits for the first.
    std::mutex releasing[MORU_ENTRY_COUNT];
};

// Never destroyed: the terminal ends with exit() and no logout, and a table destroyed at exit
// would release every entry and log it out.
Entries& entries() {
    static auto* e = new Entries;
    return *e;
}

std::shared_ptr<moru::Session> entry(int entryNo) {
    if (entryNo < 0 || entryNo >= MORU_ENTRY_COUNT) return nullptr;
    Entries& e = entries();
    std::lock_guard<std::mutex> lock(e.mutex);
    return e.slots[entryNo];
}

template <typename T>
int send(const T* rec, int requestId, int entryNo, uint8_t link, moru_wire::Msg type) {
    auto s = entry(entryNo);
    if (!s) return -1;
    return s->request(link, type, requestId, rec, sizeof(T));
}

}  // namespace

extern "C" {

MORU_API int createTraderApi(int entryNo) {
    if (entryNo < 0 || entryNo >= MORU_ENTRY_COUNT) return MORU_CREATE_OUT_OF_RANGE;
    Entries& e = entries();
    std::lock_guard<std::mutex> lock(e.mutex);
    if (e.slots[entryNo]) return MORU_CREATE_ALREADY_EXISTS;
    e.slots[entryNo] = std::make_shared<moru::Session>(entryNo);
    return 0;
}

MORU_API void registerSpi(CMoruTraderSpi spi, int entryNo) {
    if (auto s = entry(entryNo)) s->setSpi(spi);
}

MORU_API int reqLogin(const char* configPath, const char* account, const char* password, int entryNo,
                      int node, char market, int nRequestID) {
    auto s = entry(entryNo);
    if (!s) return -1;
    if (!configPath || !account || !password) return -2;
    moru::Config cfg;
    std::string why;
    if (!moru::loadConfig(configPath, cfg, &why)) {
        s->apiMsg(MORU_API_MSG_ERROR, why);
        return -3;
    }
    return s->login(cfg, account, password, node, market, nRequestID);
}

MORU_API int release(int entryNo) {
    if (entryNo < 0 || entryNo >= MORU_ENTRY_COUNT) return -1;
    // A library thread would wait for itself, or for a release that waits for it.
    if (moru::Session::onLibraryThread()) return -2;
    Entries& e = entries();
    std::lock_guard<std::mutex> whole(e.releasing[entryNo]);
    std::shared_ptr<moru::Session> s;
    {
        std::lock_guard<std::mutex> lock(e.mutex);
        s.swap(e.slots[entryNo]);
    }
    if (s) s->stop();
    return 0;
}

MORU_API const char* getErrMsgEx(int errorId, char market, int /*flag*/, int entryNo) {
    auto s = entry(entryNo);
    return s ? s->errorText(errorId, market) : "";
}

MORU_API int reqInsertOrder(const CMoruReqOrderInsertField* req, int nRequestID, int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkTrade, moru_wire::Msg::ReqInsertOrder);
}
MORU_API int reqCancelOrder(const CMoruReqOrderActionField* req, int nRequestID, int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkTrade, moru_wire::Msg::ReqCancelOrder);
}
MORU_API int reqTenderOfferOrder(const CMoruReqTenderOfferOrderField* req, int nRequestID, int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkTrade, moru_wire::Msg::ReqTenderOffer);
}
MORU_API int reqWarrantExerciseOrder(const CMoruReqWarrantExerciseOrderField* req, int nRequestID,
                                     int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkTrade, moru_wire::Msg::ReqWarrantExercise);
}
MORU_API int reqQryOrder(const CMoruReqQryOrderField* req, int nRequestID, int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkQuery, moru_wire::Msg::ReqQryOrder);
}
MORU_API int reqQryPosition(const CMoruReqQryStockPositionField* req, int nRequestID, int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkQuery, moru_wire::Msg::ReqQryPosition);
}
MORU_API int reqQryTrade(const CMoruReqQryTradeField* req, int nRequestID, int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkQuery, moru_wire::Msg::ReqQryTrade);
}
MORU_API int reqInFund(const CMoruReqCapTransferField* req, int nRequestID, int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkQuery, moru_wire::Msg::ReqInFund);
}
MORU_API int reqOutFund(const CMoruReqCapTransferField* req, int nRequestID, int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkQuery, moru_wire::Msg::ReqOutFund);
}
MORU_API int reqQryInOutFundRecord(const CMoruReqQryCapTransferRecordField* req, int nRequestID,
                                   int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkQuery, moru_wire::Msg::ReqQryInOutFundRecord);
}
MORU_API int reqBTFundTransfer(const CMoruReqBTCapTransferManagerField* req, int nRequestID, int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkManager, moru_wire::Msg::ReqBTFundTransfer);
}
MORU_API int reqQryBTFundTransferRecord(const CMoruReqQryBTCapTransferManagerField* req, int nRequestID,
                                        int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkManager,
                moru_wire::Msg::ReqQryBTFundTransferRecord);
}
MORU_API int reqQryFund(const CMoruReqQryStockClientAccountField* req, int nRequestID, int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkQuery, moru_wire::Msg::ReqQryFund);
}
MORU_API int reqUpdatePwd(const CMoruReqUserPasswordUpdateField* req, int nRequestID, int entryNo) {
    return send(req, nRequestID, entryNo, moru_wire::kLinkQuery, moru_wire::Msg::ReqUpdatePwd);
}

}  // extern "C"
