#pragma once

#include <QHash>
#include <QString>
#include <array>
#include <functional>

#include "moru_api_types.h"
#include "user/queryWindow/xlsx_export.h"

// Texts of the order table's columns 1 .. 17 (column 0 holds the tick box), in column order; the
// full export writes the same texts.
constexpr int ORDER_TEXT_COLUMNS = 17;
using OrderCells = std::array<QString, ORDER_TEXT_COLUMNS>;

// The two texts the rows take from outside: the counter's error text for a code (a lookup may ask the
// trading library) and the name of a security type (which depends on the market logged in to). Error
// texts are kept while one block or one export is built: they do not change meanwhile.
struct OrderTexts {
    std::function<QString(int code)> errorText;
    std::function<QString(uint8_t type)> securityType;
    QHash<int, QString> errorTexts;
};

OrderCells orderCells(const CMoruRspQryOrderField& record, OrderTexts& texts);
// The same texts as one CSV line, each cell quoted, the line ended; made without a string per number.
void appendOrderCsvLine(QString& out, const CMoruRspQryOrderField& record, OrderTexts& texts);

// How each of those columns goes into a workbook: the order number, node, codes, error code and
// times as text; prices and quantities as numbers with the table's decimals.
QList<XlsxExport::Kind> orderColumnKinds();

// 0x65, 0xAB, 0xAD; 'g' is a cancellation.
bool isOrderKind(uint8_t msgKind);
// Orders without an error get a tick box and may be cancelled; cancellations and refused orders
// may not.
bool orderHasCheckBox(const CMoruRspQryOrderField& record);
// Column 11: 1 or 0 for subscriptions and redemptions, the order price for the reverse repos that
// count as traded, otherwise the average traded price.
double orderTradePrice(const CMoruRspQryOrderField& record);
