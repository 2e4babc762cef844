#pragma once

#include <QString>
#include <QWidget>

#include "utils/signal_interface.h"

class MyLabel;
class MyLineEdit;
class MyPushButton;
class MySpinBox;
class QButtonGroup;
class QRadioButton;
class QuotesTcpClient;

// The "要约收购" form (Shanghai): accept a tender offer for a quantity of the underlying stock, or
// withdraw an acceptance, naming the offeror; one request after a confirmation.
class TenderOfferWidget : public QWidget {
    Q_OBJECT
public:
    explicit TenderOfferWidget(QWidget* parent = nullptr);

    // Not owned.
    void setQuotesClient(QuotesTcpClient* client);

    MyLineEdit* codeEdit() const { return mCodeEdit; }
    MyLabel* nameLabel() const { return mNameLabel; }
    QRadioButton* acceptButton() const { return mAcceptButton; }
    QRadioButton* withdrawButton() const { return mWithdrawButton; }
    MySpinBox* quantityEdit() const { return mQuantityEdit; }
    MyLineEdit* offerorEdit() const { return mOfferorEdit; }
    MyPushButton* orderButton() const { return mOrderButton; }
    MyPushButton* clearButton() const { return mClearButton; }
    char side() const { return mSide; }

signals:
    void signalSecurityIdChanged(QString code);

public slots:
    void slotButtionClient(int id);
    void slotOrderClicked();
    void slotClearClicked();
    void slotRspTenderOfferOrder(CMoruRspTenderOfferOrderField pRspField, CMoruRspInfo pRspInfo,
                                 int nRequestID, bool bIsLast);
    void slotClicketOrder(QString code);
    void slotChangeName(QString code);

private:
    void buildLayout();

    MyLabel* mTitleLabel;
    MyLabel* mCodeName;
    MyLineEdit* mCodeEdit;
    MyLabel* mNameName;
    MyLabel* mNameLabel;
    QButtonGroup* mChoiceGroup;
    MyLabel* mChoiceName;
    QRadioButton* mAcceptButton;
    QRadioButton* mWithdrawButton;
    MyLabel* mQuantityName;
    MySpinBox* mQuantityEdit;
    MyLabel* mOfferorName;
    MyLineEdit* mOfferorEdit;
    MyPushButton* mOrderButton;
    MyPushButton* mClearButton;

    char mSide = '7';
    QuotesTcpClient* mQuotesClient = nullptr;
};
