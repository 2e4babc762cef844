#pragma once

#include <QString>

#include "user/queryWindow/stockQuotes/market_data_level1.h"

// The texts of the quote level panel's cells for one cached quote.
struct LevelTexts {
    static constexpr int kLevels = 5;
    // Index 0 is level 1 (ask 1, bid 1), the best price of its side.
    QString askPrice[kLevels];
    QString askVolume[kLevels];
    QString bidPrice[kLevels];
    QString bidVolume[kLevels];
    QString last;
    QString preClose;
    QString upperLimit;
    QString lowerLimit;
};

// Every cell "-": no code to show.
LevelTexts emptyLevelTexts();

// Prices with 3 decimals; an empty level (price 0) shows "-" for its price and its volume; the four
// summary cells always show their price, 0.000 included.
LevelTexts levelTexts(const ClientSecurityMarketDataLevel1& quote);
