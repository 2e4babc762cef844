// Test helpers for driving the counter without sockets: a link that keeps every frame
// it is sent, and the requests the terminal makes, as frames fed straight in.
#ifndef MORU_TESTS_SIM_CAPTURE_H
#define MORU_TESTS_SIM_CAPTURE_H

#include <cstring>
#include <string>
#include <vector>

#include "counter.h"
#include "login_request.h"
#include "moru_api_types.h"

namespace capture {

// A copy of a packed record's field: QCOMPARE would bind a misaligned reference.
template <typename T>
T val(T v) {
    return v;
}

struct Frame {
    moru_wire::Header h;
    CMoruRspInfo info;
    std::vector<uint8_t> rec;
};

struct CaptureLink : sim::Link {
    std::vector<Frame> frames;
    std::string droppedWhy;
    void send(const std::vector<uint8_t>& bytes) override {
        size_t off = 0;
        moru_wire::Header h;
        while (moru_wire::decodeHeader(bytes.data() + off, bytes.size() - off, h, nullptr) ==
               moru_wire::Parse::Ok) {
            Frame f;
            f.h = h;
            std::memset(&f.info, 0, sizeof f.info);
            const uint8_t* body = bytes.data() + off + moru_wire::kHeaderSize;
            if (h.bodyLen >= sizeof f.info) {
                std::memcpy(&f.info, body, sizeof f.info);
                f.rec.assign(body + sizeof f.info, body + h.bodyLen);
            }
            frames.push_back(std::move(f));
            off += moru_wire::kHeaderSize + h.bodyLen;
        }
    }
    void drop(const std::string& why) override { droppedWhy = why; }

    template <typename T>
    std::vector<T> records(moru_wire::Msg type) const {
        std::vector<T> out;
        for (const auto& f : frames)
            if (f.h.type == uint16_t(type) && f.rec.size() == sizeof(T)) {
                T t;
                std::memcpy(&t, f.rec.data(), sizeof t);
                out.push_back(t);
            }
        return out;
    }
    int lastError(moru_wire::Msg type) const {
        for (auto it = frames.rbegin(); it != frames.rend(); ++it)
            if (it->h.type == uint16_t(type)) return it->info.ErrorID;
        return -1;
    }
};

inline void feed(sim::Counter& c, sim::Link& l, moru_wire::Msg type, const void* body, size_t len) {
    std::vector<uint8_t> f;
    moru_wire::appendFrame(f, type, 1, 0, body, len);
    c.onData(l, f.data(), f.size());
}

// Logs in on `l` and, when given, opens the trade link on which order returns arrive.
inline void login(sim::Counter& c, CaptureLink& l, const char* account, const char* password, char market,
                  CaptureLink* trade = nullptr) {
    fixture::LoginRequest r{account, password, {}, market, 6};
    std::vector<uint8_t> body = fixture::loginBody(r);
    feed(c, l, moru_wire::Msg::ReqLoginManager, body.data(), body.size());
    if (!trade || l.frames.empty()) return;
    r.token = moru_wire::fixedText(l.frames.back().rec.data() + moru_wire::LoginRspBody::kToken, 24);
    body = fixture::loginBody(r);
    c.attach(*trade);
    feed(c, *trade, moru_wire::Msg::ReqInitTrader, body.data(), body.size());
}

// The session token of the last successful manager login on `l`.
inline std::string tokenOf(const CaptureLink& l) {
    for (auto it = l.frames.rbegin(); it != l.frames.rend(); ++it)
        if (it->h.type == uint16_t(moru_wire::Msg::RspLoginManager) && it->info.ErrorID == 0)
            return moru_wire::fixedText(it->rec.data() + moru_wire::LoginRspBody::kToken, 24);
    return {};
}

// The query or trade login step with `token`.
inline void joinSession(sim::Counter& c, sim::Link& l, moru_wire::Msg step, const std::string& token) {
    const std::vector<uint8_t> body = fixture::loginBody({{}, {}, token});
    feed(c, l, step, body.data(), body.size());
}

inline void control(sim::Counter& c, sim::Link& l, uint8_t cmd, int32_t arg = 0,
                    const std::string& account = {}) {
    std::vector<uint8_t> body(moru_wire::ControlBody::kSize, 0);
    body[moru_wire::ControlBody::kCommand] = cmd;
    std::memcpy(body.data() + moru_wire::ControlBody::kArg, &arg, 4);
    moru_wire::putText(body.data() + moru_wire::ControlBody::kAccount, 16, account);
    feed(c, l, moru_wire::Msg::Control, body.data(), body.size());
}

inline void order(sim::Counter& c, sim::Link& l, const char* code, char side, double price, int qty,
                  char type) {
    CMoruReqOrderInsertField o;
    std::memset(&o, 0, sizeof o);
    std::memcpy(o.SecurityID, code, std::strlen(code));
    o.Side = side;
    o.LimitPrice = price;
    o.OrderQty = qty;
    o.OrderType = type;
    feed(c, l, moru_wire::Msg::ReqInsertOrder, &o, sizeof o);
}

inline CMoruRspQryStockClientAccountField fund(sim::Counter& c, CaptureLink& l) {
    CMoruReqQryStockClientAccountField q;
    std::memset(&q, 0, sizeof q);
    feed(c, l, moru_wire::Msg::ReqQryFund, &q, sizeof q);
    return l.records<CMoruRspQryStockClientAccountField>(moru_wire::Msg::RspQryFund).back();
}

inline uint64_t bookDepth(const sim::Security& s, bool asks) {
    uint64_t v = 0;
    for (int k = 0; k < 5; ++k) v += asks ? s.book.askVol[k] : s.book.bidVol[k];
    return v;
}

constexpr uint64_t kLevelVolume[5] = {300, 500, 400, 200, 100};
constexpr int kNoRest = 99;

// A book one tick either side of the previous close, five levels deep, known volumes.
inline void setBook(sim::Security& s) {
    for (int k = 0; k < 5; ++k) {
        s.book.bid[k] = sim::Market::roundTo(s.preClose - s.tick * (k + 1), s.tick);
        s.book.ask[k] = sim::Market::roundTo(s.preClose + s.tick * (k + 1), s.tick);
        s.book.bidVol[k] = s.book.askVol[k] = kLevelVolume[k];
    }
    s.last = s.preClose;
}

inline double ticksFrom(const sim::Security& s, int ticks) {
    return sim::Market::roundTo(s.preClose + s.tick * ticks, s.tick);
}

}  // namespace capture

#endif
