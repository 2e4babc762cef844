// The workbook exports read back with a reader that is not ours (python3 with openpyxl): every cell's
// text and type on the query pages and the fund record tables, the context menu, the failures.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QProcess>
#include <QtTest>

#include "basicControl/base_table_widget.h"
#include "constants.h"
#include "query_page_support.h"
#include "user/queryWindow/depositandwithdrawal_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_table_widget.h"
#include "user/queryWindow/ordered_widget.h"
#include "user/queryWindow/position_widget.h"
#include "user/queryWindow/transaction_widget.h"
#include "user/queryWindow/xlsx_export.h"
#include "utils/api_state.h"
#include "utils/rsp_convert_config.h"

using namespace qps;

namespace {

// Prints the first sheet as JSON: every row's texts as the sheet shows them (a number through its
// format's decimals), each data row's cell types ('s' text formatted "@", 'n' number, ' ' none),
// whether the header is bold, the frozen cell and the column widths.
const char* const READER = R"(
import json, sys
import openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
def shown(c):
    if c.value is None: return "", " "
    if c.data_type == "s": return c.value, "s" if c.number_format == "@" else "?"
    places = len(c.number_format.split(".")[1]) if "." in c.number_format else 0
    return "%.*f" % (places, c.value), "n" if c.data_type == "n" else "?"
rows = [[shown(c) for c in row] for row in ws.iter_rows()]
json.dump({"sheet": ws.title, "freeze": ws.freeze_panes, "bold": all(c.font.b for c in ws[1]),
           "widths": [d.width for d in ws.column_dimensions.values()],
           "texts": [[t for t, _ in row] for row in rows],
           "types": ["".join(k for _, k in row) for row in rows[1:]]}, sys.stdout)
)";

QString pythonWithOpenpyxl() {
    for (const QString& python : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess probe;
        probe.start(python, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
        if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0)
            return python;
    }
    return QString();
}

QJsonObject readBook(const QString& python, const QString& path) {
    QProcess reader;
    reader.start(python, {QStringLiteral("-c"), QString::fromLatin1(READER), path});
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0) qWarning() << reader.readAllStandardError();
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

QList<QStringList> textsOf(const QJsonObject& book) {
    QList<QStringList> out;
    for (const QJsonValue& row : book.value(QStringLiteral("texts")).toArray())
        out << row.toVariant().toStringList();
    return out;
}

// One sheet named `sheet` under a bold frozen header of `titles`, showing `rows`; a cell of a column
// marked 'n' in `types` is a number, any other cell text; an empty cell is no cell.
void checkBook(const QJsonObject& book, const QString& sheet, const QStringList& titles,
               const QList<QStringList>& rows, const QString& types) {
    QCOMPARE(book.value(QStringLiteral("sheet")).toString(), sheet);
    QCOMPARE(book.value(QStringLiteral("freeze")).toString(), QStringLiteral("A2"));
    QVERIFY(book.value(QStringLiteral("bold")).toBool());
    QCOMPARE(textsOf(book), QList<QStringList>{titles} + rows);
    QStringList expected;
    for (const QStringList& row : rows) {
        QString line = types;
        for (int c = 0; c < row.size(); ++c)
            if (row[c].isEmpty()) line[c] = QLatin1Char(' ');
        expected << line;
    }
    QCOMPARE(book.value(QStringLiteral("types")).toVariant().toStringList(), expected);
}

QList<QStringList> tableRows(const QTableWidget& table, int first, int end) {
    QList<QStringList> rows;
    for (int r = 0; r < table.rowCount(); ++r) rows << rowTexts(table, r).mid(first, end - first);
    return rows;
}

// Replaces the whole field.
template <std::size_t N>
void putText(char (&field)[N], const QString& text) {
    std::memset(field, 0, N);
    setText(field, text.toUtf8());
}

constexpr int SHOWN = 0;  // "导出Excel"
constexpr int ALL = 1;    // "全部导出Excel"

const QString NO_READER =
    QStringLiteral("python3 with openpyxl (Debian's python3-openpyxl) is not installed");

}  // namespace

