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

// The first and last rows the table shows now.
QPair<int, int> rowsOnScreen(const QTableWidget* table) {
    const int first = table->rowAt(0);
    const int last = table->rowAt(table->viewport()->height() - 1);
    return {first, last < 0 ? table->rowCount() - 1 : last};
}

// Every row on screen has its "下单" button, and the button opens the code its row shows.
bool everyRowOnScreenOrders(StockQuotesWidget& page) {
    QSignalSpy spy(SignalInterface::instance(), &SignalInterface::signal_clicketOrder);
    const QTableWidget* table = page.tableWidget();
    const QPair<int, int> shown = rowsOnScreen(table);
    if (shown.first < 0) return false;
    for (int r = shown.first; r <= shown.second; ++r) {
        MyPushButton* button = page.orderButton(r);
        if (!button || button->text() != QStringLiteral("下单")) return false;
        button->click();
        if (spy.size() != r - shown.first + 1 || spy.last().at(0).toString() != table->item(r, 0)->text())
            return false;
    }
    return true;
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
    void searchForACodePushedPastTheLastRowGoesToTop();
    void refreshKeepsFocusAndTheClickInProgress();
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
    for (int r = 0; r < table->rowCount(); ++r) QCOMPARE(table->item(r, 0)->text(), codeOf(100000 + r));
    QCOMPARE(table->item(4095, 1)->text(), QStringLiteral("浦发银行"));
    // Row 0 carries 10.0 and the test record's derived prices, 3 decimals each.
    const QStringList expected = {
        QStringLiteral("10.000"), QStringLiteral("9.900"), QStringLiteral("10.200"), QStringLiteral("9.700"),
        QStringLiteral("11.000"), QStringLiteral("9.000"), QStringLiteral("9.950")};
    for (int c = 2; c <= 8; ++c) QCOMPARE(table->item(0, c)->text(), expected[c - 2]);

    // Wherever the user scrolls, every row on screen has its button for its own code.
    QScrollBar* bar = table->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 4000);
    for (int value = 0;; value = qMin(bar->maximum(), value + bar->pageStep())) {
        bar->setValue(value);
        QVERIFY2(everyRowOnScreenOrders(*page), qPrintable(QStringLiteral("at row %1").arg(value)));
        if (value == bar->maximum()) break;
    }
    // So does a taller window.
    bar->setValue(1000);
    page->resize(900, 1600);
    QTRY_VERIFY(rowsOnScreen(table).second - rowsOnScreen(table).first > 40);
    QVERIFY(everyRowOnScreenOrders(*page));
}

void TestStockQuotes::insertedCodeShiftsRowsAndEveryButtonNamesItsRow() {
    feedCodes(*client, 100, 50, 2);  // even codes 000100 .. 000198
    page->setQuotesClient(client.get());
    page->slot_releaseData();
    QCOMPARE(page->tableWidget()->rowCount(), 50);
    QList<MyPushButton*> before;
    for (int r = 0; r < 50; ++r) before << page->orderButton(r);  // null for rows not yet on screen
    QVERIFY(before.first());

    feedCodes(*client, 151, 1);  // sorts between rows 25 (000150) and 26 (000152)
    page->slot_releaseData();
    QTableWidget* table = page->tableWidget();
    QCOMPARE(table->rowCount(), 51);
    QCOMPARE(table->item(26, 0)->text(), QStringLiteral("000151"));
    QCOMPARE(table->item(27, 0)->text(), QStringLiteral("000152"));

    // Buttons stay with their rows, whose new codes they now open: none is swapped under the pointer.
    for (int r = 0; r < 50; ++r) {
        if (before[r]) QCOMPARE(page->orderButton(r), before[r]);
    }
    QSignalSpy spy(SignalInterface::instance(), &SignalInterface::signal_clicketOrder);
    for (int r = 0; r < table->rowCount(); ++r) {
        table->scrollToItem(table->item(r, 0));
        QVERIFY(page->orderButton(r));
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
    // Searched at once, before Qt's own layout pass has grown the scroll range.

    page->codeEdit()->setText(codeOf(301));
    page->searchButton()->click();
    QCOMPARE(bar->value(), 300);

    page->codeEdit()->setText(QStringLiteral("999999"));
    page->searchButton()->click();
    QCOMPARE(bar->value(), 0);

    page->clearButton()->click();
    QVERIFY(page->codeEdit()->text().isEmpty());
}

void TestStockQuotes::searchForACodePushedPastTheLastRowGoesToTop() {
    feedCodes(*client, 200000, StockQuotesWidget::MAX_ROWS);
    page->setQuotesClient(client.get());
    page->slot_releaseData();
    QScrollBar* bar = page->tableWidget()->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 4000);
    page->codeEdit()->setText(codeOf(200100));
    page->searchButton()->click();
    QCOMPARE(bar->value(), 100);

    // A code that sorts first pushes the highest one off the table.
    feedCodes(*client, 199999, 1);
    page->slot_releaseData();
    QTableWidget* table = page->tableWidget();
    QCOMPARE(table->rowCount(), StockQuotesWidget::MAX_ROWS);
    QCOMPARE(table->item(0, 0)->text(), codeOf(199999));
    QCOMPARE(table->item(4095, 0)->text(), codeOf(204094));

    // The code no longer shown is like an unknown one; the others are found on their new rows.
    page->codeEdit()->setText(codeOf(204095));
    page->searchButton()->click();
    QCOMPARE(bar->value(), 0);
    page->codeEdit()->setText(codeOf(200100));
    page->searchButton()->click();
    QCOMPARE(bar->value(), 101);
}

void TestStockQuotes::refreshKeepsFocusAndTheClickInProgress() {
    feedCodes(*client, 10, 30);
    page->setQuotesClient(client.get());
    page->slot_releaseData();
    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page.get()));

    MyPushButton* button = page->orderButton(2);
    QVERIFY(button);
    QSignalSpy spy(SignalInterface::instance(), &SignalInterface::signal_clicketOrder);
    const QPoint centre = button->rect().center();
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, centre);
    QVERIFY(button->isDown());
    QCOMPARE(QApplication::focusWidget(), button);

    // While the button is held, a code that sorts first moves every code down one row.
    feedCodes(*client, 1, 1);
    page->slot_releaseData();
    QCOMPARE(QApplication::focusWidget(), button);
    QVERIFY(button->isDown());
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, centre);

    // The click completes, on the code its row shows by then.
    QCOMPARE(spy.size(), 1);
    QCOMPARE(page->tableWidget()->item(2, 0)->text(), codeOf(11));
    QCOMPARE(spy.at(0).at(0).toString(), codeOf(11));
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
