#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "basicControl/base_table_widget.h"
#include "constants.h"
#include "user/queryWindow/query_window.h"
#include "user/queryWindow/query_windows_manager.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "utils/dialog_seam.h"
#include "utils/signal_interface.h"

namespace {

const QByteArray BOM("\xEF\xBB\xBF");

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The platform's line end, as text mode writes it.
QByteArray lines(QByteArray text) {
#ifdef Q_OS_WIN
    text.replace("\n", "\r\n");
#endif
    return text;
}

void fillTable(QueryWindow& page, const QList<QStringList>& rows) {
    QTableWidget* table = page.tableWidget();
    table->setRowCount(rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            if (!rows[r][c].isNull()) table->setItem(r, c, new QTableWidgetItem(rows[r][c]));
        }
    }
}

}  // namespace

class TestQueryWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pageRegistersRecordTypes();
    void managerRegistryReplacesByName();
    void exportDropsThePageSpecificColumnAndQuotesCells();
    void exportOfAnEmptyTableHasBomAndHeaderOnly();
    void exportAcrossChunkBoundariesKeepsEveryRow();
    void exportCancelledUnopenableOrFailing();
    void exportAllOnTheFrameDoesNothing();
    void destroyingTheManagerEndsTheThreadAndFreesTheClient();

private:
    QTemporaryDir dir;
    QString savePath;
    int saveDialogs = 0;
    QStringList saveArguments;
    QList<DialogSeam::Box> boxes;
};

void TestQueryWindow::init() {
    savePath = dir.filePath(QStringLiteral("export.csv"));
    QFile::remove(savePath);
    saveDialogs = 0;
    boxes.clear();
    DialogSeam::setSaveHandler(
        [this](const QString& caption, const QString& startDir, const QString& filter) {
            ++saveDialogs;
            saveArguments = QStringList{caption, startDir, filter};
            return savePath;
        });
    DialogSeam::setBoxHandler([this](const DialogSeam::Box& box) {
        boxes << box;
        return QMessageBox::Ok;
    });
}

void TestQueryWindow::cleanup() {
    DialogSeam::setSaveHandler({});
    DialogSeam::setBoxHandler({});
}

void TestQueryWindow::pageRegistersRecordTypes() {
    QueryWindow first(TRADE_QUERY_TAB, nullptr);
    const int orderType = QMetaType::type("CMoruRspQryOrderField");
    const int infoType = QMetaType::type("CMoruRspInfo");
    QVERIFY(orderType != QMetaType::UnknownType);
    QVERIFY(infoType != QMetaType::UnknownType);
    QCOMPARE(QMetaType::sizeOf(orderType), int(sizeof(CMoruRspQryOrderField)));
    QVERIFY(QMetaType::type("CMoruRspQryBTCapTransferManagerField") != QMetaType::UnknownType);

    QueryWindow second(POSITION_QUERY_TAB, nullptr);
    QCOMPARE(QMetaType::type("CMoruRspQryOrderField"), orderType);

    second.setTableHeader(POSITION_HEADERS.size(), POSITION_HEADERS);
    QCOMPARE(second.headerLabels(), POSITION_HEADERS);
    QCOMPARE(second.tableWidget()->columnCount(), POSITION_HEADERS.size());
}

void TestQueryWindow::managerRegistryReplacesByName() {
    QTemporaryDir configDir;  // no configuration: the client stays off
    QueryWindowsManager manager(nullptr, configDir.filePath(QStringLiteral("none.ini")));
    QueryWindow a(QStringLiteral("A"), nullptr);
    QueryWindow b(QStringLiteral("B"), nullptr);
    manager.registerWindow(QStringLiteral("page"), &a);
    QCOMPARE(manager.window(QStringLiteral("page")), &a);
    manager.registerWindow(QStringLiteral("page"), &b);
    QCOMPARE(manager.window(QStringLiteral("page")), &b);
    QVERIFY(manager.quotesClient() != nullptr);
}

void TestQueryWindow::exportDropsThePageSpecificColumnAndQuotesCells() {
    const QStringList titles = {QStringLiteral("选"), QStringLiteral("编号"), QStringLiteral("名称")};
    const QList<QStringList> rows = {{QStringLiteral("x"), QStringLiteral("1"), QStringLiteral("say \"hi\"")},
                                     {QString(), QStringLiteral("2"), QString()}};

    QueryWindow orders(ORDER_QUERY_TAB, nullptr);
    orders.setTableHeader(3, titles);
    fillTable(orders, rows);
    orders.exportToCsv();
    QCOMPARE(saveArguments,
             (QStringList{QStringLiteral("Save CSV"), QString(), QStringLiteral("CSV Files (*.csv)")}));
    QCOMPARE(readFile(savePath), BOM + lines("编号,名称\n\"1\",\"say \"\"hi\"\"\"\n\"2\",\"\"\n"));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].kind, DialogSeam::Kind::Information);
    QCOMPARE(boxes[0].title, QStringLiteral("成功"));
    QCOMPARE(boxes[0].text, QStringLiteral("文件写入成功"));

    QueryWindow positions(POSITION_QUERY_TAB, nullptr);
    positions.setTableHeader(3, titles);
    fillTable(positions, rows);
    positions.exportToCsv();
    QCOMPARE(readFile(savePath), BOM + lines("选,编号\n\"x\",\"1\"\n\"\",\"2\"\n"));

    QueryWindow other(TRADE_QUERY_TAB, nullptr);
    other.setTableHeader(3, titles);
    fillTable(other, rows);
    other.exportToCsv();
    QCOMPARE(readFile(savePath),
             BOM + lines("选,编号,名称\n\"x\",\"1\",\"say \"\"hi\"\"\"\n\"\",\"2\",\"\"\n"));
}

