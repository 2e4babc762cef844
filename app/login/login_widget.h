#pragma once

#include <QString>
#include <QWidget>

#include "login/login_req.h"
#include "moru_api_types.h"

class QLabel;
class QThread;
class QTimer;
class MyComboBox;
class MyLineEdit;
class MyPushButton;

// The login form shown centred on the main window's first page.
class LoginWidget : public QWidget {
    Q_OBJECT
public:
    explicit LoginWidget(QWidget* parent = nullptr);
    ~LoginWidget() override;

    // Clears the form and the session state after the counter dropped a link.
    void resetAfterDisconnect();

    // The form's parts, for the main window's tests and the end-to-end tests.
    MyComboBox* exchangeBox() const { return m_exchangeBox; }
    MyLineEdit* accountEdit() const { return m_accountEdit; }
    MyLineEdit* passwordEdit() const { return m_passwordEdit; }
    MyLineEdit* nodeEdit() const { return m_nodeEdit; }
    MyPushButton* loginButton() const { return m_loginButton; }
    QTimer* loginTimer() const { return m_loginTimer; }
    int node() const { return m_node; }
    char market() const { return m_market; }
    bool canSendLogin() const { return m_canSendLogin; }

signals:
    void signalLoginSuccess(LoginStatus status);
    void signalReqLogin(QString account, QString password, int node, char market);
    void signalRelease();

public slots:
    void slotRspLoginError(CMoruRspInfo pRspInfo);
    void slotRspLoginSuccess();
    void slotChangeMarket(int index);
    void slotChangeNode(QString strNode);
    void slotChangePassord(QString password);
    void slotChangePhone(QString phone);
    void slotLoginClick();
    void slotReqLoginResult(LoginStatus status);
    void handleTimerEvent();
    void slotLinkLostDuringLogin(int nReason);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildForm();
    void resetInputs();
    bool checkInput();
    void setLoginEnabled(bool enabled);

    QLabel* m_logo = nullptr;
    MyComboBox* m_exchangeBox = nullptr;
    MyLineEdit* m_accountEdit = nullptr;
    MyLineEdit* m_passwordEdit = nullptr;
    MyLineEdit* m_nodeEdit = nullptr;
    MyPushButton* m_loginButton = nullptr;
    LoginReq* m_loginReq = nullptr;
    QThread* m_loginThread = nullptr;
    QTimer* m_loginTimer = nullptr;
    QString m_account;
    QString m_password;
    int m_node = -1;
    char m_market = '0';
    bool m_canSendLogin = false;
};
