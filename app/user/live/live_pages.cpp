#include "user/live/live_pages.h"

#include <QHBoxLayout>
#include <QTimer>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_label.h"
#include "basicControl/my_push_button.h"
#include "user/live/code_name_tips.h"
#include "user/live/position_pnl.h"
#include "user/queryWindow/ordered_widget.h"
#include "user/queryWindow/position_widget.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/queryWindow/transaction_widget.h"
#include "utils/desk_settings.h"
#include "utils/record_text.h"
#include "utils/signal_interface.h"

namespace {
// Code columns: the order table's first column holds the tick box.
constexpr int ORDER_CODE_COLUMN = 3;
constexpr int TRADE_CODE_COLUMN = 1;
constexpr int POSITION_CODE_COLUMN = 0;

bool on(const char* key) {
    return DeskSettings::instance().flag(QString::fromLatin1(key), true);
}

MyLabel* addToolLabel(QueryWindow* page) {
    auto* label = new MyLabel(page);
    label->setTextFormat(Qt::PlainText);
    page->toolLayout()->addWidget(label, 0, Qt::AlignRight);
    return label;
}
}  // namespace

LivePages::LivePages(OrderedWidget* orders, PositionWidget* positions, TransactionWidget* trades,
                     QuotesTcpClient* quotes, QObject* parent)
    : QObject(parent), mOrders(orders), mPositions(positions), mTrades(trades), mQuotes(quotes) {
    if (on("live/orderRows"))
        connect(SignalInterface::instance(), &SignalInterface::signal_rtnOrder, mOrders,
                [this](const CMoruRtnOrderField& rtn, const CMoruRspInfo& info) {
                    mOrders->applyOrderReturn(rtn, info);
                });
    if (on("live/followFills")) {
        mOrders->query()->setStampLabel(addToolLabel(mOrders));
        mPositions->query()->setStampLabel(addToolLabel(mPositions));
        mTrades->query()->setStampLabel(addToolLabel(mTrades));
    }
    if (on("live/codeNames")) {
        auto names = [this](const QString& code) { return nameOf(code); };
        new CodeNameTips(mOrders->tableWidget(), ORDER_CODE_COLUMN, names);
        new CodeNameTips(mTrades->tableWidget(), TRADE_CODE_COLUMN, names);
        new CodeNameTips(mPositions->tableWidget(), POSITION_CODE_COLUMN, names);
    }
    if (on("live/pnl") && mQuotes) {
        mPnl = addToolLabel(mPositions);
        mPnl->setToolTip(QStringLiteral(
            "按最新价计算所示持仓的市值、成本（持仓成本×总持仓）与浮动盈亏；无行情的代码按成本计"));
        mPnlTimer = new QTimer(this);
        connect(mPnlTimer, &QTimer::timeout, this, &LivePages::updatePnl);
        connect(mPositions->query(), &PagedQuery::finished, this, &LivePages::updatePnl);
        mPnlTimer->start(PNL_INTERVAL_MS);
    }
}

QString LivePages::nameOf(const QString& code) const {
    return mQuotes ? quoteSecurityName(mQuotes->getMarketData(code)) : QString();
}

void LivePages::refreshAfterFills() {
    // Pressed as the user would; a page never searched, or searching now, is left alone.
    const auto again = [](PagedQuery* query, QAbstractButton* button) {
        if (query->searchedOnce() && !query->searching()) button->click();
    };
    again(mPositions->query(), mPositions->searchButton());
    again(mTrades->query(), mTrades->queryButton());
}

void LivePages::updatePnl() {
    if (!mPnl) return;
    const auto* query = mPositions->query();
    const int shown = qMin(query->recordCount(), mPositions->tableWidget()->rowCount());
    QList<PositionFigures> figures;
    QHash<QString, double> last;
    for (int i = 0; i < shown; ++i) {
        const CMoruRspQryStockPositionField& r = query->record(i);
        const QString code = fieldText(r.SecurityID);
        figures.append({code, double(quint32(r.TotalQty)), double(r.PositionCost)});
        if (!last.contains(code)) last.insert(code, double(mQuotes->getMarketData(code).LastPrice));
    }
    if (figures.isEmpty()) {
        mPnl->clear();
        return;
    }
    const PnlSummary summary = positionPnl(figures, last);
    mPnl->setText(pnlLine(summary));
    // Red for gains, green for losses, as the A-share convention has it.
    mPnl->setStyleSheet(summary.profit > 0.005    ? QStringLiteral("color:#E00000;")
                        : summary.profit < -0.005 ? QStringLiteral("color:#009900;")
                                                  : QString());
}