class TestXlsxExport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        python = pythonWithOpenpyxl();
        currentMarket = '1';
        RspConvertConfig::instance()->setFilePath(
            QStringLiteral(MORU_SOURCE_DIR "/app/config/defaults/rsp_convert.json"));
    }
    void init() {
        fakeapi::reset();
        dialogs = std::make_unique<Dialogs>();
        dialogs->savePath = dir.filePath(QStringLiteral("export.xlsx"));
        QFile::remove(dialogs->savePath);
    }
    void cleanup() {
        dialogs.reset();
        apiDataReady = false;
    }

    void numbersOnlyWhereTheyReadBackTheSame_data();
    void numbersOnlyWhereTheyReadBackTheSame();
    void cellsKeepWhatTheTableShows();
    void orderPageBothExports();
    void tradePageAllRecords();
    void positionPageShownAndAllRecords();
    void fundRecordTables();
    void contextMenuOnlyOnPagesWithKinds();
    void cancelledUnopenableOrFailing();
    void manyRowsAndAClosedPage();

private:
    // Runs a menu item of the page, waits for the closing box and reads the workbook back.
    QJsonObject exportVia(QueryWindow& page, int item) {
        dialogs->boxes.clear();
        page.exportMenu()->actions().value(item)->trigger();
        if (!deliver([this] { return !dialogs->boxes.isEmpty(); })) return {};
        if (dialogs->texts() != QStringList{QStringLiteral("成功/文件写入成功")}) return {};
        return readBook(python, dialogs->savePath);
    }

    QString python;
    QTemporaryDir dir;
    std::unique_ptr<Dialogs> dialogs;
};

void TestXlsxExport::numbersOnlyWhereTheyReadBackTheSame_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::newRow("price") << "10.123457" << 6 << true << 10.123457;
    QTest::newRow("quantity") << "900000" << 0 << true << 900000.0;
    QTest::newRow("zero") << "0.000" << 3 << true << 0.0;
    QTest::newRow("negative amount") << "-12.50" << 2 << true << -12.5;
    QTest::newRow("fifteen digits") << "1234567890.12345" << 5 << true << 1234567890.12345;
    for (const char* text :
         {"9007199254740993", "-0.00", "000001", "1.5", "1.", "", "未知", "1e5", "１２３", " 12"})
        QTest::newRow(text) << QString::fromUtf8(text) << (QByteArray(text) == "-0.00" ? 2 : 0) << false
                            << 0.0;
}

void TestXlsxExport::numbersOnlyWhereTheyReadBackTheSame() {
    QFETCH(QString, text);
    QFETCH(int, decimals);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    double read = 0;
    QCOMPARE(XlsxExport::numberOf(text, decimals, &read), isNumber);
    if (isNumber) QCOMPARE(read, value);
}

void TestXlsxExport::cellsKeepWhatTheTableShows() {
    if (python.isEmpty()) QSKIP(qPrintable(NO_READER));
    const QString link = QStringLiteral("=HYPERLINK(\"http://127.0.0.1/\",\"点此\")");
    XlsxExport::Sheet sheet{
        QStringLiteral("资金调拨记录"),
        {QStringLiteral("代码"), QStringLiteral("数量"), QStringLiteral("金额"), QStringLiteral("错误信息")},
        {XlsxExport::text(), XlsxExport::number(0), XlsxExport::number(2)},  // one short
        {{"000001", "100", "-12.50", "=1+1"},
         {QStringLiteral("０００１２３"), "9007199254740993", "-0.00", link},
         {" 60 ", "", QStringLiteral("未知"), QStringLiteral("a\"b,c\n委托")}}};
    const QString path = dir.filePath(QStringLiteral("direct.xlsx"));
    QVERIFY(XlsxExport::write(path, sheet));
    const QJsonObject book = readBook(python, path);
    QCOMPARE(textsOf(book), (QList<QStringList>{sheet.titles, sheet.rows[0], sheet.rows[1], sheet.rows[2]}));
    // What a number column cannot show as it stands stays text there.
    QCOMPARE(book.value(QStringLiteral("types")).toVariant().toStringList(),
             (QStringList{QStringLiteral("snns"), QStringLiteral("ssss"), QStringLiteral("s ss")}));
    // Sized to the contents: the longest text fits, a column of short ones stays narrower.
    const QJsonArray widths = book.value(QStringLiteral("widths")).toArray();
    QVERIFY(widths.at(3).toDouble() >= link.size());
    QVERIFY(widths.at(1).toDouble() >= 16);
    QVERIFY(widths.at(0).toDouble() < widths.at(3).toDouble());
}

