#include "user/queryWindow/in_out_fund_records.h"

#include <cstring>

#include "utils/record_text.h"

namespace InOutFundRecords {

CMoruReqCapTransferField transferRequest(const QString& account, double amount) {
    CMoruReqCapTransferField request;
    std::memset(&request, 0, sizeof(request));
    putFieldText(request.AccountID, account.toUtf8());
    request.Amount = amount;
    return request;
}

CMoruReqQryCapTransferRecordField recordQuery(const QString& account) {
    CMoruReqQryCapTransferRecordField request;
    std::memset(&request, 0, sizeof(request));
    putFieldText(request.AccountID, account.toUtf8());
    return request;
}

QList<XlsxExport::Kind> columnKinds() {
    return {XlsxExport::text(), XlsxExport::number(2), XlsxExport::text(), XlsxExport::text()};
}

QString operationText(char direction) {
    switch (direction) {
        case '1':
            return QStringLiteral("入金");
        case '2':
            return QStringLiteral("出金");
        default:
            return QString();
    }
}

QStringList rowCells(const CMoruRspQryCapTransferRecordField& record) {
    const double amount = record.Amount;  // packed: copy before use
    return {fieldText(record.OrgCode), QString::number(amount, 'f', 2),
            operationText(record.TransferDirection), fieldText(record.OperTime)};
}

}  // namespace InOutFundRecords
