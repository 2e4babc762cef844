#include "user/orderWindow/order_checks.h"

#include <cmath>

#include "constants.h"

namespace {
constexpr int kCodeLength = 6;
constexpr int kLimitType = '2';
}  // namespace

QMap<QString, int> priceTypesFor(char market) {
    QMap<QString, int> types;
    types.insert(PRICE_TYPE_COUNTER_BEST, '1');
    types.insert(PRICE_TYPE_LIMIT, '2');
    types.insert(PRICE_TYPE_OWN_BEST, '3');
    types.insert(PRICE_TYPE_BEST5_IOC, '6');
    if (market == '1') {
        types.insert(PRICE_TYPE_BEST5_TO_LIMIT, '7');
    } else if (market == '2') {
        types.insert(PRICE_TYPE_MARKET_IOC, '4');
        types.insert(PRICE_TYPE_MARKET_FOK, '5');
    }
    return types;
}

bool priceTakenFor(char market, int orderType) {
    return market != '2' || orderType == kLimitType;
}

QString checkOrderEntry(const OrderEntry& entry, const QMap<QString, int>& priceTypes, char market) {
    if (entry.code.isEmpty()) return QStringLiteral("证券代码不能为空!");
    if (entry.code.size() < kCodeLength) return QStringLiteral("证券代码错误!");
    if (!priceTypes.contains(entry.typeText)) return QStringLiteral("不存在的报单类型!");
    // Without a market the price is not looked at; subscribe and redeem need none.
    const bool priceChecked =
        market == '1' || (market == '2' && priceTypes.value(entry.typeText) == kLimitType);
    if (priceChecked && entry.price == 0 && (entry.side == '1' || entry.side == '2'))
        return QStringLiteral("填写正确的价格!");
    // Whatever the type and side, a price that is no number is never sent.
    if (!std::isfinite(entry.price)) return QStringLiteral("填写正确的价格!");
    if (entry.quantity == 0) return QStringLiteral("填写正确的数量!");
    return QString();
}

QString checkTenderOffer(const QString& code, int quantity, const QString& offerorCode) {
    if (code.isEmpty()) return QStringLiteral("正股代码不能为空!");
    if (code.size() < kCodeLength) return QStringLiteral("正股代码错误!");
    if (quantity == 0) return QStringLiteral("填写正确的数量!");
    if (offerorCode.isEmpty()) return QStringLiteral("请填写要约收购人编码!");
    return QString();
}

QString checkWarrantExercise(const QString& code, double price, int quantity) {
    if (code.isEmpty()) return QStringLiteral("证券代码不能为空!");
    if (code.size() < kCodeLength) return QStringLiteral("证券代码错误!");
    if (price == 0 || !std::isfinite(price)) return QStringLiteral("填写正确的价格!");
    if (quantity == 0) return QStringLiteral("填写正确的手数!");
    return QString();
}
