// One refresh of the 4,096-row quote table, beside a bare QTableWidget fill of the same cells.
// Every steady refresh sees a new price in every row, as after a busy second of trading.

#include <QApplication>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTextCodec>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "constants.h"
#include "user/queryWindow/stockQuotes/quote_frame_reader.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"

namespace {

constexpr int ROWS = 4096;
constexpr int RUNS = 10;
constexpr double FIRST_REFRESH_GOAL_MS = 150.0;
constexpr double STEADY_RATIO_GOAL = 1.2;

double millis(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QuotesTcpClient client(nullptr, QStringLiteral("/nonexistent/moru_bot_config.ini"));
    const QByteArray name = QTextCodec::codecForName("GBK")->fromUnicode(QStringLiteral("浦发银行"));
    // Every price of every row moves by `tick` thousandths between two feeds.
    const auto feed = [&](int tick) {
        QByteArray stream;
        for (int i = 0; i < ROWS; ++i) {
            ClientSecurityMarketDataLevel1Header header{QUOTE_MSG_TYPE_LEVEL1};
            ClientSecurityMarketDataLevel1 r;
            std::memset(&r, 0, sizeof r);
            const double moved = tick * 0.001;
            r.LastPrice = r.OpenPrice = r.HighPrice = r.LowPrice = 10.0 + i * 0.001 + moved;
            r.UpperLimitPrice = 11.0 + moved;
            r.LowerLimitPrice = 9.0 + moved;
            r.PreClosePrice = 10.0 + moved;
            const QByteArray code = QByteArray::number(600000 + i);
            std::memcpy(r.SecurityID, code.constData(), size_t(code.size()));
            std::memcpy(r.SecurityName, name.constData(), size_t(name.size()));
            stream.append(reinterpret_cast<const char*>(&header), sizeof header);
            stream.append(reinterpret_cast<const char*>(&r), sizeof r);
        }
        client.ingest(stream.constData(), stream.size());
    };
    feed(0);

    StockQuotesWidget page;
    page.setTableHeader(QUOTE_HEADERS.size(), QUOTE_HEADERS);
    page.resize(1200, 600);
    page.show();
    QApplication::processEvents();
    page.setQuotesClient(&client);

    QElapsedTimer t;
    t.start();
    page.slot_releaseData();  // first refresh: every row is new
    const double first = millis(t);

    std::vector<double> steady;
    for (int i = 0; i < RUNS; ++i) {
        feed(i + 1);
        QApplication::processEvents();
        t.restart();
        page.slot_releaseData();
        steady.push_back(millis(t));
    }

    QTableWidget bare(ROWS, 10);
    bare.resize(1200, 600);
    bare.show();
    std::vector<double> plain;
    for (int i = 0; i < RUNS; ++i) {
        QApplication::processEvents();
        t.restart();
        for (int r = 0; r < ROWS; ++r) {
            for (int c = 0; c < 9; ++c)
                bare.setItem(r, c, new QTableWidgetItem(QString::number(10.0 + r * 0.001 + i, 'f', 3)));
        }
        plain.push_back(millis(t));
    }

    const double ratio = median(steady) / median(plain);
    const auto verdict = [](bool met) { return met ? "met" : "NOT met"; };
    std::printf("quote table: %d rows x 9 text cells\n", ROWS);
    std::printf("  first refresh (all rows new):    %8.1f ms   goal <= %.0f ms: %s\n", first,
                FIRST_REFRESH_GOAL_MS, verdict(first <= FIRST_REFRESH_GOAL_MS));
    std::printf("  refresh, median of %d:           %8.1f ms\n", RUNS, median(steady));
    std::printf("  bare QTableWidget fill, median:  %8.1f ms\n", median(plain));
    std::printf("  ratio refresh/bare:              %8.2f      goal <= %.1f: %s\n", ratio, STEADY_RATIO_GOAL,
                verdict(ratio <= STEADY_RATIO_GOAL));
    return 0;
}
