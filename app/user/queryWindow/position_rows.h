#pragma once

#include <QString>
#include <array>

#include "moru_api_types.h"
#include "user/queryWindow/xlsx_export.h"

// Texts of the position table's columns 0 .. 8 (column 9 holds the "下单" button); the full export
// writes the same texts.
constexpr int POSITION_TEXT_COLUMNS = 9;
using PositionCells = std::array<QString, POSITION_TEXT_COLUMNS>;

PositionCells positionCells(const CMoruRspQryStockPositionField& record);
// How each column goes into a workbook: the code as text, quantities and the cost as numbers.
QList<XlsxExport::Kind> positionColumnKinds();
