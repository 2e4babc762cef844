#include "user/user_widget.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QPainter>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>
#include <functional>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_header_view.h"
#include "basicControl/my_label.h"
#include "basicControl/my_push_button.h"
#include "basicControl/tab_style.h"
#include "constants.h"
#include "journal/journal.h"
#include "user/live/live_pages.h"
#include "user/live/live_updates.h"
#include "user/live/today_returns_widget.h"
#include "user/orderWindow/order_window.h"
#include "user/personal_inf_dialog.h"
#include "user/queryWindow/depositandwithdrawal_dialog.h"
#include "user/queryWindow/fundtransfer/fundtransfer_widget.h"
#include "user/queryWindow/history_widget.h"
#include "user/queryWindow/ordered_widget.h"
#include "user/queryWindow/position_widget.h"
#include "user/queryWindow/query_windows_manager.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"
#include "user/queryWindow/transaction_widget.h"
#include "user/update_pwd_dialog.h"
#include "utils/api_state.h"
#include "utils/desk_settings.h"
#include "utils/key_bindings.h"
#include "utils/read_api_config.h"
#include "utils/signal_interface.h"

namespace {
QPixmap svgPixmap(const QString& path, const QSize& size) {
    return QIcon(path).pixmap(size);
}
}  // namespace

UserWidget::UserWidget(QWidget* parent) : QWidget(parent) {
    m_tabWidget = new QTabWidget(this);
    m_tradeButton = new MyPushButton(QStringLiteral("交易"), this);
    m_transferButton = new MyPushButton(QStringLiteral("沪深资金调拨"), this);
    m_depositButton = new MyPushButton(QStringLiteral("出入金"), this);
    m_fundButton = new MyPushButton(QStringLiteral("资金查询"), this);
    m_passwordButton = new MyPushButton(QStringLiteral("修改密码"), this);
    m_accountIcon = new MyLabel(this);
    m_accountLabel = new MyLabel(this);
    m_exchangeIcon = new MyLabel(this);
    m_businessIcon = new MyLabel(this);
    m_businessCodeLabel = new MyLabel(this);
    m_manager = new QueryWindowsManager(this);
}

UserWidget::~UserWidget() {
    // The pages go before the manager, whose thread feeds the quote page.
    delete m_positionPage;
    m_positionPage = nullptr;
    delete m_quotePage;
    m_quotePage = nullptr;
    delete m_tradePage;
    m_tradePage = nullptr;
    delete m_orderPage;
    m_orderPage = nullptr;
    // The order window reads the manager's quote client.
    delete m_orderWindow;
    m_orderWindow = nullptr;
    delete m_manager;
    m_manager = nullptr;
}

void UserWidget::buildWorkspace() {
    // A second success signal for the same session must not lay the page out again.
    if (m_built) return;
    m_built = true;
    initUi();
    initConnections();
}

void UserWidget::setExchangeIcon(const QString& path) {
    m_exchangeIconPath = path;
    m_exchangeIcon->setFixedSize(33, 30);
    m_exchangeIcon->setPixmap(svgPixmap(path, QSize(33, 30)));
}

void UserWidget::initUi() {
    m_accountIcon->setFixedSize(30, 30);
    m_accountIcon->setPixmap(svgPixmap(QStringLiteral(":/resource/account.svg"), QSize(30, 30)));
    m_businessIcon->setFixedSize(33, 30);
    m_businessIcon->setPixmap(svgPixmap(QStringLiteral(":/resource/business.svg"), QSize(33, 30)));
    setExchangeIcon(QStringLiteral(":/resource/sse.svg"));

    m_tradeButton->setLargeRedStyle();
    for (MyPushButton* b : {m_transferButton, m_depositButton, m_fundButton, m_passwordButton})
        b->setLargeBlueStyle();
    for (MyPushButton* b : {m_tradeButton, m_transferButton, m_depositButton, m_fundButton, m_passwordButton})
        b->setFixedSize(150, 28);
    m_accountLabel->setRedTitleStyle();
    m_businessCodeLabel->setRedTitleStyle();

    auto* header = new QHBoxLayout;
    for (MyPushButton* b : {m_tradeButton, m_transferButton, m_depositButton, m_fundButton, m_passwordButton})
        header->addWidget(b);
    header->addStretch();
    header->addWidget(m_exchangeIcon);
    header->addWidget(m_businessIcon);
    header->addWidget(m_businessCodeLabel);
    header->addWidget(m_accountIcon);
    header->addWidget(m_accountLabel);
    header->addSpacing(10);

    m_mainLayout = new QVBoxLayout(this);
    m_mainLayout->addLayout(header);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    m_mainLayout->addWidget(line);

    initQueryTabs();
    setLayout(m_mainLayout);
}

