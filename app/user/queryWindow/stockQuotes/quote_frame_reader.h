#pragma once

#include <QtGlobal>
#include <cstring>
#include <functional>

#include "market_data_level1.h"

constexpr int QUOTE_MSG_TYPE_LEVEL1 = 123;
constexpr int QUOTE_HEADER_SIZE = static_cast<int>(sizeof(ClientSecurityMarketDataLevel1Header));
constexpr int QUOTE_RECORD_SIZE = static_cast<int>(sizeof(ClientSecurityMarketDataLevel1));
constexpr int QUOTE_FRAME_SIZE = QUOTE_HEADER_SIZE + QUOTE_RECORD_SIZE;

// Receives each complete record, name already converted to UTF-8, with its code as the key.
using QuoteRecordSink =
    std::function<void(const QString& code, const ClientSecurityMarketDataLevel1& record)>;

struct QuoteFrameReadResult {
    qint64 consumed = 0;  // bytes the caller may drop from the front of its buffer
    int records = 0;
    int skippedGroups = 0;  // 4-byte groups that were not a level-1 header
};

// Takes the whole frames at the front of `data`. A header of another type is skipped 4 bytes at a
// time; a level-1 header is consumed only together with its full record, so a frame cut short
// stays in the buffer until the rest arrives. Never reads outside [data, data + length).
// `onRecord(const char* wireRecord)` sees the QUOTE_RECORD_SIZE bytes of each record as sent.
template <typename OnRecord>
QuoteFrameReadResult walkQuoteFrames(const char* data, qint64 length, OnRecord&& onRecord) {
    QuoteFrameReadResult result;
    if (data == nullptr || length < QUOTE_FRAME_SIZE) return result;

    // Whole frames present when we started; skipped groups do not count towards them.
    const qint64 wanted = length / QUOTE_FRAME_SIZE;
    qint64 pos = 0;
    while (result.records < wanted && length - pos >= QUOTE_HEADER_SIZE) {
        ClientSecurityMarketDataLevel1Header header;
        std::memcpy(&header, data + pos, sizeof header);
        if (header.MsgType != QUOTE_MSG_TYPE_LEVEL1) {
            pos += QUOTE_HEADER_SIZE;
            ++result.skippedGroups;
            continue;
        }
        if (length - pos < QUOTE_FRAME_SIZE) break;  // the header waits for its record
        onRecord(data + pos + QUOTE_HEADER_SIZE);
        pos += QUOTE_FRAME_SIZE;
        ++result.records;
    }
    result.consumed = pos;
    return result;
}

// The same walk, each record copied out with its name converted and handed over with its code.
QuoteFrameReadResult readQuoteFrames(const char* data, qint64 length, const QuoteRecordSink& sink);

// Rewrites the name field from GBK to UTF-8 in place, cut at a character boundary so that it
// always ends with a NUL inside its 30 bytes.
void convertSecurityNameToUtf8(ClientSecurityMarketDataLevel1& record);
