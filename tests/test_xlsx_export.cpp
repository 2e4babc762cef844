// The workbook exports read back with a reader that is not ours (python3 with openpyxl): every cell's
// text and type on the order, trade and position pages, the context menu, and the failures.

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
#include "user/queryWindow/query_window.h"
#include "user/queryWindow/transaction_widget.h"
#include "user/queryWindow/xlsx_export.h"
#include "utils/api_state.h"
#include "utils/rsp_convert_config.h"

using namespace qps;

namespace {

// Dumps the first sheet as JSON: sheet names, frozen cell, column widths and every cell's value,
// type ('s' text, 'n' number), number format and boldness.
const char* const READER = R"(
import json, sys
import openpyxl
from openpyxl.utils import get_column_letter
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
rows = [[{"v": c.value, "t": c.data_type, "f": c.number_format, "b": bool(c.font.b)} for c in row]
        for row in ws.iter_rows()]
widths = [ws.column_dimensions[get_column_letter(i + 1)].width for i in range(ws.max_column)]
json.dump({"sheets": wb.sheetnames, "freeze": ws.freeze_panes, "widths": widths, "rows": rows}, sys.stdout)
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

QJsonObject readWorkbook(const QString& python, const QString& path) {
    QProcess reader;
    reader.start(python, {QStringLiteral("-c"), QString::fromLatin1(READER), path});
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0) {
        qWarning() << "reader failed:" << reader.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

int decimalsOf(const QString& text) {
    const int point = text.indexOf(QLatin1Char('.'));
    return point < 0 ? 0 : text.size() - point - 1;
}

// What the sheet shows: a text cell as it stands, a number through its format's decimals.
QString shown(const QJsonObject& cell) {
    const QJsonValue v = cell.value(QStringLiteral("v"));
    if (v.isNull()) return QString();
    if (v.isString()) return v.toString();
    return QString::number(v.toDouble(), 'f', decimalsOf(cell.value(QStringLiteral("f")).toString()));
}

// Each data row's cell types: 's' text (format "@"), 'n' a number whose format has the decimals of
// the text it shows, ' ' no cell, '?' anything else.
QStringList typesOf(const QJsonObject& book) {
    QStringList out;
    const QJsonArray rows = book.value(QStringLiteral("rows")).toArray();
    for (int r = 1; r < rows.size(); ++r) {
        QString types;
        for (const QJsonValue& value : rows.at(r).toArray()) {
            const QJsonObject cell = value.toObject();
            const QString type = cell.value(QStringLiteral("t")).toString();
            const QString format = cell.value(QStringLiteral("f")).toString();
            if (cell.value(QStringLiteral("v")).isNull())
                types += QLatin1Char(' ');
            else if (type == QLatin1String("s") && format == QLatin1String("@"))
                types += QLatin1Char('s');
            else if (type == QLatin1String("n") && decimalsOf(format) == decimalsOf(shown(cell)))
                types += QLatin1Char('n');
            else
                types += QLatin1Char('?');
        }
        out << types;
    }
    return out;
}

QList<QStringList> textsOf(const QJsonObject& book) {
    QList<QStringList> out;
    const QJsonArray rows = book.value(QStringLiteral("rows")).toArray();
    for (int r = 1; r < rows.size(); ++r) {
        QStringList texts;
        for (const QJsonValue& cell : rows.at(r).toArray()) texts << shown(cell.toObject());
        out << texts;
    }
    return out;
}

// One sheet named `sheet` whose frozen header row holds `titles` in bold.
void checkFrame(const QJsonObject& book, const QString& sheet, const QStringList& titles) {
    QCOMPARE(book.value(QStringLiteral("sheets")).toArray(), QJsonArray{sheet});
    QCOMPARE(book.value(QStringLiteral("freeze")).toString(), QStringLiteral("A2"));
    const QJsonArray header = book.value(QStringLiteral("rows")).toArray().at(0).toArray();
    QCOMPARE(header.size(), titles.size());
    for (int c = 0; c < titles.size(); ++c) {
        QCOMPARE(header.at(c).toObject().value(QStringLiteral("v")).toString(), titles.at(c));
        QVERIFY(header.at(c).toObject().value(QStringLiteral("b")).toBool());
    }
}

// The sheet shows `rows` under `titles`, every non-empty cell of a column of the type `types` gives.
void compareSheet(const QJsonObject& book, const QString& sheet, const QStringList& titles,
                  const QList<QStringList>& rows, const QString& types) {
    checkFrame(book, sheet, titles);
    QCOMPARE(textsOf(book), rows);
    QStringList expected;
    for (const QStringList& row : rows) {
        QString line = types;
        for (int c = 0; c < row.size(); ++c)
            if (row[c].isEmpty()) line[c] = QLatin1Char(' ');
        expected << line;
    }
    QCOMPARE(typesOf(book), expected);
}

QAction* menuAction(const QueryWindow& page, const QString& text) {
    for (QAction* action : page.exportMenu()->actions())
        if (action->text() == text) return action;
    return nullptr;
}

// Replaces the whole field.
template <std::size_t N>
void putText(char (&field)[N], const QString& text) {
    std::memset(field, 0, N);
    setText(field, text.toUtf8());
}

}  // namespace

class TestXlsxExport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void numbersOnlyWhereTheyReadBackTheSame_data();
    void numbersOnlyWhereTheyReadBackTheSame();
    void cellsKeepWhatTheTableShows();
    void orderPageBothExports();
    void tradePageAllRecords();
    void positionPageShownAndAllRecords();
    void fundRecordTables();
    void contextMenuOnlyOnPagesWithKinds();
    void cancelledUnopenableOrFailing();

private:
    // Runs a menu item of the page and waits for the closing box; the workbook read back.
    QJsonObject exportVia(QueryWindow& page, const QString& item);

