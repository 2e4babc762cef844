#pragma once

#include <QString>
#include <QWidget>

#include "utils/signal_interface.h"

class MyDoubleSpinBox;
class MyLabel;
class MyLineEdit;
class MyPushButton;
class MySpinBox;
class QuotesTcpClient;

// The "权证行权" form (Shenzhen): exercise a quantity of a warrant at a price; one request after a
// confirmation.
class ExerciseOfWarrantsWidget : public QWidget {
    Q_OBJECT
public:
    explicit ExerciseOfWarrantsWidget(QWidget* parent = nullptr);

    // Not owned.
    void setQuotesClient(QuotesTcpClient* client);

    MyLineEdit* codeEdit() const { return mCodeEdit; }
    MyLabel* nameLabel() const { return mNameLabel; }
    MySpinBox* quantityEdit() const { return mQuantityEdit; }
    MyDoubleSpinBox* priceEdit() const { return mPriceEdit; }
    MyPushButton* orderButton() const { return mOrderButton; }
    MyPushButton* clearButton() const { return mClearButton; }

signals:
    void signalSecurityIdChanged(QString code);

public slots:
    void slotOrderClicked();
    void slotClearClicked();
    void slotRspWarrantExerciseOrder(CMoruRspWarrantExerciseOrderField pRspField, CMoruRspInfo pRspInfo,
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
    MyLabel* mQuantityName;
    MySpinBox* mQuantityEdit;
    MyLabel* mPriceName;
    MyDoubleSpinBox* mPriceEdit;
    MyPushButton* mOrderButton;
    MyPushButton* mClearButton;

    QuotesTcpClient* mQuotesClient = nullptr;
};
