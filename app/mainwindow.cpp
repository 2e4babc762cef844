#include "mainwindow.h"

#include <QCloseEvent>
#include <QDebug>
#include <QGridLayout>
#include <QPointer>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cstdlib>

#include "login/login_widget.h"
#include "user/user_widget.h"
#include "utils/dialog_seam.h"
#include "utils/signal_interface.h"

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    m_centralWidget = new QWidget(this);
    m_stackedWidget = new QStackedWidget(m_centralWidget);
    m_loginWidget = new LoginWidget(this);
    m_userWidget = new UserWidget(this);

    connect(m_loginWidget, &LoginWidget::signalLoginSuccess, this, &MainWindow::slotChangeUi);
    SignalInterface* hub = SignalInterface::instance();
    connect(hub, &SignalInterface::signal_onFrontManagerQueryDisconnected, this,
            &MainWindow::slotFrontDisconnected);
    connect(hub, &SignalInterface::signal_onFrontQueryDisconnected, this, &MainWindow::slotFrontDisconnected);
    connect(hub, &SignalInterface::signal_onFrontTradeDisconnected, this, &MainWindow::slotFrontDisconnected);

    setWindowIcon(QIcon(QStringLiteral(":/resource/moru.ico")));
    resize(1280, 720);

    auto* loginLayout = new QGridLayout;
    loginLayout->addWidget(m_loginWidget, 0, 0, 1, 1, Qt::AlignCenter);
    auto* loginPage = new QWidget;
    loginPage->setLayout(loginLayout);
    m_stackedWidget->addWidget(loginPage);
    m_stackedWidget->addWidget(m_userWidget);

    auto* centralLayout = new QVBoxLayout;
    centralLayout->addWidget(m_stackedWidget);
    m_centralWidget->setLayout(centralLayout);
    setCentralWidget(m_centralWidget);
    m_stackedWidget->setCurrentIndex(0);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QPalette pal = palette();
    const QPixmap picture = QPixmap(QStringLiteral(":/resource/background.jpg"))
                                .scaled(width(), height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pal.setBrush(QPalette::Window, QBrush(picture));
    setPalette(pal);
    QMainWindow::resizeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent*) {
    // Ends at once: no logout and no release of the trading instance.
    std::exit(0);
}

void MainWindow::slotChangeUi(LoginStatus status) {
    if (status != LoginSuccess) return;
    if (!m_userWidget) {
        m_userWidget = new UserWidget;
        m_stackedWidget->addWidget(m_userWidget);
    }
    m_userWidget->buildWorkspace();
    m_userWidget->refreshAccountInfo();
    m_stackedWidget->setCurrentWidget(m_userWidget);
}

void MainWindow::slotFrontDisconnected(int nReason) {
    if (m_stackedWidget->currentIndex() == 0) return;
    m_stackedWidget->setCurrentIndex(0);
    qWarning() << "slotFrontDisconnected" << QStringLiteral("与柜台的链接断开[%1]").arg(nReason);
    // Dialogs already open answer as cancelled, and the old pages hear nothing more from the counter.
    DialogSeam::endSession();
    if (m_userWidget) m_userWidget->detachFromCounter();
    DialogSeam::critical(QStringLiteral("错误"), QStringLiteral("与柜台的链接断开，请重新登录！"));
    m_loginWidget->resetAfterDisconnect();
    retireWorkspace();
}

void MainWindow::retireWorkspace() {
    UserWidget* workspace = m_userWidget;
    m_userWidget = nullptr;
    if (!workspace) return;
    m_stackedWidget->removeWidget(workspace);
    workspace->hideWindows();
    // The loss may have come inside a dialog that one of its pages opened: that page's function is
    // still on the stack, so the workspace goes only once every dialog has returned.
    QPointer<UserWidget> guard(workspace);
    DialogSeam::whenNoDialogOpen([guard] {
        if (guard) guard->deleteLater();
    });
}
