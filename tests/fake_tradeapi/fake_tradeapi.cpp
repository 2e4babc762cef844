#include "fake_tradeapi.h"

#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace {

struct State {
    std::mutex mutex;
    std::map<std::string, std::deque<int>> scripts;
    std::vector<fakeapi::Request> requests;
    std::vector<fakeapi::LoginCall> logins;
    std::vector<int> released;
    std::vector<fakeapi::ErrMsgCall> errMsgCalls;
    std::set<int> entries;
    std::map<int, CMoruTraderSpi> tables;
    int registerCount = 0;
    std::map<int, std::string> errMsgs;
};

State& state() {
    static State s;
    return s;
}

// Pops the scripted result of `function`; false when none is queued. Caller holds the mutex.
bool takeScript(State& s, const std::string& function, int& result) {
    auto it = s.scripts.find(function);
    if (it == s.scripts.end() || it->second.empty()) return false;
    result = it->second.front();
    it->second.pop_front();
    return true;
}

template <typename T>
int recordRequest(const char* function, const T* record, int nRequestID, int entryNo) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    fakeapi::Request request;
    request.function = function;
    if (record) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(record);
        request.bytes.assign(bytes, bytes + sizeof(T));
    }
    request.requestId = nRequestID;
    request.entryNo = entryNo;
    s.requests.push_back(std::move(request));
    // Like the real library, a null record is never sent.
    int result = record ? 0 : -1;
    takeScript(s, function, result);
    return result;
}

}  // namespace

namespace fakeapi {

void reset() {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.scripts.clear();
    s.requests.clear();
    s.logins.clear();
    s.released.clear();
    s.errMsgCalls.clear();
    s.entries.clear();
    s.tables.clear();
    s.registerCount = 0;
    s.errMsgs.clear();
}

void scriptResult(const std::string& function, int result) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.scripts[function].push_back(result);
}

std::vector<Request> requests() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().requests;
}

std::vector<LoginCall> logins() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().logins;
}

std::vector<int> releasedEntries() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().released;
}

std::vector<ErrMsgCall> errMsgCalls() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().errMsgCalls;
}

bool entryExists(int entryNo) {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().entries.count(entryNo) != 0;
}

CMoruTraderSpi registeredSpi(int entryNo) {
    std::lock_guard<std::mutex> lock(state().mutex);
    auto it = state().tables.find(entryNo);
    return it == state().tables.end() ? CMoruTraderSpi{} : it->second;
}

int registerCount() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().registerCount;
}

void setErrMsg(int errorId, const std::string& text) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().errMsgs[errorId] = text;
}

void fireOnOwnThread(const std::function<void(const CMoruTraderSpi&)>& fire, int entryNo) {
    const CMoruTraderSpi table = registeredSpi(entryNo);
    std::thread thread([&fire, &table] { fire(table); });
    thread.join();
}

}  // namespace fakeapi

extern "C" {

int createTraderApi(int entryNo) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    int result = 0;
    if (takeScript(s, "createTraderApi", result)) {
        if (result == 0) s.entries.insert(entryNo);
        return result;
    }
    if (entryNo < 0 || entryNo >= MORU_ENTRY_COUNT) return MORU_CREATE_OUT_OF_RANGE;
    if (!s.entries.insert(entryNo).second) return MORU_CREATE_ALREADY_EXISTS;
    return 0;
}

void registerSpi(CMoruTraderSpi spi, int entryNo) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.tables[entryNo] = spi;
    ++s.registerCount;
}

int reqLogin(const char* configPath, const char* account, const char* password, int entryNo, int node,
             char market, int nRequestID) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    fakeapi::LoginCall call;
    call.configPath = configPath ? configPath : "";
    call.account = account ? account : "";
    call.password = password ? password : "";
    call.entryNo = entryNo;
    call.node = node;
    call.market = market;
    call.requestId = nRequestID;
    s.logins.push_back(call);
    int result = 0;
    takeScript(s, "reqLogin", result);
    return result;
}

int release(int entryNo) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.released.push_back(entryNo);
    s.entries.erase(entryNo);
    int result = 0;
    takeScript(s, "release", result);
    return result;
}

const char* getErrMsgEx(int errorId, char market, int flag, int entryNo) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.errMsgCalls.push_back({errorId, market, flag, entryNo});
    // Texts stay in the map until reset(), so the pointer outlives the call.
    auto it = s.errMsgs.find(errorId);
    return it == s.errMsgs.end() ? "" : it->second.c_str();
}

int reqInsertOrder(const CMoruReqOrderInsertField* req, int nRequestID, int entryNo) {
    return recordRequest("reqInsertOrder", req, nRequestID, entryNo);
}
int reqCancelOrder(const CMoruReqOrderActionField* req, int nRequestID, int entryNo) {
    return recordRequest("reqCancelOrder", req, nRequestID, entryNo);
}
int reqQryOrder(const CMoruReqQryOrderField* req, int nRequestID, int entryNo) {
    return recordRequest("reqQryOrder", req, nRequestID, entryNo);
}
int reqQryPosition(const CMoruReqQryStockPositionField* req, int nRequestID, int entryNo) {
    return recordRequest("reqQryPosition", req, nRequestID, entryNo);
}
int reqQryTrade(const CMoruReqQryTradeField* req, int nRequestID, int entryNo) {
    return recordRequest("reqQryTrade", req, nRequestID, entryNo);
}
int reqInFund(const CMoruReqCapTransferField* req, int nRequestID, int entryNo) {
    return recordRequest("reqInFund", req, nRequestID, entryNo);
}
int reqOutFund(const CMoruReqCapTransferField* req, int nRequestID, int entryNo) {
    return recordRequest("reqOutFund", req, nRequestID, entryNo);
}
int reqQryInOutFundRecord(const CMoruReqQryCapTransferRecordField* req, int nRequestID, int entryNo) {
    return recordRequest("reqQryInOutFundRecord", req, nRequestID, entryNo);
}
int reqBTFundTransfer(const CMoruReqBTCapTransferManagerField* req, int nRequestID, int entryNo) {
    return recordRequest("reqBTFundTransfer", req, nRequestID, entryNo);
}
int reqQryBTFundTransferRecord(const CMoruReqQryBTCapTransferManagerField* req, int nRequestID, int entryNo) {
    return recordRequest("reqQryBTFundTransferRecord", req, nRequestID, entryNo);
}
int reqQryFund(const CMoruReqQryStockClientAccountField* req, int nRequestID, int entryNo) {
    return recordRequest("reqQryFund", req, nRequestID, entryNo);
}
int reqUpdatePwd(const CMoruReqUserPasswordUpdateField* req, int nRequestID, int entryNo) {
    return recordRequest("reqUpdatePwd", req, nRequestID, entryNo);
}
int reqTenderOfferOrder(const CMoruReqTenderOfferOrderField* req, int nRequestID, int entryNo) {
    return recordRequest("reqTenderOfferOrder", req, nRequestID, entryNo);
}
int reqWarrantExerciseOrder(const CMoruReqWarrantExerciseOrderField* req, int nRequestID, int entryNo) {
    return recordRequest("reqWarrantExerciseOrder", req, nRequestID, entryNo);
}

}  // extern "C"
