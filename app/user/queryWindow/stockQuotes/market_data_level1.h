#pragma once

#include <QMetaType>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The quote server's wire records, byte for byte (little-endian, packed).
#pragma pack(push, 1)

struct ClientSecurityMarketDataLevel1Header {
    int32_t MsgType;
};

struct ClientSecurityMarketDataLevel1 {
    double LastPrice;
    double OpenPrice;
    double HighPrice;
    double LowPrice;
    double UpperLimitPrice;
    double LowerLimitPrice;
    double PreClosePrice;
    double BidPrice1;
    double BidPrice2;
    double BidPrice3;
    double BidPrice4;
    double BidPrice5;
    double AskPrice1;
    double AskPrice2;
    double AskPrice3;
    double AskPrice4;
    double AskPrice5;
    uint64_t BidVolume1;
    uint64_t BidVolume2;
    uint64_t BidVolume3;
    uint64_t BidVolume4;
    uint64_t BidVolume5;
    uint64_t AskVolume1;
    uint64_t AskVolume2;
    uint64_t AskVolume3;
    uint64_t AskVolume4;
    uint64_t AskVolume5;
    char SecurityID[9];
    char SecurityName[30];  // local 8-bit encoding on the wire, UTF-8 once cached
    uint64_t UpdateTime;
    uint64_t TotalVolume;
    uint64_t TotalAmount;
};

#pragma pack(pop)

static_assert(sizeof(ClientSecurityMarketDataLevel1Header) == 4, "quote header size");
static_assert(sizeof(ClientSecurityMarketDataLevel1) == 279, "quote record size");
static_assert(offsetof(ClientSecurityMarketDataLevel1, BidPrice1) == 56, "BidPrice1");
static_assert(offsetof(ClientSecurityMarketDataLevel1, AskPrice1) == 96, "AskPrice1");
static_assert(offsetof(ClientSecurityMarketDataLevel1, BidVolume1) == 136, "BidVolume1");
static_assert(offsetof(ClientSecurityMarketDataLevel1, AskVolume1) == 176, "AskVolume1");
static_assert(offsetof(ClientSecurityMarketDataLevel1, SecurityID) == 216, "SecurityID");
static_assert(offsetof(ClientSecurityMarketDataLevel1, SecurityName) == 225, "SecurityName");
static_assert(offsetof(ClientSecurityMarketDataLevel1, UpdateTime) == 255, "UpdateTime");
static_assert(offsetof(ClientSecurityMarketDataLevel1, TotalVolume) == 263, "TotalVolume");
static_assert(offsetof(ClientSecurityMarketDataLevel1, TotalAmount) == 271, "TotalAmount");

Q_DECLARE_METATYPE(ClientSecurityMarketDataLevel1)

// A server may fill a fixed field to the last byte without a terminating NUL, so text is
// always read within the field's width. Use these rather than reading the arrays directly.
inline QString quoteSecurityId(const ClientSecurityMarketDataLevel1& record) {
    return QString::fromLatin1(record.SecurityID,
                               static_cast<int>(strnlen(record.SecurityID, sizeof record.SecurityID)));
}

inline QString quoteSecurityName(const ClientSecurityMarketDataLevel1& record) {
    return QString::fromUtf8(record.SecurityName,
                             static_cast<int>(strnlen(record.SecurityName, sizeof record.SecurityName)));
}
