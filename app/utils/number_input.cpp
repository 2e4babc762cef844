#include "utils/number_input.h"

#include <cmath>

namespace NumberInput {

bool isSendableAmount(double amount) {
    return std::isfinite(amount) && amount > 0 && amount <= kMaxAmount;
}

std::optional<double> amountFromText(const QString& text) {
    bool ok = false;
    const double amount = text.toDouble(&ok);
    if (!ok || !isSendableAmount(amount)) return std::nullopt;
    return amount;
}

bool isPriceInRange(double price, double maxPrice) {
    return std::isfinite(price) && price >= 0 && price <= maxPrice;
}

std::optional<double> priceFromText(const QString& text, double maxPrice) {
    bool ok = false;
    const double price = text.toDouble(&ok);
    if (!ok || !isPriceInRange(price, maxPrice)) return std::nullopt;
    return price;
}

}  // namespace NumberInput
