// Bytes from an untrusted counter through the library's frame decoder. The callbacks
// read every byte of what they are handed, so an over-read shows up under ASan.
#include <cstring>
#include <string>

#include "dispatch.h"
#include "error_texts.h"

namespace {

volatile uint8_t g_sink;

void touch(const void* p, size_t n) {
    uint8_t x = 0;
    for (size_t i = 0; i < n; ++i) x ^= static_cast<const uint8_t*>(p)[i];
    g_sink = x;
}

template <typename T>
void onRsp(T* rec, CMoruRspInfo* info, int, bool) {
    touch(rec, sizeof(T));
    touch(info, sizeof *info);
    g_sink = uint8_t(std::strlen(info->ErrorMsg));
}

void onConnect() {}
void onDisconnected(int) {}
void onDataReady(bool, int, int) {}
void onApiMsg(int, const char*, ...) {}

CMoruTraderSpi makeSpi() {
    CMoruTraderSpi s;
    std::memset(&s, 0, sizeof s);
    s.onFrontManagerQueryConnect = onConnect;
    s.onRspLoginManager = onRsp<CMoruRspUserLoginManagerField>;
    s.onRspLogin = onRsp<CMoruRspUserLoginField>;
    s.onRspInitTrader = onRsp<CMoruRspInitTraderField>;
    s.onRspUpdatePwd = onRsp<CMoruRspUserPasswordUpdateField>;
    s.onFrontManagerQueryDisconnected = onDisconnected;
    s.onFrontQueryDisconnected = onDisconnected;
    s.onFrontTradeDisconnected = onDisconnected;
    s.onDataReady = onDataReady;
    s.onApiMsg = onApiMsg;
    s.onRspInsertOrder = onRsp<CMoruRspOrderInsertField>;
    s.onErrRtnInsertOrder = onRsp<CMoruRspOrderInsertField>;
    s.onRspCancelOrder = onRsp<CMoruRspOrderActionField>;
    s.onErrRtnCancelOrder = onRsp<CMoruRspOrderActionField>;
    s.onRtnOrder = onRsp<CMoruRtnOrderField>;
    s.onRspQryOrder = onRsp<CMoruRspQryOrderField>;
    s.onRspQryTrade = onRsp<CMoruRspQryTradeField>;
    s.onRspBTFundTransfer = onRsp<CMoruRspBTCapTransferManagerField>;
    s.onRtnBTFundTransfer = onRsp<CMoruRtnBtCapTransferManagerField>;
    s.onRspQryBTFundTransferRecord = onRsp<CMoruRspQryBTCapTransferManagerField>;
    s.onRspInFund = onRsp<CMoruRspCapTransferField>;
    s.onRspOutFund = onRsp<CMoruRspCapTransferField>;
    s.onRspQryInOutFundRecord = onRsp<CMoruRspQryCapTransferRecordField>;
    s.onRspQryFund = onRsp<CMoruRspQryStockClientAccountField>;
    s.onRspQryPosition = onRsp<CMoruRspQryStockPositionField>;
    s.onRspTenderOfferOrder = onRsp<CMoruRspTenderOfferOrderField>;
    s.onRspWarrantExerciseOrder = onRsp<CMoruRspWarrantExerciseOrderField>;
    return s;
}

const CMoruTraderSpi g_spi = makeSpi();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    moru::Dispatcher d(&g_spi);
    // A small store, so its cap is reached too.
    moru::TextStore store(4096);
    moru::ErrorTexts texts(store);
    size_t off = 0;
    for (;;) {
        moru_wire::Header h;
        const char* why = nullptr;
        if (moru_wire::decodeHeader(data + off, size - off, h, &why) != moru_wire::Parse::Ok) break;
        moru::Frame f;
        std::string reason;
        if (!d.decode(h, data + off + moru_wire::kHeaderSize, h.bodyLen, &f, &reason)) break;
        if (f.event == moru::Event::ErrorTable) {
            std::string note;
            texts.accept(f.body, f.len, &note);
        } else {
            d.deliver(f);
        }
        off += moru_wire::kHeaderSize + h.bodyLen;
    }
    g_sink = uint8_t(std::strlen(texts.find(2005, '1')));
    return 0;
}