void TestXlsxExport::orderPageBothExports() {
    if (python.isEmpty()) QSKIP(qPrintable(NO_READER));
    apiDataReady = true;  // error texts come from the counter
    fakeapi::setErrMsg(2002, "=HYPERLINK(\"http://127.0.0.1/\",\"撤单\")");
    OrderedWidget page;
    page.setTableHeader(ORDER_HEADERS.size(), ORDER_HEADERS);
    page.slot_clicked();
    const int requestId = int(fakeapi::requests().back().requestId);
    auto order = zeroed<CMoruRspQryOrderField>();
    putText(order.OrderNo, "0000000001");
    order.NodeID = 6;
    putText(order.SecurityID, "000001");
    order.SecurityType = 1;
    order.Side = '1';
    order.LimitPrice = 10.123457;
    order.OrderQty = order.TradeQty = 1000;
    order.OrderType = '2';
    order.OrderStatus = '8';
    order.MsgKind = 0x65;
    order.TradeAmount = 10123.457;
    putText(order.RecvTime, "101041286");
    page.slot_rspQryOrder(order, rspInfo(), requestId, false);
    putText(order.OrderNo, QStringLiteral("１２３"));  // full-width digits
    order.OrderStatus = '9';
    order.TradeQty = 0;
    order.LeavesQty = 1000;
    order.ErrorCode = 2002;
    putText(order.TenderOfferorCode, "706001");
    page.slot_rspQryOrder(order, rspInfo(), requestId, true);

    const QList<QStringList> rows = tableRows(*page.tableWidget(), 1, ORDER_HEADERS.size());
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].mid(0, 3), (QStringList{"0000000001", "6", "000001"}));
    QCOMPARE(rows[1][0], QStringLiteral("１２３"));
    QCOMPARE(rows[0][15], QStringLiteral("10:10:41.286"));
    QVERIFY(rows[1][14].startsWith(QLatin1Char('=')));
    for (const int item : {SHOWN, ALL}) {
        checkBook(exportVia(page, item), ORDER_QUERY_TAB, ORDER_HEADERS.mid(1), rows, "ssssnnssssnnnssss");
        if (QTest::currentTestFailed()) return;
    }
}

void TestXlsxExport::tradePageAllRecords() {
    if (python.isEmpty()) QSKIP(qPrintable(NO_READER));
    TransactionWidget page;
    page.setTableHeader(TRADE_HEADERS.size(), TRADE_HEADERS);
    page.slot_click();
    const int requestId = int(fakeapi::requests().back().requestId);
    auto trade = zeroed<CMoruRspQryTradeField>();
    putText(trade.OrderNo, "0000000001");
    putText(trade.SecurityID, "000001");
    trade.TradePrice = 4.1;
    trade.Side = '4';
    trade.TradeQty = 1000000;
    trade.LeavesQty = 5;
    putText(trade.TradeTime, "101041286");
    trade.OrderType = '2';
    trade.ComponentCount = -1;
    putText(trade.ComponentSecurityID, "000002");
    trade.ComponentSource = '2';
    trade.CashReplaceAmount = -12.5;
    page.slot_rspQryTrade(trade, rspInfo(), requestId, false);
    putText(trade.OrderNo, QStringLiteral("０００"));
    trade.ComponentSource = 'X';
    trade.CashReplaceAmount = 1234567.125;
    page.slot_rspQryTrade(trade, rspInfo(), requestId, true);

    const QList<QStringList> rows = tableRows(*page.tableWidget(), 0, TRADE_HEADERS.size());
    QCOMPARE(rows[0][13], QStringLiteral("-12.500000"));
    checkBook(exportVia(page, ALL), TRADE_QUERY_TAB, TRADE_HEADERS, rows, "ssnsnnssnssnnn");
}