    QString python;
    QTemporaryDir dir;
    std::unique_ptr<Dialogs> dialogs;
};

void TestXlsxExport::initTestCase() {
    python = pythonWithOpenpyxl();
    currentMarket = '1';
    RspConvertConfig::instance()->setFilePath(
        QStringLiteral(MORU_SOURCE_DIR "/app/config/defaults/rsp_convert.json"));
}

void TestXlsxExport::init() {
    fakeapi::reset();
    dialogs = std::make_unique<Dialogs>();
    dialogs->savePath = dir.filePath(QStringLiteral("export.xlsx"));
    QFile::remove(dialogs->savePath);
}

void TestXlsxExport::cleanup() {
    dialogs.reset();
    apiDataReady = false;
}

QJsonObject TestXlsxExport::exportVia(QueryWindow& page, const QString& item) {
    if (python.isEmpty()) return {};
    QAction* action = menuAction(page, item);
    if (!action) return {};
    dialogs->boxes.clear();
    action->trigger();
    if (!deliver([this] { return !dialogs->boxes.isEmpty(); })) return {};
    if (dialogs->texts() != QStringList{QStringLiteral("成功/文件写入成功")}) {
        qWarning() << dialogs->texts();
        return {};
    }
    return readWorkbook(python, dialogs->savePath);
}

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
    QTest::newRow("sixteen digits") << "9007199254740993" << 0 << false << 0.0;
    QTest::newRow("negative zero") << "-0.00" << 2 << false << 0.0;
    QTest::newRow("leading zero") << "000001" << 0 << false << 0.0;
    QTest::newRow("other decimals") << "1.5" << 2 << false << 0.0;
    QTest::newRow("point without decimals") << "1." << 0 << false << 0.0;
    QTest::newRow("empty") << "" << 0 << false << 0.0;
    QTest::newRow("word") << "未知" << 0 << false << 0.0;
    QTest::newRow("exponent") << "1e5" << 0 << false << 0.0;
    QTest::newRow("full-width digits") << "１２３" << 0 << false << 0.0;
    QTest::newRow("blank before") << " 12" << 0 << false << 0.0;
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
    if (python.isEmpty()) QSKIP("python3 with openpyxl (Debian's python3-openpyxl) is not installed");
    XlsxExport::Sheet sheet;
    sheet.name = QStringLiteral("资金调拨记录");
    sheet.titles = QStringList{QStringLiteral("代码"), QStringLiteral("数量"), QStringLiteral("金额"),
                               QStringLiteral("错误信息")};
    sheet.kinds = {XlsxExport::text(), XlsxExport::number(0), XlsxExport::number(2)};  // the last one missing
    const QString link = QStringLiteral("=HYPERLINK(\"http://127.0.0.1/\",\"点此\")");
    const QList<QStringList> rows = {
        {QStringLiteral("000001"), QStringLiteral("100"), QStringLiteral("-12.50"), QStringLiteral("=1+1")},
        {QStringLiteral("０００１２３"), QStringLiteral("9007199254740993"), QStringLiteral("-0.00"), link},
        {QStringLiteral(" 60 "), QString(), QStringLiteral("未知"), QStringLiteral("a\"b,c\n委托")}};
    for (const QStringList& row : rows) sheet.rows.push_back(row);
    const QString path = dir.filePath(QStringLiteral("direct.xlsx"));
    QVERIFY(XlsxExport::write(path, sheet));

    const QJsonObject book = readWorkbook(python, path);
    checkFrame(book, sheet.name, sheet.titles);
    QCOMPARE(textsOf(book), rows);
    // What a number column cannot show as it stands stays text there.
    QCOMPARE(typesOf(book),
             (QStringList{QStringLiteral("snns"), QStringLiteral("ssss"), QStringLiteral("s ss")}));

    // Sized to the contents: the widest text fits, a short column stays narrow.
    const QJsonArray widths = book.value(QStringLiteral("widths")).toArray();
    QVERIFY(widths.at(3).toDouble() >= link.size());
    QVERIFY(widths.at(1).toDouble() >= 16);
    QVERIFY(widths.at(0).toDouble() < widths.at(3).toDouble());
}

