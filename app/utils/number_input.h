#pragma once

#include <QString>
#include <optional>

// Numbers read from text before they go into a request or a price box. A text that reads as infinite
// or as no number at all ("1" followed by 400 zeros, "inf", "nan") is refused, never clamped or sent.
namespace NumberInput {

// The largest amount a deposit, withdrawal or transfer carries. Doubles are 1/8192 apart at this size,
// so every amount with two decimals up to it comes back as typed, in yuan or counted in cents; the
// gap reaches a cent only near 2^46.
constexpr double kMaxAmount = 999999999999.99;

// Finite, above 0 and at most kMaxAmount.
bool isSendableAmount(double amount);

// The amount a text reads as, when it is sendable.
std::optional<double> amountFromText(const QString& text);

// The price a text reads as, when it is finite and within [0, maxPrice].
std::optional<double> priceFromText(const QString& text, double maxPrice);

// Finite and within [0, maxPrice].
bool isPriceInRange(double price, double maxPrice);

}  // namespace NumberInput
