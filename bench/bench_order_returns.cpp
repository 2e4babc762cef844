// 5,000 order returns (a second's worth at a busy counter) for orders on a 25,000-record order page:
// the page's work per return, from the record's lookup to its row's cells, beside a plain
// QTableWidget update of the same three cells (status, traded, left) of a row.

#include <QApplication>
#include <QElapsedTimer>
#include <QTableWidget>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "basicControl/base_table_widget.h"
#include "constants.h"
#include "fake_tradeapi/fake_tradeapi.h"
#include "order_bench_support.h"
#include "user/queryWindow/ordered_widget.h"
#include "utils/api_state.h"
#include "utils/rsp_convert_config.h"

using bench::median;
using bench::order;

namespace {

constexpr int RECORDS = 25000;
constexpr int RETURNS = 5000;

// A resting order: each return fills a little more of it.
CMoruRspQryOrderField resting(int n) {
    CMoruRspQryOrderField r = order(n);
    r.OrderStatus = '2';
    r.OrderQty = 1000000;
    r.TradeQty = 0;
    r.LeavesQty = r.OrderQty;
    r.TradeAmount = 0;
    return r;
}

CMoruRtnOrderField fillOf(const CMoruRspQryOrderField& r, quint32 traded) {
    CMoruRtnOrderField rtn;
    std::memset(&rtn, 0, sizeof rtn);
    rtn.OrderSysID = r.OrderSysID;
    std::memcpy(rtn.SecurityID, r.SecurityID, sizeof rtn.SecurityID);
    rtn.Side = r.Side;
    rtn.LimitPrice = r.LimitPrice;
    rtn.OrderQty = r.OrderQty;
    rtn.TradeQty = traded;
    rtn.LeavesQty = r.OrderQty - traded;
    rtn.OrderStatus = '7';
    return rtn;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    currentMarket = '1';
    RspConvertConfig::instance()->setFilePath(
        QStringLiteral(MORU_SOURCE_DIR "/app/config/defaults/rsp_convert.json"));
    apiDataReady = true;

    OrderedWidget page;
    page.setTableHeader(ORDER_HEADERS.size(), ORDER_HEADERS);
    page.resize(1200, 600);
    page.show();
    page.slot_clicked();
    const int requestId = int(fakeapi::requests().back().requestId);
    CMoruRspInfo ok;
    std::memset(&ok, 0, sizeof ok);
    std::vector<CMoruRspQryOrderField> records;
    for (int i = 0; i < RECORDS; ++i) records.push_back(resting(i + 1));
    for (int i = 0; i < RECORDS; ++i)
        page.slot_rspQryOrder(records[size_t(i)], ok, requestId, i == RECORDS - 1);
    QApplication::processEvents();

    // Returns for orders across the page, shown rows and those past the first block alike.
    std::mt19937 pick(7);
    std::vector<int> targets(RETURNS);
    for (int& t : targets) t = int(pick() % RECORDS);
    std::vector<quint32> traded(RECORDS, 0);
    std::vector<double> pageUs;
    std::vector<double> shownUs;  // returns whose row is on the page
    QElapsedTimer clock;
    for (int t : targets) {
        const CMoruRtnOrderField rtn = fillOf(records[size_t(t)], traded[size_t(t)] += 100);
        clock.start();
        page.applyOrderReturn(rtn, ok);
        const double us = clock.nsecsElapsed() / 1e3;
        pageUs.push_back(us);
        if (t < OrderedWidget::BLOCK_ROWS) shownUs.push_back(us);
    }
    QApplication::processEvents();

    // The plain way: three cells of a row of a table the same size rewritten.
    QTableWidget plain(RECORDS, int(ORDER_HEADERS.size()));
    for (int row = 0; row < OrderedWidget::BLOCK_ROWS; ++row)
        for (int c = 0; c < plain.columnCount(); ++c)
            plain.setItem(row, c, new QTableWidgetItem(QStringLiteral("0")));
    plain.resize(1200, 600);
    plain.show();
    QApplication::processEvents();
    std::vector<double> plainUs;
    int n = 0;
    for (int t : targets) {
        const int row = t % OrderedWidget::BLOCK_ROWS;
        ++n;
        clock.start();
        plain.item(row, 8)->setText(QStringLiteral("部成"));
        plain.item(row, 12)->setText(QString::number(n));
        plain.item(row, 13)->setText(QString::number(1000000 - n));
        plainUs.push_back(clock.nsecsElapsed() / 1e3);
    }

    const double pageMedian = median(pageUs);
    const double plainMedian = median(plainUs);
    std::printf("order returns: %d fills for orders on a %d-record page (%d rows shown)\n", RETURNS, RECORDS,
                OrderedWidget::BLOCK_ROWS);
    std::printf("  order page, per return, median:         %8.2f us   (goal <= 20.00)\n", pageMedian);
    std::printf("  order page, returns of shown rows:      %8.2f us   (goal <= 20.00)\n", median(shownUs));
    std::printf("  plain QTableWidget, 3 cells, median:    %8.2f us\n", plainMedian);
    std::printf("  ratio shown rows/plain:                 %8.2f\n", median(shownUs) / plainMedian);
    std::printf("  a second's %d returns take:            %8.1f ms of the GUI thread\n", RETURNS,
                pageMedian * RETURNS / 1e3);
    return 0;
}
