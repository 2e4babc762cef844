#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "constants.h"
#include "quote_frames.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"
#include "utils/dialog_seam.h"
#include "utils/signal_interface.h"

namespace {

QString codeOf(int n) {
    return QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0'));
}

void feed(QuotesTcpClient& client, const QByteArray& bytes) {
    QCOMPARE(client.ingest(bytes.constData(), bytes.size()), qint64(bytes.size()));
}

void feedCodes(QuotesTcpClient& client, int first, int count, int step = 1) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) bytes += quoteFrame(codeOf(first + i * step).toLatin1(), "N", 1.0 + i);
    feed(client, bytes);
}

}  // namespace

class TestStockQuotes : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void emptyCacheShowsNoRowsAndSearchGoesToTop();
    void showsTheLowestCodesUpToTheRowCap();
    void insertedCodeShiftsRowsAndEveryButtonNamesItsRow();
    void searchScrollsToTheCodeAndClearEmptiesTheInput();
    void csvExportMatchesTheExpectedFile();

private:
    QTemporaryDir dir;
    std::unique_ptr<QuotesTcpClient> client;  // never started: fed directly
    std::unique_ptr<StockQuotesWidget> page;
};

void TestStockQuotes::init() {
    client = std::make_unique<QuotesTcpClient>(nullptr, dir.filePath(QStringLiteral("none.ini")));
    page = std::make_unique<StockQuotesWidget>();
    page->setTableHeader(QUOTE_HEADERS.size(), QUOTE_HEADERS);
    page->resize(900, 400);
    page->show();
}

void TestStockQuotes::cleanup() {
    page.reset();
    client.reset();
    DialogSeam::setSaveHandler({});
    DialogSeam::setBoxHandler({});
}

void TestStockQuotes::emptyCacheShowsNoRowsAndSearchGoesToTop() {
    page->slot_releaseData();  // no client yet
    QCOMPARE(page->tableWidget()->rowCount(), 0);
    page->setQuotesClient(client.get());
    page->slot_releaseData();
    QCOMPARE(page->tableWidget()->rowCount(), 0);
    page->codeEdit()->setText(QStringLiteral("600000"));
    page->searchButton()->click();
    QCOMPARE(page->tableWidget()->verticalScrollBar()->value(), 0);
}

void TestStockQuotes::showsTheLowestCodesUpToTheRowCap() {
    // Fed highest first, so the table's order can only come from the codes.
    QByteArray bytes;
    for (int i = 4999; i >= 0; --i)
        bytes +=
            quoteFrame(codeOf(100000 + i).toLatin1(), toGbk(QStringLiteral("浦发银行")), 10.0 + i / 1000.0);
    feed(*client, bytes);
    page->setQuotesClient(client.get());
    page->slot_releaseData();

    QTableWidget* table = page->tableWidget();
    QCOMPARE(table->rowCount(), StockQuotesWidget::MAX_ROWS);
    for (int r = 0; r < table->rowCount(); ++r) {
        QCOMPARE(table->item(r, 0)->text(), codeOf(100000 + r));
        QVERIFY(page->orderButton(r));
    }
    QCOMPARE(table->item(4095, 1)->text(), QStringLiteral("浦发银行"));
    // Row 0 carries 10.0 and the test record's derived prices, 3 decimals each.
    const QStringList expected = {
        QStringLiteral("10.000"), QStringLiteral("9.900"), QStringLiteral("10.200"), QStringLiteral("9.700"),
        QStringLiteral("11.000"), QStringLiteral("9.000"), QStringLiteral("9.950")};
    for (int c = 2; c <= 8; ++c) QCOMPARE(table->item(0, c)->text(), expected[c - 2]);
    QCOMPARE(page->orderButton(0)->text(), QStringLiteral("下单"));
}

void TestStockQuotes::insertedCodeShiftsRowsAndEveryButtonNamesItsRow() {
    feedCodes(*client, 100, 50, 2);  // even codes 000100 .. 000198
    page->setQuotesClient(client.get());
    page->slot_releaseData();
    QCOMPARE(page->tableWidget()->rowCount(), 50);
    QList<MyPushButton*> before;
    for (int r = 0; r < 50; ++r) before << page->orderButton(r);

    feedCodes(*client, 151, 1);  // sorts between rows 25 (000150) and 26 (000152)
    page->slot_releaseData();
    QTableWidget* table = page->tableWidget();
    QCOMPARE(table->rowCount(), 51);
    QCOMPARE(table->item(26, 0)->text(), QStringLiteral("000151"));
    QCOMPARE(table->item(27, 0)->text(), QStringLiteral("000152"));

    // Rows above the insertion keep their buttons; the rows whose code changed got new ones.
    for (int r = 0; r <= 25; ++r) QCOMPARE(page->orderButton(r), before[r]);
    for (int r = 26; r < 50; ++r) QVERIFY(page->orderButton(r) != before[r]);

    QSignalSpy spy(SignalInterface::instance(), &SignalInterface::signal_clicketOrder);
    for (int r = 0; r < table->rowCount(); ++r) {
        page->orderButton(r)->click();
        QCOMPARE(spy.size(), r + 1);
        QCOMPARE(spy.last().at(0).toString(), table->item(r, 0)->text());
    }

    // A refresh with nothing new creates no buttons.
    MyPushButton* last = page->orderButton(50);
    page->slot_releaseData();
    QCOMPARE(page->orderButton(50), last);
}

void TestStockQuotes::searchScrollsToTheCodeAndClearEmptiesTheInput() {
    feedCodes(*client, 1, 500);
    page->setQuotesClient(client.get());
    page->slot_releaseData();
    QScrollBar* bar = page->tableWidget()->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 300);  // the range follows the rows once layout has run

    page->codeEdit()->setText(codeOf(301));
    page->searchButton()->click();
    QCOMPARE(bar->value(), 300);

    page->codeEdit()->setText(QStringLiteral("999999"));
    page->searchButton()->click();
    QCOMPARE(bar->value(), 0);

    page->clearButton()->click();
    QVERIFY(page->codeEdit()->text().isEmpty());
}

void TestStockQuotes::csvExportMatchesTheExpectedFile() {
    feed(*client, quoteFrame(makeQuoteRecord("600000", toGbk(QStringLiteral("浦发银行")), 10.5)) +
                      quoteFrame(makeQuoteRecord("000001", "Say \"A\", B", 0.1234)));
    page->setQuotesClient(client.get());
    page->slot_releaseData();

    const QString path = dir.filePath(QStringLiteral("quotes.csv"));
    DialogSeam::setSaveHandler([&](const QString&, const QString&, const QString&) { return path; });
    QStringList boxes;
    DialogSeam::setBoxHandler([&](const DialogSeam::Box& box) {
        boxes << box.title + QLatin1Char('/') + box.text;
        return QMessageBox::Ok;
    });
    page->exportToCsv();
    QCOMPARE(boxes, QStringList{QStringLiteral("成功/文件写入成功")});

    QFile written(path);
    QFile expected(QStringLiteral(MORU_SOURCE_DIR "/tests/data/stock_quotes_export.csv"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    QByteArray want = expected.readAll();
#ifdef Q_OS_WIN
    want.replace("\n", "\r\n");
#endif
    QCOMPARE(written.readAll(), want);
}

QTEST_MAIN(TestStockQuotes)
#include "test_stock_quotes.moc"