void TestXlsxExport::positionPageShownAndAllRecords() {
    if (python.isEmpty()) QSKIP(qPrintable(NO_READER));
    PositionWidget page;
    page.setTableHeader(POSITION_HEADERS.size(), POSITION_HEADERS);
    page.slot_check();
    const int requestId = int(fakeapi::requests().back().requestId);
    const int count = 25;  // 20 rows shown until "更多"
    for (int n = 0; n < count; ++n) {
        auto p = zeroed<CMoruRspQryStockPositionField>();
        putText(p.SecurityID, QString::number(n).rightJustified(6, QLatin1Char('0')));
        p.TodayBuyQty = quint32(n * 100);
        p.TotalQty = 4294967295u;
        p.PositionCost = n % 2 ? -1234.5 : 0.000001 * n;
        p.PurchasableQty = -n;
        p.RedeemableQty = 999999999999999;
        page.slot_rspQryPosition(p, rspInfo(), requestId, n == count - 1);
    }
    const QStringList titles = POSITION_HEADERS.mid(0, POSITION_HEADERS.size() - 1);
    const QList<QStringList> shown = tableRows(*page.tableWidget(), 0, titles.size());
    QCOMPARE(shown.size(), 20);
    QCOMPARE(shown[1].mid(0, 1) + shown[1].mid(6, 1), (QStringList{"000001", "-1234.500000"}));
    checkBook(exportVia(page, SHOWN), POSITION_QUERY_TAB, titles, shown, "snnnnnnnn");
    if (QTest::currentTestFailed()) return;

    const QJsonObject all = exportVia(page, ALL);
    page.slot_clickMore();
    QCOMPARE(page.tableWidget()->rowCount(), count);
    checkBook(all, POSITION_QUERY_TAB, titles, tableRows(*page.tableWidget(), 0, titles.size()), "snnnnnnnn");
}

void TestXlsxExport::fundRecordTables() {
    if (python.isEmpty()) QSKIP(qPrintable(NO_READER));
    DepositAndWithdrawalWidget deposits;
    deposits.setTableHeader(IN_OUT_FUND_HEADERS.size(), IN_OUT_FUND_HEADERS);
    deposits.slot_clicked();
    int requestId = int(fakeapi::requests().back().requestId);
    auto record = zeroed<CMoruRspQryCapTransferRecordField>();
    putText(record.OrgCode, "0001");
    record.Amount = -12.5;
    record.TransferDirection = '2';
    putText(record.OperTime, "10:10:41");
    deposits.slot_rspQryInOutFundRecord(record, rspInfo(), requestId, false);
    record.Amount = 1000000.25;
    record.TransferDirection = '1';
    deposits.slot_rspQryInOutFundRecord(record, rspInfo(), requestId, true);
    QList<QStringList> rows = tableRows(*deposits.tableWidget(), 0, IN_OUT_FUND_HEADERS.size());
    QCOMPARE(rows[0][1], QStringLiteral("-12.50"));
    checkBook(exportVia(deposits, ALL), deposits.windowName(), IN_OUT_FUND_HEADERS, rows, "snss");
    if (QTest::currentTestFailed()) return;

    FundTransferTableWidget transfers;
    transfers.setTableHeader(FUND_TRANSFER_HEADERS.size(), FUND_TRANSFER_HEADERS);
    transfers.slot_clicked();
    requestId = int(fakeapi::requests().back().requestId);
    auto transfer = zeroed<CMoruRspQryBTCapTransferManagerField>();
    putText(transfer.OrgCode, "0001");
    transfer.Amount = 5000;
    transfer.TransferDirection = '1';
    putText(transfer.OperTime, "093000007");
    transfer.TransferStatus = '6';
    transfers.slot_rspQryBTFundTransferRecord(transfer, rspInfo(), requestId, true);
    rows = tableRows(*transfers.tableWidget(), 0, FUND_TRANSFER_HEADERS.size());
    QCOMPARE(rows[0][6], QStringLiteral("09:30:00.007"));
    checkBook(exportVia(transfers, SHOWN), transfers.windowName(), FUND_TRANSFER_HEADERS, rows, "snsssss");
}

void TestXlsxExport::contextMenuOnlyOnPagesWithKinds() {
    TransactionWidget trades;
    trades.show();
    QStringList items;
    for (const QAction* action : trades.exportMenu()->actions()) items << action->text();
    QCOMPARE(items, (QStringList{QStringLiteral("导出Excel"), QStringLiteral("全部导出Excel")}));
    emit trades.tableWidget()->customContextMenuRequested(QPoint(10, 10));
    QTRY_VERIFY(trades.exportMenu()->isVisible());
    trades.exportMenu()->hide();

    // The quote list has no workbook export.
    QueryWindow quotes(QStringLiteral("股票行情"), nullptr);
    quotes.setTableHeader(QUOTE_HEADERS.size(), QUOTE_HEADERS);
    quotes.show();
    emit quotes.tableWidget()->customContextMenuRequested(QPoint(10, 10));
    QTest::qWait(20);
    QVERIFY(!quotes.exportMenu()->isVisible());
    quotes.exportToXlsx();
    QVERIFY(dialogs->boxes.isEmpty());
    QVERIFY(!QFile::exists(dialogs->savePath));
}

