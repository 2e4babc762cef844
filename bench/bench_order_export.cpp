// The full export ("全部导出") of 25,000 orders, beside building the same text in one QString from
// cell texts made beforehand and writing it out.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "constants.h"
#include "fake_tradeapi/fake_tradeapi.h"
#include "order_bench_support.h"
#include "user/queryWindow/counter_order_texts.h"
#include "user/queryWindow/order_rows.h"
#include "user/queryWindow/ordered_widget.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/rsp_convert_config.h"

using bench::median;
using bench::millis;
using bench::order;

namespace {

constexpr int RECORDS = 25000;
constexpr int RUNS = 5;

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    currentMarket = '1';
    RspConvertConfig::instance()->setFilePath(
        QStringLiteral(MORU_SOURCE_DIR "/app/config/defaults/rsp_convert.json"));
    QTemporaryDir dir;
    QString path;
    DialogSeam::setSaveHandler([&path](const QString&, const QString&, const QString&) { return path; });
    DialogSeam::setBoxHandler([](const DialogSeam::Box&) { return QMessageBox::Ok; });

    OrderedWidget page;
    page.setTableHeader(ORDER_HEADERS.size(), ORDER_HEADERS);
    page.slot_clicked();
    const int requestId = int(fakeapi::requests().back().requestId);
    CMoruRspInfo ok;
    std::memset(&ok, 0, sizeof ok);
    std::vector<OrderCells> texts;
    OrderTexts lookups = counterOrderTexts();
    for (int n = 1; n <= RECORDS; ++n) {
        const CMoruRspQryOrderField r = order(n);
        page.slot_rspQryOrder(r, ok, requestId, n == RECORDS);
        texts.push_back(orderCells(r, lookups));
    }

    std::vector<double> exported, plain;
    for (int run = 0; run < RUNS; ++run) {
        path = dir.filePath(QStringLiteral("page.csv"));
        QElapsedTimer t;
        t.start();
        page.exportAllToCsv();
        exported.push_back(millis(t));

        // The plain way: one string from the ready cell texts, written at once.
        const QString plainPath = dir.filePath(QStringLiteral("plain.csv"));
        t.restart();
        QString text = ORDER_HEADERS.mid(1).join(QLatin1Char(',')) + QLatin1Char('\n');
        for (const OrderCells& cells : texts) {
            for (int c = 0; c < ORDER_TEXT_COLUMNS; ++c) {
                text += QLatin1Char('"');
                text += QString(cells[size_t(c)]).replace(QLatin1Char('"'), QLatin1String("\"\""));
                text += QLatin1Char('"');
                text += QLatin1Char(c == ORDER_TEXT_COLUMNS - 1 ? '\n' : ',');
            }
        }
        QFile file(plainPath);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
        file.write("\xEF\xBB\xBF", 3);
        file.write(text.toUtf8());
        file.close();
        plain.push_back(millis(t));
        if (readFile(path) != readFile(plainPath)) {
            std::fprintf(stderr, "the two files differ\n");
            return 1;
        }
    }
    std::printf("full export of %d orders, 17 cells each (median of %d), %lld bytes\n", RECORDS, RUNS,
                static_cast<long long>(QFile(path).size()));
    std::printf("  order page \"全部导出\":                %8.1f ms\n", median(exported));
    std::printf("  same text built in a QString, written: %8.1f ms\n", median(plain));
    std::printf("  ratio page/plain:                      %8.2f   (goal <= 1.50)\n",
                median(exported) / median(plain));
    return 0;
}
