#pragma once

#include <QObject>
#include <functional>

class MyLabel;
class OrderedWidget;
class PositionWidget;
class QTimer;
class QuotesTcpClient;
class TransactionWidget;

// What the live additions add to the query pages, from outside them: the order page follows order
// returns; after fills the position and trade pages that were searched search again; each page
// shows when its last search finished; the position page shows its floating profit from the
// quotes; code cells show the security's name. Each part has its switch in moru-desk.ini [live].
class LivePages : public QObject {
    Q_OBJECT
public:
    LivePages(OrderedWidget* orders, PositionWidget* positions, TransactionWidget* trades,
              QuotesTcpClient* quotes, QObject* parent);

    // After fills: the searched pages again.
    void refreshAfterFills();
    // The profit line from the shown positions and the quotes now.
    void updatePnl();

    MyLabel* pnlLabel() const { return mPnl; }

    static constexpr int PNL_INTERVAL_MS = 1000;

private:
    QString nameOf(const QString& code) const;

    OrderedWidget* mOrders;
    PositionWidget* mPositions;
    TransactionWidget* mTrades;
    QuotesTcpClient* mQuotes;
    MyLabel* mPnl = nullptr;
    QTimer* mPnlTimer = nullptr;
};
