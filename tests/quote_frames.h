#pragma once

// Builds quote server frames for the market data tests and benchmarks.

#include <QByteArray>
#include <QString>
#include <QTextCodec>
#include <cstring>

#include "user/queryWindow/stockQuotes/market_data_level1.h"
#include "user/queryWindow/stockQuotes/quote_frame_reader.h"

inline ClientSecurityMarketDataLevel1 makeQuoteRecord(const QByteArray& code, const QByteArray& wireName,
                                                      double lastPrice) {
    ClientSecurityMarketDataLevel1 r;
    std::memset(&r, 0, sizeof r);
    r.LastPrice = lastPrice;
    r.OpenPrice = lastPrice - 0.1;
    r.HighPrice = lastPrice + 0.2;
    r.LowPrice = lastPrice - 0.3;
    r.UpperLimitPrice = lastPrice * 1.1;
    r.LowerLimitPrice = lastPrice * 0.9;
    r.PreClosePrice = lastPrice - 0.05;
    r.BidPrice1 = lastPrice - 0.01;
    r.AskPrice1 = lastPrice + 0.01;
    r.BidVolume1 = 100;
    r.AskVolume1 = 200;
    std::memcpy(r.SecurityID, code.constData(), qMin<size_t>(code.size(), sizeof r.SecurityID));
    std::memcpy(r.SecurityName, wireName.constData(), qMin<size_t>(wireName.size(), sizeof r.SecurityName));
    r.UpdateTime = 93000123;
    r.TotalVolume = 123456789;
    r.TotalAmount = 987654321012ULL;
    return r;
}

inline QByteArray quoteFrame(const ClientSecurityMarketDataLevel1& record,
                             int msgType = QUOTE_MSG_TYPE_LEVEL1) {
    ClientSecurityMarketDataLevel1Header header{msgType};
    QByteArray frame(reinterpret_cast<const char*>(&header), sizeof header);
    frame.append(reinterpret_cast<const char*>(&record), sizeof record);
    return frame;
}

inline QByteArray quoteFrame(const QByteArray& code, const QByteArray& wireName, double lastPrice) {
    return quoteFrame(makeQuoteRecord(code, wireName, lastPrice));
}

inline QByteArray toGbk(const QString& text) {
    return QTextCodec::codecForName("GBK")->fromUnicode(text);
}
