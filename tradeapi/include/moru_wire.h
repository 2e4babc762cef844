// Wire protocol between the trading library and the counter (moru-sim).
//
// Every frame is a 16-byte header followed by `bodyLen` bytes. All integers are
// little-endian. Request bodies are the request record exactly as the caller
// filled it; response bodies are the 85-byte response info followed by the
// response record. Nothing here depends on the record declarations, so the
// counter and the fuzzers can use it on their own.
#ifndef MORU_WIRE_H
#define MORU_WIRE_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace moru_wire {

constexpr uint16_t kMagic = 0x574D;  // "MW"
constexpr size_t kHeaderSize = 16;
constexpr uint32_t kMaxBody = 1u << 20;
constexpr size_t kRspInfoSize = 85;
constexpr size_t kErrorMsgSize = 81;

enum class Msg : uint16_t {
    Heartbeat = 1,

    // library -> counter
    ReqLoginManager = 10,
    ReqLogin = 11,
    ReqInitTrader = 12,
    ReqLogout = 13,
    ReqInsertOrder = 20,
    ReqCancelOrder = 21,
    ReqTenderOffer = 22,
    ReqWarrantExercise = 23,
    ReqQryOrder = 30,
    ReqQryTrade = 31,
    ReqQryPosition = 32,
    ReqQryFund = 33,
    ReqQryInOutFundRecord = 34,
    ReqQryBTFundTransferRecord = 35,
    ReqInFund = 40,
    ReqOutFund = 41,
    ReqBTFundTransfer = 42,
    ReqUpdatePwd = 43,
    Control = 90,

    // counter -> library
    RspLoginManager = 110,
    RspLogin = 111,
    RspInitTrader = 112,
    DataReady = 113,
    ErrorTable = 114,
    RspInsertOrder = 120,
    ErrRtnInsertOrder = 121,
    RspCancelOrder = 122,
    ErrRtnCancelOrder = 123,
    RtnOrder = 124,
    RspTenderOffer = 125,
    RspWarrantExercise = 126,
    RspQryOrder = 130,
    RspQryTrade = 131,
    RspQryPosition = 132,
    RspQryFund = 133,
    RspQryInOutFundRecord = 134,
    RspQryBTFundTransferRecord = 135,
    RspInFund = 140,
    RspOutFund = 141,
    RspBTFundTransfer = 142,
    RtnBTFundTransfer = 143,
    RspUpdatePwd = 144,
    RspControl = 190,
};

enum FrameFlags : uint8_t { kFlagLast = 0x01 };

// Link kinds a login message announces.
enum LinkKind : uint8_t { kLinkManager = 1, kLinkQuery = 2, kLinkTrade = 3 };

// Reasons handed to the link-loss callbacks.
enum DisconnectReason : int {
    kReasonReadFailed = 0x1001,
    kReasonWriteFailed = 0x1002,
    kReasonSendQueueFull = 0x1003,  // the counter stopped reading what we send
    kReasonHeartbeatTimeout = 0x2001,
    kReasonBadFrame = 0x2003,
};

// Login bit: the counter announces a single data-ready notification.
constexpr uint8_t kLoginFlagSingleDataReady = 0x02;

struct Header {
    uint16_t magic = kMagic;
    uint16_t type = 0;
    uint32_t bodyLen = 0;
    int32_t requestId = 0;
    uint8_t flags = 0;
};

inline void putU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void putU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline uint16_t getU16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t getU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline void encodeHeader(const Header& h, uint8_t* out) {
    std::memset(out, 0, kHeaderSize);
    putU16(out, h.magic);
    putU16(out + 2, h.type);
    putU32(out + 4, h.bodyLen);
    putU32(out + 8, uint32_t(h.requestId));
    out[12] = h.flags;
}

enum class Parse { NeedMore, Ok, Bad };

