#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QTimer>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "user/live/trend_delegate.h"
#include "user/queryWindow/row_button.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "utils/desk_settings.h"
#include "utils/signal_interface.h"

namespace {
enum Column { CodeColumn = 0, NameColumn, FirstTrendColumn = 2, ButtonColumn = 9 };

QString priceText(double price) {
    return QString::number(price, 'f', 3);
}
}  // namespace

int priceTrend(double price, double preClose) {
    if (!(price > 0) || !(preClose > 0)) return 0;
    // Prices are on a tick of at least 0.001: half of it decides.
    if (price > preClose + 0.0005) return 1;
    if (price < preClose - 0.0005) return -1;
    return 0;
}

StockQuotesWidget::StockQuotesWidget(QWidget* parent)
    : QueryWindow(QStringLiteral("股票行情"), parent),
      mCodeEdit(new MyLineEdit(this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)),
      mSearchButton(new MyPushButton(QStringLiteral("搜索"), this)),
      mNotFoundLabel(new MyLabel(this)),
      mTrendColours(DeskSettings::instance().flag(QStringLiteral("live/quoteColours"), true)),
      mSearchHelp(DeskSettings::instance().flag(QStringLiteral("live/quoteSearch"), true)) {
    mCodeEdit->setPlaceholderText(tr("证券代码"));
    mClearButton->setGreenStyle();
    mNotFoundLabel->setTextFormat(Qt::PlainText);
    mNotFoundLabel->setStyleSheet(QStringLiteral("color:#CD2626;"));

    QHBoxLayout* tools = toolLayout();
    tools->addWidget(mCodeEdit, 0, Qt::AlignLeft);
    tools->addWidget(mSearchButton, 0, Qt::AlignLeft);
    tools->addWidget(mClearButton, 0, Qt::AlignLeft);
    tools->addWidget(mNotFoundLabel, 0, Qt::AlignLeft);
    tools->addStretch();
    if (mSearchHelp)
        connect(mCodeEdit, &QLineEdit::returnPressed, this, &StockQuotesWidget::slot_checkClicked);
    if (mTrendColours) {
        auto* trend = new TrendDelegate(this);
        for (int column = FirstTrendColumn; column < FirstTrendColumn + TREND_COLUMNS; ++column)
            tableWidget()->setItemDelegateForColumn(column, trend);
    }

    connect(mSearchButton, &QPushButton::clicked, this, &StockQuotesWidget::slot_checkClicked);
    connect(mClearButton, &QPushButton::clicked, this, &StockQuotesWidget::slot_clearClicked);

    // Buttons are made as their rows come on screen: placing thousands at once freezes the window.
    connect(tableWidget()->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &StockQuotesWidget::placeVisibleButtons);
    tableWidget()->viewport()->installEventFilter(this);
}

StockQuotesWidget::~StockQuotesWidget() {
    delete mRefreshTimer;  // made without parent
    // The table outlives this part of the page while the base class tears it down.
    tableWidget()->viewport()->removeEventFilter(this);
    disconnect(tableWidget()->verticalScrollBar(), nullptr, this, nullptr);
}

void StockQuotesWidget::setQuotesClient(QuotesTcpClient* client) {
    mQuotesClient = client;
    if (!mRefreshTimer) {
        mRefreshTimer = new QTimer;
        connect(mRefreshTimer, &QTimer::timeout, this, &StockQuotesWidget::slot_releaseData);
    }
    mRefreshTimer->start(REFRESH_INTERVAL_MS);
}

void StockQuotesWidget::updateQuoteRow(const QMap<QString, ClientSecurityMarketDataLevel1>&, const QString&) {
}

MyPushButton* StockQuotesWidget::orderButton(int row) const {
    QWidget* cell = tableWidget()->cellWidget(row, ButtonColumn);
    return cell ? cell->findChild<MyPushButton*>() : nullptr;
}

