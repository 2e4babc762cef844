// 25,000 order records from the hub (emitted on a thread of their own, as the trading library's
// callbacks do) until the order page shows its first 10,000 rows, beside a bare QTableWidget fill of
// the same 10,000 x 18 cells. Both write the page's log line per row through the program's log handler.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_header_view.h"
#include "constants.h"
#include "fake_tradeapi/fake_tradeapi.h"
#include "log_handler.h"
#include "order_bench_support.h"
#include "user/queryWindow/counter_order_texts.h"
#include "user/queryWindow/order_rows.h"
#include "user/queryWindow/ordered_widget.h"
#include "utils/api_state.h"
#include "utils/rsp_convert_config.h"
#include "utils/signal_interface.h"

using bench::median;
using bench::millis;
using bench::order;

namespace {

constexpr int RECORDS = 25000;
constexpr int SHOWN = OrderedWidget::BLOCK_ROWS;
constexpr int RUNS = 3;

// One search answered by the records, from the hub to the first block shown and painted. The records
// are emitted while the page works, or (queuedBefore) all before the clock starts, which leaves out
// the two threads' contention for the allocator.
double pageRun(const std::vector<CMoruRspQryOrderField>& records, bool queuedBefore, double* allRecordsMs) {
    OrderedWidget page;
    auto* header = new MyHeaderView(Qt::Horizontal, page.tableWidget());
    page.tableWidget()->setHorizontalHeader(header);
    page.setTableHeader(ORDER_HEADERS.size(), ORDER_HEADERS);
    page.resize(1200, 600);
    page.show();
    QApplication::processEvents();
    page.slot_clicked();
    const int requestId = int(fakeapi::requests().back().requestId);

    CMoruRspInfo ok;
    std::memset(&ok, 0, sizeof ok);
    QElapsedTimer t;
    t.start();
    auto emitAll = [&] {
        for (int i = 0; i < RECORDS; ++i)
            emit SignalInterface::instance()->signal_rspQryOrder(records[size_t(i)], ok, requestId,
                                                                 i == RECORDS - 1);
    };
    if (queuedBefore) {
        std::thread(emitAll).join();
        t.restart();
    }
    std::thread library([&] {
        if (!queuedBefore) emitAll();
    });
    while (page.tableWidget()->rowCount() < SHOWN) QApplication::processEvents();
    page.tableWidget()->viewport()->repaint();
    const double shown = millis(t);
    while (page.recordCount() < RECORDS) QApplication::processEvents();
    *allRecordsMs = millis(t);
    library.join();
    return shown;
}

// The same cells put into a bare table the plain way, texts made beforehand.
double bareRun(const std::vector<std::array<QString, 18>>& texts, bool logLine) {
    QTableWidget table;
    table.setColumnCount(18);
    table.resize(1200, 600);
    table.show();
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    table.setRowCount(SHOWN);
    for (int r = 0; r < SHOWN; ++r) {
        if (logLine) qInfo() << "mpRspFieldMap.value(i).OrderSysID" << quint32(r + 1);
        for (int c = 0; c < 18; ++c) {
            if (c == 0 && texts[size_t(r)][0].isNull()) continue;
            table.setItem(r, c, new QTableWidgetItem(texts[size_t(r)][size_t(c)]));
        }
    }
    table.viewport()->repaint();
    return millis(t);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());  // the log goes to log/ here
    qInstallMessageHandler(logMessageHandler);
    currentMarket = '1';
    RspConvertConfig::instance()->setFilePath(
        QStringLiteral(MORU_SOURCE_DIR "/app/config/defaults/rsp_convert.json"));
    SignalInterface::instance();

    std::vector<CMoruRspQryOrderField> records;
    std::vector<std::array<QString, 18>> texts;
    OrderTexts lookups = counterOrderTexts();
    for (int n = 1; n <= RECORDS; ++n) {
        records.push_back(order(n));
        if (n > SHOWN) continue;
        const OrderCells cells = orderCells(records.back(), lookups);
        std::array<QString, 18> row;
        row[0] = QStringLiteral("");  // the tick box item
        std::copy(cells.begin(), cells.end(), row.begin() + 1);
        texts.push_back(row);
    }

    std::vector<double> page, all, queued, bare, bareLogged;
    for (int run = 0; run < RUNS; ++run) {
        double allMs = 0;
        page.push_back(pageRun(records, false, &allMs));
        all.push_back(allMs);
        queued.push_back(pageRun(records, true, &allMs));
        bareLogged.push_back(bareRun(texts, true));
        bare.push_back(bareRun(texts, false));
        fakeapi::reset();
    }
    std::printf("order table: %d records through the hub, first %d rows x 18 cells shown (median of %d)\n",
                RECORDS, SHOWN, RUNS);
    std::printf("  order page, first block shown:          %8.1f ms\n", median(page));
    std::printf("  order page, all records received:       %8.1f ms\n", median(all));
    std::printf("  order page, records queued beforehand:  %8.1f ms\n", median(queued));
    std::printf("  bare QTableWidget fill + log line/row:  %8.1f ms\n", median(bareLogged));
    std::printf("  bare QTableWidget fill, no log:         %8.1f ms\n", median(bare));
    std::printf("  ratio page/bare (log line in both):     %8.2f   (goal <= 1.50)\n",
                median(page) / median(bareLogged));
    std::printf("  ratio page/bare without log:            %8.2f   (goal <= 2.00)\n",
                median(page) / median(bare));
    return 0;
}