// Looks at the start of `data`; on Ok, the frame occupies kHeaderSize + h.bodyLen bytes.
inline Parse decodeHeader(const uint8_t* data, size_t len, Header& h, const char** why) {
    if (len < kHeaderSize) return Parse::NeedMore;
    h.magic = getU16(data);
    h.type = getU16(data + 2);
    h.bodyLen = getU32(data + 4);
    h.requestId = int32_t(getU32(data + 8));
    h.flags = data[12];
    if (h.magic != kMagic) {
        if (why) *why = "bad magic";
        return Parse::Bad;
    }
    if (h.bodyLen > kMaxBody) {
        if (why) *why = "frame too long";
        return Parse::Bad;
    }
    if (len < kHeaderSize + h.bodyLen) return Parse::NeedMore;
    return Parse::Ok;
}

inline void appendFrame(std::vector<uint8_t>& out, Msg type, int32_t requestId, uint8_t flags,
                        const void* body, size_t bodyLen) {
    Header h;
    h.type = uint16_t(type);
    h.bodyLen = uint32_t(bodyLen);
    h.requestId = requestId;
    h.flags = flags;
    // Copied through iterators: writing through data() after the resize, or inserting into an
    // empty vector, makes GCC 12's Release build warn about a region it takes for empty.
    const size_t at = out.size();
    out.resize(at + kHeaderSize + bodyLen);
    uint8_t head[kHeaderSize];
    encodeHeader(h, head);
    auto dst = out.begin() + std::ptrdiff_t(at);
    std::copy(head, head + kHeaderSize, dst);
    if (bodyLen) {
        const uint8_t* b = static_cast<const uint8_t*>(body);
        std::copy(b, b + bodyLen, dst + std::ptrdiff_t(kHeaderSize));
    }
}

// Copies a bounded, NUL-terminated text out of a fixed-width field.
inline std::string fixedText(const uint8_t* p, size_t width) {
    size_t n = 0;
    while (n < width && p[n]) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

// Writes text into a fixed-width field, NUL-padded; cut so a terminator always fits.
inline void putText(uint8_t* p, size_t width, const std::string& s) {
    std::memset(p, 0, width);
    if (width == 0) return;
    size_t n = s.size() < width - 1 ? s.size() : width - 1;
    std::memcpy(p, s.data(), n);
}

// Login message body (all three login steps), sent by the library.
struct LoginBody {
    static constexpr size_t kSize = 112;
    static constexpr size_t kAccount = 0;    // char[16]
    static constexpr size_t kPassword = 16;  // char[32]
    static constexpr size_t kNode = 48;      // int32
    static constexpr size_t kMarket = 52;    // char
    static constexpr size_t kLinkKind = 53;  // uint8
    static constexpr size_t kToken = 56;     // char[24], from the manager login
    static constexpr size_t kAppId = 80;     // char[32]
};

// Body of the three login answers after the response info.
struct LoginRspBody {
    static constexpr size_t kSize = 96;
    static constexpr size_t kMaxOrderRef = 0;   // int32
    static constexpr size_t kMarket = 4;        // char
    static constexpr size_t kLoginFlags = 5;    // uint8
    static constexpr size_t kHeartbeatSec = 8;  // int32, 0 = keep the configured value
    static constexpr size_t kToken = 12;        // char[24]
    static constexpr size_t kAccount = 36;      // char[16]
    static constexpr size_t kNode = 52;         // int32
    static constexpr size_t kTradingDay = 56;   // char[9] yyyymmdd
    static constexpr size_t kOrgCode = 65;      // char[5]
};

// DataReady body: success byte, reason int32.
constexpr size_t kDataReadySize = 8;

// ErrorTable body: repeated { int32 id; char market; uint8 len; char text[len]; }.

// Control body (fault injection and test hooks), answered by RspControl with the
// response info only.
struct ControlBody {
    static constexpr size_t kSize = 24;
    static constexpr size_t kCommand = 0;  // uint8
    static constexpr size_t kArg = 4;      // int32
    static constexpr size_t kAccount = 8;  // char[16], empty = every session
};

enum ControlCommand : uint8_t {
    kCtlDropAll = 1,
    kCtlDropManager = 2,
    kCtlDropQuery = 3,
    kCtlDropTrade = 4,
    kCtlHeartbeatsOff = 5,
    kCtlHeartbeatsOn = 6,
    kCtlQuoteGarbage = 7,
    kCtlQuotePartial = 8,
    kCtlQuotePublishNow = 9,
};

}  // namespace moru_wire

#endif
