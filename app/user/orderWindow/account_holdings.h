#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>

#include "moru_api_types.h"

class QTimer;

// The account's latest available funds and available position per code, as the order window offers
// them beside the quantity. Asked for with refresh(), at most once a second: a refresh within the
// second is sent when it has passed.
class AccountHoldings : public QObject {
    Q_OBJECT
public:
    static constexpr int kMinIntervalMs = 1000;

    explicit AccountHoldings(QObject* parent = nullptr);
    ~AccountHoldings() override;

    // Negative while no fund answer has come.
    double availableFunds() const { return mFunds; }
    // -1 while no position answer has come; 0 for a code the account does not hold.
    qint64 availableQuantity(const QString& code) const;

public slots:
    void refresh();
    void slotFund(const CMoruRspQryStockClientAccountField& record);
    void slotPosition(const CMoruRspQryStockPositionField& record, const CMoruRspInfo& info, int requestId,
                      bool isLast);

signals:
    void changed();

private:
    void send();

    QTimer* mLater;
    QElapsedTimer mLastSent;
    double mFunds = -1;
    bool mPositionsKnown = false;
    QHash<QString, qint64> mAvailable;
    QHash<QString, qint64> mIncoming;
    int mPositionRequest = -1;
    QSet<int> mRequests;
};
