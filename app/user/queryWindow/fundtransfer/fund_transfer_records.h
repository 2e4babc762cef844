#pragma once

#include <QString>
#include <QStringList>

#include "moru_api_types.h"
#include "user/queryWindow/xlsx_export.h"

// Records of the Shanghai/Shenzhen transfer dialog: the requests it sends and the rows it shows.
namespace FundTransferRecords {

// '1' moves money from the Shanghai counter to the Shenzhen one, '2' back.
CMoruReqBTCapTransferManagerField transferRequest(const QString& account, double amount, char direction);

// The query for the account's transfer records.
CMoruReqQryBTCapTransferManagerField recordQuery(const QString& account);

// "上交柜台调往深交柜台" for '1', "深交柜台调往上交柜台" for '2', empty otherwise.
QString directionText(char direction);

// One table row, in the order of the record table's columns.
QStringList rowCells(const CMoruRspQryBTCapTransferManagerField& record);
// How each of those goes into a workbook: the amount as a number; the error code, words and time
// as text.
QList<XlsxExport::Kind> columnKinds();

}  // namespace FundTransferRecords
