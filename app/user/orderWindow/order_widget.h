#pragma once

#include <QElapsedTimer>
#include <QMap>
#include <QString>
#include <QWidget>

#include "user/orderWindow/pretrade_checks.h"
#include "utils/signal_interface.h"

class AccountHoldings;
struct OrderEntry;
class QuickQuantityBar;

class MyComboBox;
class MyDoubleSpinBox;
class MyLabel;
class MyLineEdit;
class MyPushButton;
class MySpinBox;
class QButtonGroup;
class QRadioButton;
class QuotesTcpClient;

// The "买卖/申赎" form: code, side, price type, quantity and price; after a confirmation it sends one
// insert-order request and shows the counter's answer.
class OrderWidget : public QWidget {
    Q_OBJECT
public:
    explicit OrderWidget(QWidget* parent = nullptr);

    // Not owned.
    void setQuotesClient(QuotesTcpClient* client);

    MyLineEdit* codeEdit() const { return mCodeEdit; }
    MyLabel* nameLabel() const { return mNameLabel; }
    QRadioButton* sideButton(int id) const;
    MyComboBox* typeBox() const { return mTypeBox; }
    MySpinBox* quantityEdit() const { return mQuantityEdit; }
    MyDoubleSpinBox* priceEdit() const { return mPriceEdit; }
    MyPushButton* orderButton() const { return mOrderButton; }
    MyPushButton* clearButton() const { return mClearButton; }
    QMap<QString, int> priceTypes() const { return mPriceTypes; }
    char side() const { return mSide; }
    // Null when [keys] quickQuantities is off.
    QuickQuantityBar* quickBar() const { return mQuickBar; }
    AccountHoldings* holdings() const { return mHoldings; }

    // The window was opened: 卖 or 买 as asked, the figures asked for again, and the focus in the
    // quantity when the code came along, else in the code.
    void prepareEntry(bool sell, bool codeGiven);

signals:
    void signalSecurityIdChanged(QString code);
    // Enter in the code field: the code is complete, so its name and levels are wanted now.
    void signalCodeEntered(QString code);

public slots:
    void slotStockCodeChange(QString str);
    void slotButtionClient(int id);
    void slotMoneyChange(double money);
    void slotQuantityChange(int quantity);
    void slotOrderClicked();
    void slotClearClicked();
    void slotRspInsertOrder(CMoruRspOrderInsertField pRspField, CMoruRspInfo pRspInfo, int nRequestID,
                            bool bIsLast);
    void slotRspErrInsertOrder(CMoruRspOrderInsertField pRspField, CMoruRspInfo pRspInfo, int nRequestID,
                               bool bIsLast);
    void slotRtnOrder(CMoruRtnOrderField pRspField, CMoruRspInfo pRspInfo, int nRequestID, bool bIsLast);
    void slotClicketOrder(QString code);
    void slotChangePrice(QString price);
    void slotChangeName(QString code);
    void slotOrderType();
    void slotChangeOrderType(QString str);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void makeConnections();
    void setupAdditions();
    void connectAdditions();
    void setSide(int id);
    bool passesPretradeChecks(const OrderEntry& entry);
    QString confirmationDetail(const OrderEntry& entry) const;
    BoardRule currentRule() const;
    void updateQuickFigure();
    void fillQuickQuantity(int divisor);
    qint64 quickAvailable() const;

    MyLabel* mTitleLabel;
    MyLabel* mCodeName;
    MyLineEdit* mCodeEdit;
    MyLabel* mNameName;
    MyLabel* mNameLabel;
    QButtonGroup* mSideGroup;
    MyLabel* mBuySellName;
    QRadioButton* mBuyButton;
    QRadioButton* mSellButton;
    MyLabel* mPurchaseRedeemName;
    QRadioButton* mPurchaseButton;
    QRadioButton* mRedeemButton;
    MyLabel* mTypeName;
    MyComboBox* mTypeBox;
    QMap<QString, int> mPriceTypes;
    MyLabel* mQuantityName;
    MySpinBox* mQuantityEdit;
    MyLabel* mPriceName;
    MyDoubleSpinBox* mPriceEdit;
    MyPushButton* mOrderButton;
    MyPushButton* mClearButton;

    QString mCode;
    char mSide = '1';
    double mPrice = 0;
    int mQuantity = 0;
    QuotesTcpClient* mQuotesClient = nullptr;

    // Additions behind [keys] and [checks] of moru-desk.ini.
    bool mEnterMoves = false;
    bool mConfirmDetail = false;
    QuickQuantityBar* mQuickBar = nullptr;
    AccountHoldings* mHoldings = nullptr;
    FlowWindow mFlow;
    QElapsedTimer mClock;
};