void TestXlsxExport::orderPageBothExports() {
    if (python.isEmpty()) QSKIP("python3 with openpyxl (Debian's python3-openpyxl) is not installed");
    apiDataReady = true;  // error texts come from the counter
    fakeapi::setErrMsg(2002, "=HYPERLINK(\"http://127.0.0.1/\",\"撤单\")");
    OrderedWidget page;
    page.setTableHeader(ORDER_HEADERS.size(), ORDER_HEADERS);
    page.slot_clicked();
    const int requestId = int(fakeapi::requests().back().requestId);

    QList<CMoruRspQryOrderField> orders;
    auto order = zeroed<CMoruRspQryOrderField>();
    setText(order.OrderNo, "0000000001");
    order.NodeID = 6;
    setText(order.SecurityID, "000001");
    order.SecurityType = 1;
    order.Side = '1';
    order.LimitPrice = 10.123457;
    order.OrderQty = 1000;
    order.OrderType = '2';
    order.OrderStatus = '8';
    order.MsgKind = 0x65;
    order.TradeQty = 1000;
    order.TradeAmount = 10123.457;
    setText(order.RecvTime, "101041286");
    orders << order;
    putText(order.OrderNo, QStringLiteral("１２３"));  // full-width digits, nine bytes
    setText(order.SecurityID, "600000");
    order.OrderStatus = '9';
    order.TradeQty = 0;
    order.LeavesQty = 1000;
    order.ErrorCode = 2002;
    setText(order.RecvTime, "093000007");
    setText(order.TenderOfferorCode, "706001");
    orders << order;
    for (int i = 0; i < orders.size(); ++i)
        page.slot_rspQryOrder(orders[i], rspInfo(), requestId, i == orders.size() - 1);
    QCOMPARE(page.tableWidget()->rowCount(), orders.size());

    QList<QStringList> shownRows;
    for (int r = 0; r < orders.size(); ++r) shownRows << rowTexts(*page.tableWidget(), r, 1);
    QCOMPARE(shownRows[0].at(0), QStringLiteral("0000000001"));
    QCOMPARE(shownRows[1].at(0), QStringLiteral("１２３"));
    QCOMPARE(shownRows[0].at(15), QStringLiteral("10:10:41.286"));
    QVERIFY(shownRows[1].at(14).startsWith(QLatin1Char('=')));
    const QByteArray types = "ssssnnssssnnnssss";
    for (const QString& item : {QStringLiteral("导出Excel"), QStringLiteral("全部导出Excel")}) {
        compareSheet(exportVia(page, item), ORDER_QUERY_TAB, ORDER_HEADERS.mid(1), shownRows, types);
        if (QTest::currentTestFailed()) return;
    }
}

