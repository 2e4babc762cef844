#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QTimer>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "utils/signal_interface.h"

namespace {
enum Column { CodeColumn = 0, NameColumn, ButtonColumn = 9 };

QString priceText(double price) {
    return QString::number(price, 'f', 3);
}
}  // namespace

StockQuotesWidget::StockQuotesWidget(QWidget* parent)
    : QueryWindow(QStringLiteral("股票行情"), parent),
      mCodeEdit(new MyLineEdit(this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)),
      mSearchButton(new MyPushButton(QStringLiteral("搜索"), this)) {
    mCodeEdit->setPlaceholderText(tr("证券代码"));
    mClearButton->setGreenStyle();

    QHBoxLayout* tools = toolLayout();
    tools->addWidget(mCodeEdit, 0, Qt::AlignLeft);
    tools->addWidget(mSearchButton, 0, Qt::AlignLeft);
    tools->addWidget(mClearButton, 0, Qt::AlignLeft);
    tools->addStretch();

    connect(mSearchButton, &QPushButton::clicked, this, &StockQuotesWidget::slot_checkClicked);
    connect(mClearButton, &QPushButton::clicked, this, &StockQuotesWidget::slot_clearClicked);
}

StockQuotesWidget::~StockQuotesWidget() {
    delete mRefreshTimer;  // made without parent
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

void StockQuotesWidget::slot_releaseData() {
    if (!mQuotesClient) return;
    const QMap<QString, ClientSecurityMarketDataLevel1> quotes = mQuotesClient->marketDataMap();
    BaseTableWidget* table = tableWidget();
    const int rows = qMin(quotes.size(), MAX_ROWS);
    if (rows != table->rowCount()) table->setRowCount(rows);

    // Cell widgets placed on a hidden viewport skip the geometry and clipping work of visible ones;
    // the viewport is shown again before anything is painted.
    QWidget* viewport = table->viewport();
    const bool viewportWasVisible = viewport->isVisible();
    bool viewportHidden = false;
    int row = 0;
    for (auto it = quotes.cbegin(); it != quotes.cend() && row < rows; ++it, ++row) {
        const ClientSecurityMarketDataLevel1& q = it.value();
        const QString code = it.key();
        const QTableWidgetItem* shown = table->item(row, CodeColumn);
        // A row whose code changed gets its own button, so every button keeps naming its row's code.
        const bool newButton = !shown || shown->text() != code;

        mCodeToRow.insert(code, row);
        table->setItem(row, CodeColumn, new QTableWidgetItem(code));
        table->setItem(row, NameColumn, new QTableWidgetItem(quoteSecurityName(q)));
        const double prices[7] = {q.LastPrice,       q.OpenPrice,       q.HighPrice,    q.LowPrice,
                                  q.UpperLimitPrice, q.LowerLimitPrice, q.PreClosePrice};
        for (int i = 0; i < 7; ++i) table->setItem(row, 2 + i, new QTableWidgetItem(priceText(prices[i])));
        if (newButton) {
            if (viewportWasVisible && !viewportHidden) {
                viewport->hide();
                viewportHidden = true;
            }
            placeOrderButton(row);
        }
    }
    if (viewportHidden) viewport->show();
    mRowCount = rows;
}

void StockQuotesWidget::placeOrderButton(int row) {
    if (MyPushButton* old = orderButton(row))
        mButtonToRow.remove(old);  // the old cell widget is deleted by the table

    // Made on the viewport, so the table's style sheet reaches the button once, not again on reparenting.
    auto* cell = new QWidget(tableWidget()->viewport());
    auto* layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* button = new MyPushButton(QStringLiteral("下单"), cell);
    button->setFixedSize(50, 18);
    layout->addWidget(button, 0, Qt::AlignCenter);
    tableWidget()->setCellWidget(row, ButtonColumn, cell);

    mButtonToRow.insert(button, row);
    connect(button, &QPushButton::clicked, this, &StockQuotesWidget::slot_clickOrder);
}

void StockQuotesWidget::slot_clickOrder() {
    const int row = mButtonToRow.value(sender(), 0);
    const QTableWidgetItem* item = tableWidget()->item(row, CodeColumn);
    emit SignalInterface::instance()->signal_clicketOrder(item ? item->text() : QString());
}

void StockQuotesWidget::slot_checkClicked() {
    const int row = mCodeToRow.value(mCodeEdit->text(), 0);
    tableWidget()->verticalScrollBar()->setValue(row);
}

void StockQuotesWidget::slot_clearClicked() {
    mCodeEdit->clear();
}
