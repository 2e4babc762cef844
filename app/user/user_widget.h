#pragma once

#include <QWidget>

class QTabWidget;
class QVBoxLayout;
class LiveUpdates;
class MyLabel;
class MyPushButton;
class OrderWindow;
class PersonalInfDialog;
class FundTransferWidget;
class DepositAndWithdrawalDialog;
class UpdatePwdDialog;
class OrderedWidget;
class PositionWidget;
class QueryWindowsManager;
class StockQuotesWidget;
class TransactionWidget;

// The page shown after a successful login: the account header with its buttons, the quote display and
// the query tabs.
class UserWidget : public QWidget {
    Q_OBJECT
public:
    explicit UserWidget(QWidget* parent = nullptr);
    ~UserWidget() override;

    void buildWorkspace();
    void refreshAccountInfo();

    // After a link loss: the pages stop hearing the counter and the workspace's own windows close, so
    // nothing of the old session shows while the workspace waits to be deleted.
    void detachFromCounter();
    void hideWindows();

    MyLabel* accountLabel() const { return m_accountLabel; }
    MyLabel* businessCodeLabel() const { return m_businessCodeLabel; }
    MyLabel* businessIcon() const { return m_businessIcon; }
    MyLabel* exchangeIcon() const { return m_exchangeIcon; }
    QString exchangeIconPath() const { return m_exchangeIconPath; }
    QTabWidget* tabWidget() const { return m_tabWidget; }
    MyPushButton* tradeButton() const { return m_tradeButton; }
    StockQuotesWidget* quotePage() const { return m_quotePage; }
    QueryWindowsManager* manager() const { return m_manager; }
    OrderWindow* orderWindow() const { return m_orderWindow; }

public slots:
    void slot_orderButtonClicked();
    // The trade button and the order keys: 买, or 卖 when asked.
    void openOrderWindow(bool sell);

public:
    MyPushButton* transferButton() const { return m_transferButton; }
    MyPushButton* depositButton() const { return m_depositButton; }
    MyPushButton* fundButton() const { return m_fundButton; }
    MyPushButton* passwordButton() const { return m_passwordButton; }
    // Null until their button is first pressed.
    PersonalInfDialog* accountDialog() const { return m_accountDialog; }
    FundTransferWidget* transferWindow() const { return m_transferWindow; }
    DepositAndWithdrawalDialog* depositDialog() const { return m_depositDialog; }
    UpdatePwdDialog* passwordDialog() const { return m_passwordDialog; }

public slots:
    void slot_refreshClicked();
    void slot_TransferbuttonClicked();
    void slot_DepositAndWithdrawalClicked();
    void slot_updatePassbuttonClicked();

public:
    PositionWidget* positionPage() const { return m_positionPage; }
    TransactionWidget* tradePage() const { return m_tradePage; }
    OrderedWidget* orderPage() const { return m_orderPage; }
    LiveUpdates* liveUpdates() const { return m_live; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void initUi();
    void initConnections();
    void initQueryTabs();
    void initLiveUpdates();
    void setExchangeIcon(const QString& path);
    void installKeys();
    // Brings up a query tab and presses its search button.
    void searchPage(QWidget* page);

    QTabWidget* m_tabWidget = nullptr;
    MyPushButton* m_tradeButton = nullptr;
    MyPushButton* m_transferButton = nullptr;
    MyPushButton* m_depositButton = nullptr;
    MyPushButton* m_fundButton = nullptr;
    MyPushButton* m_passwordButton = nullptr;
    MyLabel* m_accountIcon = nullptr;
    MyLabel* m_accountLabel = nullptr;
    MyLabel* m_exchangeIcon = nullptr;
    MyLabel* m_businessIcon = nullptr;
    MyLabel* m_businessCodeLabel = nullptr;
    PositionWidget* m_positionPage = nullptr;
    StockQuotesWidget* m_quotePage = nullptr;
    TransactionWidget* m_tradePage = nullptr;
    OrderedWidget* m_orderPage = nullptr;
    QueryWindowsManager* m_manager = nullptr;
    OrderWindow* m_orderWindow = nullptr;
    PersonalInfDialog* m_accountDialog = nullptr;
    FundTransferWidget* m_transferWindow = nullptr;
    DepositAndWithdrawalDialog* m_depositDialog = nullptr;
    UpdatePwdDialog* m_passwordDialog = nullptr;
    LiveUpdates* m_live = nullptr;
    QVBoxLayout* m_mainLayout = nullptr;
    QString m_exchangeIconPath;
    bool m_built = false;
};