void UserWidget::initQueryTabs() {
    m_tabWidget->setStyleSheet(tabBarStyle(TabGradient::FadeToBottom));

    m_positionPage = new PositionWidget(this);
    m_positionPage->setTableHeader(POSITION_HEADERS.size(), POSITION_HEADERS);
    m_tabWidget->addTab(m_positionPage, tr("持仓查询"));

    m_quotePage = new StockQuotesWidget(this);
    m_quotePage->setTableHeader(QUOTE_HEADERS.size(), QUOTE_HEADERS);

    m_tradePage = new TransactionWidget(this);
    m_tradePage->setTableHeader(TRADE_HEADERS.size(), TRADE_HEADERS);
    m_tabWidget->addTab(m_tradePage, tr("成交查询"));

    m_orderPage = new OrderedWidget(this);
    auto* orderHeader = new MyHeaderView(Qt::Horizontal, m_orderPage->tableWidget());
    m_orderPage->tableWidget()->setHorizontalHeader(orderHeader);
    m_orderPage->setTableHeader(ORDER_HEADERS.size(), ORDER_HEADERS);
    orderHeader->setSectionResizeMode(0, QHeaderView::Fixed);
    m_orderPage->tableWidget()->setColumnWidth(0, 40);
    connect(orderHeader, &MyHeaderView::signalHeadCheckBoxToggled, m_orderPage,
            &OrderedWidget::slot_HeadCheckBoxToggled);
    m_tabWidget->addTab(m_orderPage, tr("委托查询"));
    // The journal's page, only while a journal records.
    if (Journal::instance()->isRunning()) m_tabWidget->addTab(new HistoryWidget(this), tr("历史查询"));

    m_mainLayout->addWidget(m_quotePage);
    m_mainLayout->addWidget(m_tabWidget);

    m_manager->registerWindow(m_quotePage->windowName(), m_quotePage);
    m_manager->start();
    m_quotePage->setQuotesClient(m_manager->quotesClient());

    m_orderWindow = new OrderWindow(this);
    m_orderWindow->initDataClass(m_manager->quotesClient());
    initLiveUpdates();
}

void UserWidget::initLiveUpdates() {
    QuotesTcpClient* quotes = m_manager->quotesClient();
    m_live = new LiveUpdates(this, [quotes](const QString& code) {
        return quotes ? quoteSecurityName(quotes->getMarketData(code)) : QString();
    });
    connect(SignalInterface::instance(), &SignalInterface::signal_rtnOrder, m_live,
            &LiveUpdates::slot_rtnOrder);
    if (m_live->todayList()) m_tabWidget->addTab(m_live->todayList(), tr("今日回报"));
    auto* pages = new LivePages(m_orderPage, m_positionPage, m_tradePage, quotes, m_live);
    m_live->setAfterFills([this, pages] {
        pages->refreshAfterFills();
        // The account's figures, asked again while their dialog is open.
        if (m_accountDialog && m_accountDialog->isVisible()) m_accountDialog->slot_refresh();
    });
}

void UserWidget::initConnections() {
    connect(m_tradeButton, &QPushButton::clicked, this, &UserWidget::slot_orderButtonClicked);
    connect(m_fundButton, &QPushButton::clicked, this, &UserWidget::slot_refreshClicked);
    connect(m_transferButton, &QPushButton::clicked, this, &UserWidget::slot_TransferbuttonClicked);
    connect(m_depositButton, &QPushButton::clicked, this, &UserWidget::slot_DepositAndWithdrawalClicked);
    connect(m_passwordButton, &QPushButton::clicked, this, &UserWidget::slot_updatePassbuttonClicked);
    if (DeskSettings::instance().flag(QStringLiteral("keys/enabled"), true)) installKeys();
}

