#include "login/login_widget.h"

#include <QAction>
#include <QDebug>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "basicControl/my_combo_box.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "moru_securities_api.h"
#include "platform/crash_dump.h"
#include "utils/api_client_utils.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/error_msg.h"
#include "utils/password_rule.h"
#include "utils/read_api_config.h"
#include "utils/rsp_error_text.h"
#include "utils/signal_interface.h"

LoginWidget::LoginWidget(QWidget* parent) : QWidget(parent) {
    m_logo = new QLabel(this);
    m_exchangeBox = new MyComboBox(this);
    m_accountEdit = new MyLineEdit(this);
    m_passwordEdit = new MyLineEdit(this);
    m_nodeEdit = new MyLineEdit(this);
    m_loginButton = new MyPushButton(this);
    m_loginReq = new LoginReq;
    m_loginThread = new QThread(this);
    m_loginTimer = new QTimer(this);

    qRegisterMetaType<LoginStatus>("LoginStatus");
    qRegisterMetaType<CMoruRspInfo>("CMoruRspInfo");

    m_loginReq->moveToThread(m_loginThread);
    connect(m_loginThread, &QThread::started, m_loginThread, &installCrashDumpStackForThread,
            Qt::DirectConnection);
    m_loginThread->start();
    m_loginTimer->setInterval(20000);
    m_loginTimer->setSingleShot(true);

    SignalInterface* hub = SignalInterface::instance();
    connect(m_exchangeBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &LoginWidget::slotChangeMarket);
    connect(m_nodeEdit, &QLineEdit::textChanged, this, &LoginWidget::slotChangeNode);
    connect(m_accountEdit, &QLineEdit::textChanged, this, &LoginWidget::slotChangePhone);
    connect(m_passwordEdit, &QLineEdit::textChanged, this, &LoginWidget::slotChangePassord);
    connect(m_loginButton, &QPushButton::clicked, this, &LoginWidget::slotLoginClick);
    connect(this, &LoginWidget::signalReqLogin, m_loginReq, &LoginReq::slotReqLogin);
    connect(this, &LoginWidget::signalRelease, m_loginReq, &LoginReq::slotRelease);
    connect(m_loginReq, &LoginReq::signalReqLoginStatus, this, &LoginWidget::slotReqLoginResult);
    connect(hub, &SignalInterface::signal_rspErrorLogin, this, &LoginWidget::slotRspLoginError);
    connect(hub, &SignalInterface::signal_rspSuccessLogin, this, &LoginWidget::slotRspLoginSuccess);
    connect(m_loginTimer, &QTimer::timeout, this, &LoginWidget::handleTimerEvent);
    for (auto lost : {&SignalInterface::signal_onFrontManagerQueryDisconnected,
                      &SignalInterface::signal_onFrontQueryDisconnected,
                      &SignalInterface::signal_onFrontTradeDisconnected})
        connect(hub, lost, this, &LoginWidget::slotLinkLostDuringLogin);

    buildForm();
    m_exchangeBox->setCurrentIndex(-1);

    ApiClientUtils::fillCallbackTable();
}

LoginWidget::~LoginWidget() {
    // The login thread lives as long as the page; stop it cleanly when the page goes (tests, exit).
    m_loginThread->quit();
    m_loginThread->wait();
    delete m_loginReq;
}

void LoginWidget::buildForm() {
    setFixedSize(450, 493);
    m_logo->setPixmap(QPixmap(QStringLiteral(":/resource/Moru-Desk.png")));
    m_logo->setScaledContents(true);
    m_logo->setFixedSize(190, 30);
    for (QWidget* w : std::initializer_list<QWidget*>{m_exchangeBox, m_accountEdit, m_passwordEdit,
                                                      m_nodeEdit, m_loginButton})
        w->setFixedSize(320, 46);

    m_exchangeBox->lineEdit()->addAction(QIcon(QStringLiteral(":/resource/compass.svg")),
                                         QLineEdit::LeadingPosition);
    m_accountEdit->addAction(QIcon(QStringLiteral(":/resource/user.svg")), QLineEdit::LeadingPosition);
    m_passwordEdit->addAction(QIcon(QStringLiteral(":/resource/lock.svg")), QLineEdit::LeadingPosition);

    m_accountEdit->setMaxLength(15);
    m_nodeEdit->setMaxLength(1);
    // Checked at the click, with a box that says what is allowed.
    m_passwordEdit->setValidator(nullptr);
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_passwordEdit->setMaxLength(10);

    auto* layout = new QVBoxLayout(this);
    layout->addSpacing(50);
    layout->addWidget(m_logo, 0, Qt::AlignHCenter);
    layout->addSpacing(40);
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_exchangeBox, m_accountEdit, m_passwordEdit, m_nodeEdit}) {
        layout->addWidget(w, 0, Qt::AlignHCenter);
        layout->addSpacing(15);
    }
    layout->addWidget(m_loginButton, 0, Qt::AlignHCenter);
    layout->addStretch();

    resetInputs();
}

void LoginWidget::resetInputs() {
    m_exchangeBox->setCurrentIndex(-1);
    m_exchangeBox->lineEdit()->setPlaceholderText(tr("请选择交易所"));
    m_accountEdit->clear();
    m_passwordEdit->clear();
    m_accountEdit->setPlaceholderText(tr("请输入正确的资金账户"));
    m_passwordEdit->setPlaceholderText(tr("请输入密码"));
    m_nodeEdit->setPlaceholderText(tr("请输入节点"));
    m_nodeEdit->setText(QStringLiteral("6"));
    m_loginButton->setText(tr("立即登录"));
}

void LoginWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(255, 255, 255, 255));
    painter.setPen(Qt::transparent);
    painter.drawRoundedRect(QRect(0, 0, width() - 1, height() - 1), 15, 15, Qt::AbsoluteSize);
}

void LoginWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) slotLoginClick();
    QWidget::keyPressEvent(event);
}

void LoginWidget::slotChangeMarket(int index) {
    m_market = static_cast<char>('1' + index);
    currentMarket = m_market;
    ErrorMsg::instance()->readErrorJson();
}

void LoginWidget::slotChangeNode(QString strNode) {
    m_node = strNode.isEmpty() ? -1 : int(strNode.toUInt());
}

void LoginWidget::slotChangePhone(QString phone) {
    m_account = phone;
    currentAccount = phone;
}

void LoginWidget::slotChangePassord(QString password) {
    m_password = password;
}

bool LoginWidget::checkInput() {
    const QString error = QStringLiteral("错误");
    if (m_market != '1' && m_market != '2') {
        DialogSeam::warning(error, QStringLiteral("请选择正确的交易所！"));
        return false;
    }
    if (m_node == -1) {
        DialogSeam::warning(error, QStringLiteral("请选择正确的节点！"));
        return false;
    }
    if (m_accountEdit->text().isEmpty()) {
        DialogSeam::warning(error, QStringLiteral("资金账户不能为空！"));
        return false;
    }
    if (m_passwordEdit->text().isEmpty()) {
        DialogSeam::warning(error, QStringLiteral("密码不能为空！"));
        return false;
    }
    if (!isSendablePassword(m_passwordEdit->text())) {
        DialogSeam::warning(error, QStringLiteral("密码只能包含英文字母、数字和英文符号！"));
        return false;
    }
    ReadApiConfig* config = ReadApiConfig::instance();
    if (!config->configFileExists()) {
        DialogSeam::warning(error, QStringLiteral("配置文件不存在！"));
        return false;
    }
    const QPair<bool, QString> check = config->checkConfig();
    if (!check.first) {
        DialogSeam::critical(error, QStringLiteral("api_config.txt缺少配置项[%1]！").arg(check.second));
        return false;
    }
    return true;
}

void LoginWidget::slotLoginClick() {
    if (!checkInput()) return;
    loginPhase = LoginPhaseLoggingIn;
    setLoginEnabled(false);
    emit signalReqLogin(m_account, m_password, m_node, m_market);
    m_loginTimer->start();
}

void LoginWidget::setLoginEnabled(bool enabled) {
    m_loginButton->setText(enabled ? tr("立即登录") : tr("登录中..."));
    m_canSendLogin = enabled;
    m_exchangeBox->setEnabled(enabled);
    m_accountEdit->setEnabled(enabled);
    m_passwordEdit->setEnabled(enabled);
    m_nodeEdit->setEnabled(enabled);
    m_loginButton->setEnabled(enabled);
}

void LoginWidget::slotRspLoginSuccess() {
    m_loginTimer->stop();
    m_canSendLogin = true;
    emit signalLoginSuccess(LoginSuccess);
    setLoginEnabled(true);
}

void LoginWidget::slotRspLoginError(CMoruRspInfo pRspInfo) {
    m_loginTimer->stop();
    m_canSendLogin = true;
    const QString text = rspErrorText(pRspInfo);
    DialogSeam::warning(QStringLiteral("提示"), text);
    setLoginEnabled(true);
    release(entryNo);
}

void LoginWidget::slotReqLoginResult(LoginStatus status) {
    m_canSendLogin = true;
    setLoginEnabled(true);
    QString text;
    switch (status) {
        case LoginNotSent:
            text = QStringLiteral("登录失败");
            break;
        case LoginEntryOutOfRange:
            text = QStringLiteral("entryNo 超出界限");
            break;
        case LoginEntryAlreadyMade:
            text = QStringLiteral("entryNo 已经被创建，重新创建此entryNo Api");
            break;
        default:
            return;
    }
    DialogSeam::warning(QStringLiteral("错误"), text);
}

void LoginWidget::handleTimerEvent() {
    qInfo() << QStringLiteral("login time out : mLogStatus is [%0] and CanSendLogin is [%1]")
                   .arg(m_canSendLogin ? 1 : 0)
                   .arg(loginPhase.load());
    if (m_canSendLogin || loginPhase == LoginPhaseReady) return;
    m_loginTimer->stop();  // called directly, it may still run: the emission below is no loss of ours
    release(entryNo);
    DialogSeam::warning(QStringLiteral("错误"), QStringLiteral("登录超时"));
    emit SignalInterface::instance()->signal_onFrontTradeDisconnected(0);
    setLoginEnabled(true);
}

void LoginWidget::slotLinkLostDuringLogin(int nReason) {
    // Only a login under way is ours: once logged in the main window handles the loss, and the
    // time-out's own emission comes after its timer has stopped.
    if (!m_loginTimer->isActive()) return;
    m_loginTimer->stop();
    qWarning() << "login ended, link to the counter lost" << nReason;
    m_canSendLogin = true;
    DialogSeam::warning(QStringLiteral("错误"), QStringLiteral("与柜台的链接断开，请重新登录！"));
    setLoginEnabled(true);
    release(entryNo);
}

void LoginWidget::resetAfterDisconnect() {
    currentMarket = '0';
    m_market = '0';
    requestIdCounter = 0;
    resetInputs();
    m_node = 6;
    setLoginEnabled(true);
    emit signalRelease();
}
