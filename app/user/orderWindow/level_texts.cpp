#include "user/orderWindow/level_texts.h"

namespace {
const QString kDash = QStringLiteral("-");

QString priceText(double price) {
    return QString::number(price, 'f', 3);
}

void setLevel(double price, quint64 volume, QString& priceCell, QString& volumeCell) {
    if (price == 0) {
        priceCell = kDash;
        volumeCell = kDash;
        return;
    }
    priceCell = priceText(price);
    volumeCell = QString::number(volume);
}
}  // namespace

LevelTexts emptyLevelTexts() {
    LevelTexts t;
    for (int k = 0; k < LevelTexts::kLevels; ++k) {
        t.askPrice[k] = t.askVolume[k] = t.bidPrice[k] = t.bidVolume[k] = kDash;
    }
    t.last = t.preClose = t.upperLimit = t.lowerLimit = kDash;
    return t;
}

LevelTexts levelTexts(const ClientSecurityMarketDataLevel1& quote) {
    // Copies: the record is packed, so its fields are not to be bound by reference.
    const double bidPrices[] = {quote.BidPrice1, quote.BidPrice2, quote.BidPrice3, quote.BidPrice4,
                                quote.BidPrice5};
    const double askPrices[] = {quote.AskPrice1, quote.AskPrice2, quote.AskPrice3, quote.AskPrice4,
                                quote.AskPrice5};
    const quint64 bidVolumes[] = {quote.BidVolume1, quote.BidVolume2, quote.BidVolume3, quote.BidVolume4,
                                  quote.BidVolume5};
    const quint64 askVolumes[] = {quote.AskVolume1, quote.AskVolume2, quote.AskVolume3, quote.AskVolume4,
                                  quote.AskVolume5};
    LevelTexts t;
    for (int k = 0; k < LevelTexts::kLevels; ++k) {
        setLevel(bidPrices[k], bidVolumes[k], t.bidPrice[k], t.bidVolume[k]);
        setLevel(askPrices[k], askVolumes[k], t.askPrice[k], t.askVolume[k]);
    }
    t.last = priceText(quote.LastPrice);
    t.preClose = priceText(quote.PreClosePrice);
    t.upperLimit = priceText(quote.UpperLimitPrice);
    t.lowerLimit = priceText(quote.LowerLimitPrice);
    return t;
}