void TestXlsxExport::tradePageAllRecords() {
    if (python.isEmpty()) QSKIP("python3 with openpyxl (Debian's python3-openpyxl) is not installed");
    TransactionWidget page;
    page.setTableHeader(TRADE_HEADERS.size(), TRADE_HEADERS);
    page.slot_click();
    auto trade = zeroed<CMoruRspQryTradeField>();
    setText(trade.OrderNo, "0000000001");
    setText(trade.SecurityID, "000001");
    trade.TradePrice = 4.1;
    trade.Side = '4';
    trade.TradeQty = 1000000;
    trade.LeavesQty = 5;
    setText(trade.TradeTime, "101041286");
    trade.OrderType = '2';
    trade.ComponentCount = -1;
    setText(trade.ComponentSecurityID, "000002");
    trade.ComponentSource = '2';
    trade.ComponentTradeQty = 7;
    trade.CashReplaceAmount = -12.5;
    page.slot_rspQryTrade(trade, rspInfo(), 0, false);
    putText(trade.OrderNo, QStringLiteral("０００"));
    trade.ComponentSource = 'X';
    trade.CashReplaceAmount = 1234567.125;
    page.slot_rspQryTrade(trade, rspInfo(), 0, true);

    QList<QStringList> rows;
    for (int r = 0; r < 2; ++r) rows << rowTexts(*page.tableWidget(), r);
    QCOMPARE(rows[0].at(13), QStringLiteral("-12.500000"));
    QCOMPARE(rows[1].at(0), QStringLiteral("０００"));
    compareSheet(exportVia(page, QStringLiteral("全部导出Excel")), TRADE_QUERY_TAB, TRADE_HEADERS, rows,
                 "ssnsnnssnssnnn");
}

void TestXlsxExport::positionPageShownAndAllRecords() {
    if (python.isEmpty()) QSKIP("python3 with openpyxl (Debian's python3-openpyxl) is not installed");
    PositionWidget page;
    page.setTableHeader(POSITION_HEADERS.size(), POSITION_HEADERS);
    page.slot_check();
    // 25 positions: 20 rows are shown until "更多".
    const int count = 25;
    for (int n = 0; n < count; ++n) {
        auto p = zeroed<CMoruRspQryStockPositionField>();
        setText(p.SecurityID, QByteArray::number(n).rightJustified(6, '0'));
        p.TodayBuyQty = quint32(n * 100);
        p.TotalQty = 4294967295u;
        p.AvailableQty = quint32(n);
        p.PositionCost = n % 2 ? -1234.5 : 0.000001 * n;
        p.PurchasableQty = -n;
        p.RedeemableQty = 999999999999999;
        page.slot_rspQryPosition(p, rspInfo(), 0, n == count - 1);
    }
    BaseTableWidget& table = *page.tableWidget();
    auto tableRows = [&table] {
        QList<QStringList> rows;
        for (int r = 0; r < table.rowCount(); ++r)
            rows << rowTexts(table, r).mid(0, POSITION_HEADERS.size() - 1);
        return rows;
    };
    const QList<QStringList> firstRows = tableRows();
    QCOMPARE(firstRows.size(), 20);
    QCOMPARE(firstRows[1].at(0), QStringLiteral("000001"));
    QCOMPARE(firstRows[1].at(6), QStringLiteral("-1234.500000"));
    const QStringList titles = POSITION_HEADERS.mid(0, POSITION_HEADERS.size() - 1);
    const QByteArray types = "snnnnnnnn";
    compareSheet(exportVia(page, QStringLiteral("导出Excel")), POSITION_QUERY_TAB, titles, firstRows, types);
    if (QTest::currentTestFailed()) return;

    const QJsonObject all = exportVia(page, QStringLiteral("全部导出Excel"));
    page.slot_clickMore();
    QCOMPARE(table.rowCount(), count);
    compareSheet(all, POSITION_QUERY_TAB, titles, tableRows(), types);
}

