#include "user/account_records.h"

#include <cstring>

#include "utils/record_text.h"

namespace AccountRecords {

CMoruReqQryStockClientAccountField fundQuery(const QString& account) {
    CMoruReqQryStockClientAccountField request;
    std::memset(&request, 0, sizeof(request));
    putFieldText(request.AccountID, account.toUtf8());
    return request;
}

QStringList figureCaptions() {
    return {QStringLiteral("上场资金"),     QStringLiteral("可用资金"),    QStringLiteral("可取金额"),
            QStringLiteral("冻结资金"),     QStringLiteral("锁定手续费"),  QStringLiteral("手续费"),
            QStringLiteral("今日卖出金额"), QStringLiteral("今日买入金额")};
}

QStringList figureTexts(const CMoruRspQryStockClientAccountField& record) {
    // Packed fields, some unaligned: copied out one by one.
    const double figures[] = {record.InitialCapital,  record.AvailableCapital, record.WithdrawableCapital,
                              record.FrozenCapital,   record.LockedFee,        record.Fee,
                              record.TodaySellAmount, record.TodayBuyAmount};
    QStringList texts;
    for (double value : figures) texts << QString::number(value, 'f', 3);
    return texts;
}

CMoruReqUserPasswordUpdateField passwordUpdate(const QString& account, const QString& oldPassword,
                                               const QString& newPassword) {
    CMoruReqUserPasswordUpdateField request;
    std::memset(&request, 0, sizeof(request));
    putFieldText(request.AccountID, account.toUtf8());
    putFieldText(request.NewPassword, newPassword.toUtf8());
    putFieldText(request.OldPassword, oldPassword.toUtf8());
    return request;
}

}  // namespace AccountRecords
