#pragma once

#include <QMap>

#include "user/queryWindow/query_window.h"

class MyLineEdit;
class MyPushButton;
class QTimer;
class QuotesTcpClient;

// The "股票行情" page: one row per cached security, refreshed every second, a "下单" button per
// row and a search that scrolls to a code.
class StockQuotesWidget : public QueryWindow {
    Q_OBJECT
public:
    static constexpr int MAX_ROWS = 4096;
    static constexpr int REFRESH_INTERVAL_MS = 1000;

    explicit StockQuotesWidget(QWidget* parent = nullptr);
    ~StockQuotesWidget() override;

    // Not owned; starts the every-second refresh.
    void setQuotesClient(QuotesTcpClient* client);
    // The table is only ever updated by slot_releaseData.
    void updateQuoteRow(const QMap<QString, ClientSecurityMarketDataLevel1>& quotes,
                        const QString& code) override;

    MyLineEdit* codeEdit() const { return mCodeEdit; }
    MyPushButton* searchButton() const { return mSearchButton; }
    MyPushButton* clearButton() const { return mClearButton; }
    MyPushButton* orderButton(int row) const;

public slots:
    void slot_checkClicked();
    void slot_clearClicked();
    void slot_clickOrder();
    void slot_releaseData();

private:
    void placeOrderButton(int row);

    MyLineEdit* mCodeEdit;
    MyPushButton* mClearButton;
    MyPushButton* mSearchButton;
    int mRowCount = 0;
    QMap<QString, int> mCodeToRow;
    QMap<QObject*, int> mButtonToRow;
    QTimer* mRefreshTimer = nullptr;
    QuotesTcpClient* mQuotesClient = nullptr;
};
