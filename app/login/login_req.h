#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

// Outcome of a login attempt as the login thread and the login page report it.
enum LoginStatus : int {
    LoginSuccess = 0,
    LoginNotSent = 1,           // reqLogin returned non-zero
    LoginEntryOutOfRange = 2,   // createTraderApi returned -1
    LoginEntryAlreadyMade = 3,  // createTraderApi returned -2
};
Q_DECLARE_METATYPE(LoginStatus)

// The blocking part of a login, run on the login thread: create the instance, register the callbacks,
// send the login. Success arrives later through the callbacks; only failures are reported here.
class LoginReq : public QObject {
    Q_OBJECT
public:
    explicit LoginReq(QObject* parent = nullptr);

signals:
    void signalReqLoginStatus(LoginStatus status);

public slots:
    void slotReqLogin(const QString& account, const QString& password, int node, char market);
    void slotRelease();
};
