#pragma once

#include <QString>
#include <array>

#include "moru_api_types.h"
#include "user/queryWindow/xlsx_export.h"

// Texts of the trade table's 14 columns; the full export writes the same texts.
constexpr int TRADE_TEXT_COLUMNS = 14;
using TradeCells = std::array<QString, TRADE_TEXT_COLUMNS>;

TradeCells tradeCells(const CMoruRspQryTradeField& record);
// How each column goes into a workbook: codes, words and the time as text; prices, quantities, the
// component count and the cash amount as numbers with the table's decimals.
QList<XlsxExport::Kind> tradeColumnKinds();