void TestXlsxExport::fundRecordTables() {
    if (python.isEmpty()) QSKIP("python3 with openpyxl (Debian's python3-openpyxl) is not installed");
    DepositAndWithdrawalWidget deposits;
    deposits.setTableHeader(IN_OUT_FUND_HEADERS.size(), IN_OUT_FUND_HEADERS);
    auto record = zeroed<CMoruRspQryCapTransferRecordField>();
    setText(record.OrgCode, "0001");
    record.Amount = -12.5;
    record.TransferDirection = '2';
    setText(record.OperTime, "10:10:41.286");
    deposits.slot_rspQryInOutFundRecord(record, rspInfo(), 0, false);
    record.Amount = 1000000.25;
    record.TransferDirection = '1';
    deposits.slot_rspQryInOutFundRecord(record, rspInfo(), 0, true);
    QList<QStringList> rows = {rowTexts(*deposits.tableWidget(), 0), rowTexts(*deposits.tableWidget(), 1)};
    QCOMPARE(rows[0].at(1), QStringLiteral("-12.50"));
    compareSheet(exportVia(deposits, QStringLiteral("全部导出Excel")), deposits.windowName(),
                 IN_OUT_FUND_HEADERS, rows, "snss");
    if (QTest::currentTestFailed()) return;

    FundTransferTableWidget transfers;
    transfers.setTableHeader(FUND_TRANSFER_HEADERS.size(), FUND_TRANSFER_HEADERS);
    auto transfer = zeroed<CMoruRspQryBTCapTransferManagerField>();
    setText(transfer.OrgCode, "0001");
    transfer.Amount = 5000;
    transfer.TransferDirection = '1';
    setText(transfer.OperTime, "093000007");
    transfer.ErrorCode = 0;
    transfer.TransferStatus = '6';
    transfers.slot_rspQryBTFundTransferRecord(transfer, rspInfo(), 0, true);
    rows = {rowTexts(*transfers.tableWidget(), 0)};
    QCOMPARE(rows[0].at(6), QStringLiteral("09:30:00.007"));
    compareSheet(exportVia(transfers, QStringLiteral("导出Excel")), transfers.windowName(),
                 FUND_TRANSFER_HEADERS, rows, "snsssss");
}

void TestXlsxExport::contextMenuOnlyOnPagesWithKinds() {
    TransactionWidget trades;
    trades.setTableHeader(TRADE_HEADERS.size(), TRADE_HEADERS);
    trades.show();
    QStringList items;
    for (const QAction* action : trades.exportMenu()->actions()) items << action->text();
    QCOMPARE(items, (QStringList{QStringLiteral("导出Excel"), QStringLiteral("全部导出Excel")}));
    emit trades.tableWidget()->customContextMenuRequested(QPoint(10, 10));
    QTRY_VERIFY(trades.exportMenu()->isVisible());
    trades.exportMenu()->hide();

    // A page without column kinds (the quote list) has no workbook export.
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

    dialogs->savePath.clear();  // the user cancels
    page.exportToXlsx();
    QCOMPARE(dialogArguments,
             (QStringList{QStringLiteral("Save Excel"), QString(), QStringLiteral("Excel Files (*.xlsx)")}));
    QVERIFY(dialogs->boxes.isEmpty());

    dialogs->savePath = dir.filePath(QStringLiteral("no/such/folder/export.xlsx"));
    page.exportAllToXlsx();
    QCOMPARE(dialogs->texts(), QStringList{QStringLiteral("错误/文件打开失败")});
    QCOMPARE(dialogs->boxes[0].kind, DialogSeam::Kind::Critical);

    // A full disk: the user is told the write failed, not that it succeeded.
    dialogs->boxes.clear();
    dialogs->savePath = dir.filePath(QStringLiteral("full.xlsx"));
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), dialogs->savePath));
    page.exportToXlsx();
    QVERIFY(deliver([this] { return !dialogs->boxes.isEmpty(); }));
    QCOMPARE(dialogs->texts(), QStringList{QStringLiteral("错误/文件写入失败")});
    QCOMPARE(dialogs->boxes[0].kind, DialogSeam::Kind::Critical);

    // A name typed without the suffix gets it.
    dialogs->boxes.clear();
    dialogs->savePath = dir.filePath(QStringLiteral("positions"));
    page.exportToXlsx();
    QVERIFY(deliver([this] { return !dialogs->boxes.isEmpty(); }));
    QCOMPARE(dialogs->texts(), QStringList{QStringLiteral("成功/文件写入成功")});
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("positions.xlsx"))));
}

QTEST_MAIN(TestXlsxExport)
#include "test_xlsx_export.moc"