void UserWidget::installKeys() {
    const QMap<QString, QKeySequence> keys = KeyBindings::fromSettings();
    const QMap<QString, std::function<void()>> actions = {
        {QStringLiteral("buy"), [this] { openOrderWindow(false); }},
        {QStringLiteral("sell"), [this] { openOrderWindow(true); }},
        {QStringLiteral("orders"), [this] { searchPage(m_orderPage); }},
        {QStringLiteral("positions"), [this] { searchPage(m_positionPage); }},
        {QStringLiteral("refresh"), [this] { searchPage(m_tabWidget->currentWidget()); }},
    };
    for (auto it = actions.cbegin(); it != actions.cend(); ++it) {
        const QKeySequence key = keys.value(it.key());
        if (key.isEmpty()) continue;
        // Anywhere in the workspace, its own windows included.
        auto* shortcut = new QShortcut(key, this, nullptr, nullptr, Qt::ApplicationShortcut);
        connect(shortcut, &QShortcut::activated, this, it.value());
    }
    if (m_orderWindow) m_orderWindow->setHideKey(keys.value(QStringLiteral("hideOrder")));
}

void UserWidget::searchPage(QWidget* page) {
    if (!page || m_tabWidget->indexOf(page) < 0) return;
    m_tabWidget->setCurrentWidget(page);
    QPushButton* search = nullptr;
    if (page == m_orderPage)
        search = m_orderPage->searchButton();
    else if (page == m_positionPage)
        search = m_positionPage->searchButton();
    else if (page == m_tradePage)
        search = m_tradePage->queryButton();
    // A button still waiting for its answer stays as it is.
    if (search && search->isEnabled()) search->click();
}

void UserWidget::slot_orderButtonClicked() {
    openOrderWindow(false);
}

void UserWidget::openOrderWindow(bool sell) {
    if (!m_orderWindow) {
        m_orderWindow = new OrderWindow(this);
        m_orderWindow->initDataClass(m_manager->quotesClient());
    }
    m_orderWindow->openForEntry(sell);
}

void UserWidget::slot_refreshClicked() {
    if (!m_accountDialog) m_accountDialog = new PersonalInfDialog(this);
    m_accountDialog->show();
    m_accountDialog->slot_refresh();
}

void UserWidget::slot_TransferbuttonClicked() {
    if (!m_transferWindow) m_transferWindow = new FundTransferWidget(this);
    m_transferWindow->show();
}

void UserWidget::slot_DepositAndWithdrawalClicked() {
    if (!m_depositDialog) m_depositDialog = new DepositAndWithdrawalDialog(this);
    m_depositDialog->show();
}

void UserWidget::slot_updatePassbuttonClicked() {
    if (!m_passwordDialog) m_passwordDialog = new UpdatePwdDialog(this);
    m_passwordDialog->show();
    m_passwordDialog->clearInputs();
}

void UserWidget::refreshAccountInfo() {
    m_accountLabel->setText(currentAccount);
    Journal::instance()->setSession(currentAccount, currentMarket);
    const QString businessCode = ReadApiConfig::instance()->getBusinessCode();
    if (!businessCode.isEmpty())
        m_businessCodeLabel->setText(businessCode);
    else
        m_businessIcon->hide();
    setExchangeIcon(currentMarket == '2' ? QStringLiteral(":/resource/szse.svg")
                                         : QStringLiteral(":/resource/sse.svg"));
}

void UserWidget::detachFromCounter() {
    SignalInterface* hub = SignalInterface::instance();
    if (!hub) return;
    hub->disconnect(this);
    for (QObject* child : findChildren<QObject*>()) hub->disconnect(child);
}

void UserWidget::hideWindows() {
    hide();
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child->isWindow()) child->hide();
    }
}

void UserWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(245, 245, 245));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(rect(), 15, 15);
}
