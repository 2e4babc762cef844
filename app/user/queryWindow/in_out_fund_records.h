#pragma once

#include <QString>
#include <QStringList>

#include "moru_api_types.h"
#include "user/queryWindow/xlsx_export.h"

// Records of the deposit and withdrawal page: the requests it sends and the rows it shows.
namespace InOutFundRecords {

// A deposit or withdrawal of `amount` for `account` (the same record serves both).
CMoruReqCapTransferField transferRequest(const QString& account, double amount);

// The query for the account's deposit and withdrawal records.
CMoruReqQryCapTransferRecordField recordQuery(const QString& account);

// "入金" for '1', "出金" for '2', empty otherwise.
QString operationText(char direction);

// One table row: institution code, amount with 2 decimals, operation, time as stored.
QStringList rowCells(const CMoruRspQryCapTransferRecordField& record);
// How each of those goes into a workbook: the amount as a number, the rest as text.
QList<XlsxExport::Kind> columnKinds();

}  // namespace InOutFundRecords
