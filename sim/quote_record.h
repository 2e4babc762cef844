// The level-1 quote frame the quote port publishes: a 4-byte header (123) and a
// 279-byte record, little-endian, packed, the name in GBK.
#ifndef MORU_SIM_QUOTE_RECORD_H
#define MORU_SIM_QUOTE_RECORD_H

#include <cstddef>
#include <cstdint>

namespace simquote {

constexpr int32_t kMsgTypeLevel1 = 123;
constexpr size_t kHeaderSize = 4;
constexpr size_t kRecordSize = 279;
constexpr size_t kFrameSize = kHeaderSize + kRecordSize;

#pragma pack(push, 1)
struct Level1 {
    double LastPrice;
    double OpenPrice;
    double HighPrice;
    double LowPrice;
    double UpperLimitPrice;
    double LowerLimitPrice;
    double PreClosePrice;
    double BidPrice[5];
    double AskPrice[5];
    uint64_t BidVolume[5];
    uint64_t AskVolume[5];
    char SecurityID[9];
    char SecurityName[30];
    uint64_t UpdateTime;
    uint64_t TotalVolume;
    uint64_t TotalAmount;
};
#pragma pack(pop)

static_assert(sizeof(Level1) == kRecordSize, "quote record size");
static_assert(offsetof(Level1, PreClosePrice) == 48, "offset");
static_assert(offsetof(Level1, BidPrice) == 56, "offset");
static_assert(offsetof(Level1, AskPrice) == 96, "offset");
static_assert(offsetof(Level1, BidVolume) == 136, "offset");
static_assert(offsetof(Level1, AskVolume) == 176, "offset");
static_assert(offsetof(Level1, SecurityID) == 216, "offset");
static_assert(offsetof(Level1, SecurityName) == 225, "offset");
static_assert(offsetof(Level1, UpdateTime) == 255, "offset");
static_assert(offsetof(Level1, TotalVolume) == 263, "offset");
static_assert(offsetof(Level1, TotalAmount) == 271, "offset");

}  // namespace simquote

#endif
