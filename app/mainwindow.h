#pragma once

#include <QMainWindow>

#include "login/login_req.h"

class QStackedWidget;
class LoginWidget;
class UserWidget;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    // For tests and the workspace tests: the pages as they stand.
    LoginWidget* loginWidget() const { return m_loginWidget; }
    UserWidget* userWidget() const { return m_userWidget; }
    QStackedWidget* stackedWidget() const { return m_stackedWidget; }

public slots:
    void slotChangeUi(LoginStatus status);
    void slotFrontDisconnected(int nReason);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void retireWorkspace();

    QWidget* m_centralWidget = nullptr;
    QStackedWidget* m_stackedWidget = nullptr;
    LoginWidget* m_loginWidget = nullptr;
    UserWidget* m_userWidget = nullptr;
};