void TestQueryWindow::exportOfAnEmptyTableHasBomAndHeaderOnly() {
    QFile old(savePath);  // existing content is replaced
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(1000, 'z'));
    old.close();

    QueryWindow trades(TRADE_QUERY_TAB, nullptr);
    trades.setTableHeader(TRADE_HEADERS.size(), TRADE_HEADERS);
    trades.exportToCsv();
    QCOMPARE(readFile(savePath), BOM + lines(TRADE_HEADERS.join(QLatin1Char(',')).toUtf8() + "\n"));
}

void TestQueryWindow::exportAcrossChunkBoundariesKeepsEveryRow() {
    QueryWindow page(TRADE_QUERY_TAB, nullptr);
    page.setTableHeader(1, {QStringLiteral("n")});
    const int rowCount = 10001;
    page.tableWidget()->setRowCount(rowCount);
    QByteArray expected = BOM + "n\n";
    for (int r = 0; r < rowCount; ++r) {
        page.tableWidget()->setItem(r, 0, new QTableWidgetItem(QString::number(r)));
        expected += "\"" + QByteArray::number(r) + "\"\n";
    }
    page.exportToCsv();
    QCOMPARE(readFile(savePath), lines(expected));
}

void TestQueryWindow::exportCancelledUnopenableOrFailing() {
    QueryWindow page(TRADE_QUERY_TAB, nullptr);
    page.setTableHeader(1, {QStringLiteral("n")});

    savePath.clear();  // the user cancels
    page.exportToCsv();
    QCOMPARE(saveDialogs, 1);
    QVERIFY(boxes.isEmpty());

    savePath = dir.filePath(QStringLiteral("no/such/folder/export.csv"));
    page.exportToCsv();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].kind, DialogSeam::Kind::Critical);
    QCOMPARE(boxes[0].title, QStringLiteral("错误"));
    QCOMPARE(boxes[0].text, QStringLiteral("文件打开失败"));
    QVERIFY(!QFile::exists(savePath));

    // A full disk: the write fails and the user is told so, not that it succeeded.
    boxes.clear();
    savePath = QStringLiteral("/dev/full");
    page.tableWidget()->setRowCount(3);
    for (int r = 0; r < 3; ++r) page.tableWidget()->setItem(r, 0, new QTableWidgetItem(QString::number(r)));
    page.exportToCsv();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].kind, DialogSeam::Kind::Critical);
    QCOMPARE(boxes[0].title, QStringLiteral("错误"));
    QCOMPARE(boxes[0].text, QStringLiteral("文件写入失败"));
}

void TestQueryWindow::exportAllOnTheFrameDoesNothing() {
    QueryWindow page(TRADE_QUERY_TAB, nullptr);
    page.setTableHeader(1, {QStringLiteral("n")});
    page.exportAllToCsv();
    QCOMPARE(saveDialogs, 0);
    QVERIFY(boxes.isEmpty());
    QVERIFY(!QFile::exists(savePath));
}

void TestQueryWindow::destroyingTheManagerEndsTheThreadAndFreesTheClient() {
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    QTemporaryDir configDir;
    const QString config = configDir.filePath(QStringLiteral("moru_bot_config.ini"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("[MD]\nswitch=1\nip=127.0.0.1\nport=%1\n").arg(server.serverPort()).toUtf8());
    file.close();

    auto* manager = new QueryWindowsManager(nullptr, config);
    QPointer<QuotesTcpClient> client = manager->quotesClient();
    QPointer<QThread> thread = manager->workerThread();
    manager->start();
    QVERIFY(server.waitForNewConnection(10000));
    QTcpSocket* peer = server.nextPendingConnection();
    QTRY_VERIFY(client->isConnected());
    QCOMPARE(client->thread(), thread.data());

    delete manager;
    // The client went with the worker thread's last deferred deletions; the thread follows.
    QVERIFY(client.isNull());
    QVERIFY(!thread.isNull());
    QVERIFY(thread->isFinished());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(thread.isNull());
    // Freeing the client closed its connection.
    QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
}

QTEST_MAIN(TestQueryWindow)
#include "test_query_window.moc"
