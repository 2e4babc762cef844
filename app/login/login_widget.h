#pragma once

#include <QWidget>

#include "login/login_req.h"

class QLabel;

// The login form shown centred on the main window's first page.
class LoginWidget : public QWidget {
    Q_OBJECT
public:
    explicit LoginWidget(QWidget* parent = nullptr);

    // Clears the form and the session state after the counter dropped a link.
    void resetAfterDisconnect();

signals:
    void signalLoginSuccess(LoginStatus status);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_logo = nullptr;
};
