#pragma once

#include <QMap>
#include <QVector>

#include "user/queryWindow/query_window.h"

class MyLabel;
class MyLineEdit;
class MyPushButton;
class QTimer;
class QuotesTcpClient;

// The "股票行情" page: one row per cached security, refreshed every second, a "下单" button per
// row and a search that scrolls to a code. A row's button is made when the row first comes on
// screen and stays with that row for good: a click opens the code the row shows at that moment,
// and a refresh never takes a button away from under the pointer or the keyboard focus.
// +1 above the previous close, -1 below, 0 level or unknown.
int priceTrend(double price, double preClose);

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
    // Says when a searched code is not in the table.
    MyLabel* notFoundLabel() const { return mNotFoundLabel; }
    // The row's "下单" button; null while the row has not yet been on screen.
    MyPushButton* orderButton(int row) const;

public slots:
    void slot_checkClicked();
    void slot_clearClicked();
    void slot_clickOrder();
    void slot_releaseData();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void placeVisibleButtons();

private:
    // Writes a cell's text; true when it changed.
    bool setCellText(int row, int column, const QString& text);
    // Colours a price by its trend against the previous close; repaints only on a change.
    void setCellTrend(int row, int column, int trend);
    void placeOrderButton(int row);
    void forgetButtonsFrom(int row);

    MyLineEdit* mCodeEdit;
    MyPushButton* mClearButton;
    MyPushButton* mSearchButton;
    MyLabel* mNotFoundLabel;
    bool mTrendColours;
    // Last, open, high, low and the two limits: the trend each cell is drawn with.
    static constexpr int TREND_COLUMNS = 6;
    QVector<qint8> mTrends = QVector<qint8>(MAX_ROWS * TREND_COLUMNS, 0);
    bool mSearchHelp;
    int mRowCount = 0;
    QMap<QString, int> mCodeToRow;
    QMap<QObject*, int> mButtonToRow;
    QTimer* mRefreshTimer = nullptr;
    QuotesTcpClient* mQuotesClient = nullptr;
};
