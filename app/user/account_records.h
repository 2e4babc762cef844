#pragma once

#include <QString>
#include <QStringList>

#include "moru_api_types.h"

// Records of the account dialogs: the fund query with the figures it brings back, and the password change.
namespace AccountRecords {

// The fund query of `account`; nothing else is set.
CMoruReqQryStockClientAccountField fundQuery(const QString& account);

// The captions of the fund figures, in the order the dialog shows them.
QStringList figureCaptions();

// The figures of a fund record with three decimals, in the order of figureCaptions().
QStringList figureTexts(const CMoruRspQryStockClientAccountField& record);

// The width of the new password in the record: a longer text would reach the counter cut.
constexpr int kNewPasswordBytes = int(sizeof(CMoruReqUserPasswordUpdateField::NewPassword));

// The password change of `account`; each text cut to its field.
CMoruReqUserPasswordUpdateField passwordUpdate(const QString& account, const QString& oldPassword,
                                               const QString& newPassword);

}  // namespace AccountRecords
