#pragma once

#include <QMetaType>

// Outcome of a login attempt as the login thread and the login page report it.
enum LoginStatus : int {
    LoginSuccess = 0,
    LoginNotSent = 1,           // reqLogin returned non-zero
    LoginEntryOutOfRange = 2,   // createTraderApi returned -1
    LoginEntryAlreadyMade = 3,  // createTraderApi returned -2
};
Q_DECLARE_METATYPE(LoginStatus)
