#pragma once

#include <QString>
#include <array>

#include "moru_api_types.h"

// Texts of the trade table's 14 columns; the full export writes the same texts.
constexpr int TRADE_TEXT_COLUMNS = 14;
using TradeCells = std::array<QString, TRADE_TEXT_COLUMNS>;

TradeCells tradeCells(const CMoruRspQryTradeField& record);