bool StockQuotesWidget::eventFilter(QObject* watched, QEvent* event) {
    // A taller table or a first show brings rows on screen that have no button yet.
    if (watched == tableWidget()->viewport() &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        placeVisibleButtons();
    return QueryWindow::eventFilter(watched, event);
}

void StockQuotesWidget::slot_releaseData() {
    if (!mQuotesClient) return;
    const QMap<QString, ClientSecurityMarketDataLevel1> quotes = mQuotesClient->marketDataMap();
    BaseTableWidget* table = tableWidget();
    const int rows = qMin(quotes.size(), MAX_ROWS);
    if (rows < table->rowCount()) forgetButtonsFrom(rows);
    if (rows != table->rowCount()) table->setRowCount(rows);

    bool codesMoved = rows != mRowCount;
    int row = 0;
    for (auto it = quotes.cbegin(); it != quotes.cend() && row < rows; ++it, ++row) {
        const ClientSecurityMarketDataLevel1& q = it.value();
        codesMoved |= setCellText(row, CodeColumn, it.key());
        setCellText(row, NameColumn, quoteSecurityName(q));
        const double prices[7] = {q.LastPrice,       q.OpenPrice,       q.HighPrice,    q.LowPrice,
                                  q.UpperLimitPrice, q.LowerLimitPrice, q.PreClosePrice};
        for (int i = 0; i < 7; ++i) setCellText(row, 2 + i, priceText(prices[i]));
        // Red above the previous close, green below, as the A-share convention has it.
        if (mTrendColours)
            for (int i = 0; i < TREND_COLUMNS; ++i)
                setCellTrend(row, FirstTrendColumn + i, priceTrend(prices[i], q.PreClosePrice));
    }
    // Only codes shown are found: one pushed past the last row must not lead to the row of another.
    if (codesMoved) {
        mCodeToRow.clear();
        row = 0;
        for (auto it = quotes.cbegin(); it != quotes.cend() && row < rows; ++it, ++row)
            mCodeToRow.insert(it.key(), row);
    }
    mRowCount = rows;
    placeVisibleButtons();
}

bool StockQuotesWidget::setCellText(int row, int column, const QString& text) {
    // Items are rewritten in place: an unchanged text costs a comparison and repaints nothing.
    BaseTableWidget* table = tableWidget();
    if (QTableWidgetItem* shown = table->item(row, column)) {
        if (shown->text() == text) return false;
        shown->setText(text);
        return true;
    }
    table->setItem(row, column, new QTableWidgetItem(text));
    if (column >= FirstTrendColumn && column < FirstTrendColumn + TREND_COLUMNS)
        mTrends[row * TREND_COLUMNS + column - FirstTrendColumn] = 0;  // a new item has no colour yet
    return true;
}

void StockQuotesWidget::setCellTrend(int row, int column, int trend) {
    // The trend drawn is kept beside the table: asking each item for it costs more than the refresh.
    qint8& drawn = mTrends[row * TREND_COLUMNS + column - FirstTrendColumn];
    if (drawn == trend) return;
    QTableWidgetItem* item = tableWidget()->item(row, column);
    if (!item) return;
    drawn = qint8(trend);
    item->setForeground(trend > 0   ? QBrush(QColor(0xE0, 0x00, 0x00))
                        : trend < 0 ? QBrush(QColor(0x00, 0x99, 0x00))
                                    : QBrush());
}

void StockQuotesWidget::placeVisibleButtons() {
    BaseTableWidget* table = tableWidget();
    const int rows = table->rowCount();
    if (rows == 0) return;
    int first = table->rowAt(0);
    int last = table->rowAt(table->viewport()->height() - 1);
    if (first < 0) first = 0;
    if (last < 0) last = rows - 1;
    // A page ahead either way, so a scroll by a page lands on rows that are ready.
    const int page = last - first + 1;
    first = qMax(0, first - page);
    last = qMin(rows - 1, last + page);
    for (int r = first; r <= last; ++r) {
        if (!table->cellWidget(r, ButtonColumn)) placeOrderButton(r);
    }
}

void StockQuotesWidget::forgetButtonsFrom(int row) {
    for (auto it = mButtonToRow.begin(); it != mButtonToRow.end();) {
        if (it.value() >= row)
            it = mButtonToRow.erase(it);  // the table deletes the cell with its row
        else
            ++it;
    }
}

void StockQuotesWidget::placeOrderButton(int row) {
    MyPushButton* button = placeRowButton(tableWidget(), row, ButtonColumn, QStringLiteral("下单"));
    mButtonToRow.insert(button, row);
    connect(button, &QPushButton::clicked, this, &StockQuotesWidget::slot_clickOrder);
}

void StockQuotesWidget::slot_clickOrder() {
    const int row = mButtonToRow.value(sender(), 0);
    const QTableWidgetItem* item = tableWidget()->item(row, CodeColumn);
    emit SignalInterface::instance()->signal_clicketOrder(item ? item->text() : QString());
}

void StockQuotesWidget::slot_checkClicked() {
    const auto found = mCodeToRow.constFind(mCodeEdit->text());
    if (mSearchHelp)
        mNotFoundLabel->setText(found == mCodeToRow.cend() && !mCodeEdit->text().isEmpty()
                                    ? QStringLiteral("行情中没有代码%1").arg(mCodeEdit->text())
                                    : QString());
    const int row = found == mCodeToRow.cend() ? 0 : found.value();
    // Rows that arrived a moment ago may not be in the scroll range yet.
    tableWidget()->updateScrollRange();
    tableWidget()->verticalScrollBar()->setValue(row);
}

void StockQuotesWidget::slot_clearClicked() {
    mCodeEdit->clear();
}
