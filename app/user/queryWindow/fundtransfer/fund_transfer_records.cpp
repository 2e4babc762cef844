#include "user/queryWindow/fundtransfer/fund_transfer_records.h"

#include <cstring>

#include "utils/record_text.h"
#include "utils/utils.h"

namespace FundTransferRecords {

CMoruReqBTCapTransferManagerField transferRequest(const QString& account, double amount, char direction) {
    CMoruReqBTCapTransferManagerField request;
    std::memset(&request, 0, sizeof(request));
    putFieldText(request.AccountID, account.toUtf8());
    request.Amount = amount;
    request.TransferDirection = direction;
    return request;
}

CMoruReqQryBTCapTransferManagerField recordQuery(const QString& account) {
    CMoruReqQryBTCapTransferManagerField request;
    std::memset(&request, 0, sizeof(request));
    putFieldText(request.AccountID, account.toUtf8());
    return request;
}

QList<XlsxExport::Kind> columnKinds() {
    using XlsxExport::text;
    return {text(), XlsxExport::number(2), text(), text(), text(), text(), text()};
}

QString directionText(char direction) {
    switch (direction) {
        case '1':
            return QStringLiteral("上交柜台调往深交柜台");
        case '2':
            return QStringLiteral("深交柜台调往上交柜台");
        default:
            return QString();
    }
}

QStringList rowCells(const CMoruRspQryBTCapTransferManagerField& record) {
    // Packed fields: copies, never references.
    const double amount = record.Amount;
    const quint32 errorCode = record.ErrorCode;
    return {fieldText(record.OrgCode),
            QString::number(amount, 'f', 2),
            directionText(record.TransferDirection),
            QString::number(errorCode),
            errorCode == 0 ? QStringLiteral("成功") : QStringLiteral("失败"),
            Utils::TMoruBtTransferStatusTypeConvert(record.TransferStatus),
            Utils::TimeStringConvert(record.OperTime, sizeof(record.OperTime))};
}

}  // namespace FundTransferRecords