void TestXlsxExport::cancelledUnopenableOrFailing() {
    PositionWidget page;
    page.setTableHeader(POSITION_HEADERS.size(), POSITION_HEADERS);
    QStringList dialogArguments;
    DialogSeam::setSaveHandler([&](const QString& caption, const QString& start, const QString& filter) {
        dialogArguments = QStringList{caption, start, filter};
        return dialogs->savePath;
    });
    auto exportShown = [&](const QString& path) {
        dialogs->boxes.clear();
        dialogs->savePath = path;
        page.exportToXlsx();
        deliver([this] { return !dialogs->boxes.isEmpty(); });
        return dialogs->texts();
    };

    dialogs->savePath.clear();  // cancelled
    page.exportToXlsx();
    QVERIFY(dialogs->boxes.isEmpty());
    QCOMPARE(dialogArguments,
             (QStringList{QStringLiteral("Save Excel"), QString(), QStringLiteral("Excel Files (*.xlsx)")}));
    QCOMPARE(exportShown(dir.filePath(QStringLiteral("no/such/folder/export.xlsx"))),
             QStringList{QStringLiteral("错误/文件打开失败")});
    QCOMPARE(dialogs->boxes[0].kind, DialogSeam::Kind::Critical);
    // A full disk: the user is told the write failed, not that it succeeded.
    const QString full = dir.filePath(QStringLiteral("full.xlsx"));
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), full));
    QCOMPARE(exportShown(full), QStringList{QStringLiteral("错误/文件写入失败")});
    QCOMPARE(dialogs->boxes[0].kind, DialogSeam::Kind::Critical);
    // A name typed without the suffix gets it.
    QCOMPARE(exportShown(dir.filePath(QStringLiteral("positions"))),
             QStringList{QStringLiteral("成功/文件写入成功")});
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("positions.xlsx"))));
}

// Rows reach the writing thread in several handovers; a page closed before its workbook is written
// (the session ended) still leaves the whole file, without a box.
void TestXlsxExport::manyRowsAndAClosedPage() {
    if (python.isEmpty()) QSKIP(qPrintable(NO_READER));
    auto page = std::make_unique<OrderedWidget>();
    page->setTableHeader(ORDER_HEADERS.size(), ORDER_HEADERS);
    page->slot_clicked();
    const int requestId = int(fakeapi::requests().back().requestId);
    auto order = zeroed<CMoruRspQryOrderField>();
    order.NodeID = 6;
    order.SecurityType = 1;
    order.OrderType = '2';
    order.MsgKind = 0x65;
    putText(order.SecurityID, "600000");
    putText(order.RecvTime, "093000123");
    const int count = 1500;
    // The page logs each record.
    const QtMessageHandler log =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    for (int n = 1; n <= count; ++n) {
        order.OrderSysID = quint32(n);
        putText(order.OrderNo, QString::number(n).rightJustified(10, QLatin1Char('0')));
        order.Side = n % 3 ? '1' : '2';
        order.LimitPrice = 10 + n % 100 / 100.0;
        order.OrderQty = quint32(100 * (1 + n % 10));
        order.OrderStatus = n % 5 ? '8' : '6';
        order.TradeQty = order.OrderStatus == '8' ? order.OrderQty : 0;
        order.LeavesQty = order.OrderQty - order.TradeQty;
        page->slot_rspQryOrder(order, rspInfo(), requestId, n == count);
    }
    qInstallMessageHandler(log);
    const QList<QStringList> rows = tableRows(*page->tableWidget(), 1, ORDER_HEADERS.size());
    QCOMPARE(rows.size(), count);
    checkBook(exportVia(*page, ALL), ORDER_QUERY_TAB, ORDER_HEADERS.mid(1), rows, "ssssnnssssnnnssss");
    if (QTest::currentTestFailed()) return;

    dialogs->boxes.clear();
    dialogs->savePath = dir.filePath(QStringLiteral("closed.xlsx"));
    page->exportMenu()->actions().value(ALL)->trigger();
    page.reset();
    QCoreApplication::processEvents();
    QVERIFY(dialogs->boxes.isEmpty());
    checkBook(readBook(python, dialogs->savePath), ORDER_QUERY_TAB, ORDER_HEADERS.mid(1), rows,
              "ssssnnssssnnnssss");
}

QTEST_MAIN(TestXlsxExport)
#include "test_xlsx_export.moc"
