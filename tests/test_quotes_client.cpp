#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <algorithm>
#include <memory>

#include "quote_frames.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"

// Fields of the packed record are compared by value: a reference to one may be misaligned.
namespace {

bool isAllZero(const ClientSecurityMarketDataLevel1& r) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&r);
    return std::all_of(bytes, bytes + sizeof r, [](unsigned char b) { return b == 0; });
}

// Each configuration gets its own file: QSettings caches a file by name, size and time.
QString writeConfig(const QTemporaryDir& dir, int quoteSwitch, quint16 port, int printMd = 0) {
    static int written = 0;
    const QString path = dir.filePath(QStringLiteral("moru_bot_config_%1.ini").arg(++written));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write the test configuration");
    file.write(QStringLiteral("[MD]\nswitch=%1\nprintMD=%2\nip=127.0.0.1\nport=%3\n")
                   .arg(quoteSwitch)
                   .arg(printMd)
                   .arg(port)
                   .toUtf8());
    return path;
}

// The client on its own worker thread, as the manager runs it.
class ClientOnThread {
public:
    explicit ClientOnThread(const QString& configPath) : client(new QuotesTcpClient(nullptr, configPath)) {
        client->moveToThread(&thread);
        QObject::connect(&thread, &QThread::started, client, &QuotesTcpClient::slot_start);
        thread.start();
    }
    ~ClientOnThread() {
        client->deleteLater();
        thread.quit();
        thread.wait();
    }
    QuotesTcpClient* client;
    QThread thread;
};

QStringList capturedLog;
void captureLog(QtMsgType, const QMessageLogContext&, const QString& message) {
    capturedLog << message;
}

}  // namespace

class TestQuotesClient : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void switchedOffOrMissingFileNeverConnects();
    void frameSplitAnywhereIsStoredOnceComplete();
    void secondFrameOfACodeWinsAndForeignGroupsAreSkipped();
    void gbkNameIsStoredAsUtf8WithinItsField();
    void fullWidthFieldsAreReadWithinTheirWidth();
    void readerNeverConsumesAHeaderWithoutItsRecord();
    void reconnectsAfterServerRestart();
    void printMdInfoWritesEveryItemInOrder();
    void configLinesAreLoggedVerbatim();

private:
    QTcpSocket* acceptClient();
    void send(const QByteArray& bytes);

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QTcpServer> server;
    QTcpSocket* peer = nullptr;
};

void TestQuotesClient::init() {
    dir = std::make_unique<QTemporaryDir>();
    server = std::make_unique<QTcpServer>();
    QVERIFY(server->listen(QHostAddress::LocalHost, 0));
    peer = nullptr;
}

void TestQuotesClient::cleanup() {
    server.reset();
    dir.reset();
}

QTcpSocket* TestQuotesClient::acceptClient() {
    if (!server->hasPendingConnections() && !server->waitForNewConnection(10000)) return nullptr;
    peer = server->nextPendingConnection();
    return peer;
}

void TestQuotesClient::send(const QByteArray& bytes) {
    peer->write(bytes);
    QVERIFY(peer->waitForBytesWritten(5000));
}

void TestQuotesClient::switchedOffOrMissingFileNeverConnects() {
    for (const bool fileExists : {true, false}) {
        const QString path = fileExists ? writeConfig(*dir, 0, server->serverPort())
                                        : dir->filePath(QStringLiteral("absent.ini"));
        ClientOnThread running(path);
        QCOMPARE(running.client->quoteSwitch(), 0);
        // Give a wrongly made attempt time to reach the listening socket.
        QVERIFY(!server->waitForNewConnection(300));
        QVERIFY(!running.client->isConnected());
        QVERIFY(isAllZero(running.client->getMarketData(QStringLiteral("600000"))));
        QVERIFY(running.client->marketDataMap().isEmpty());
    }
}

void TestQuotesClient::frameSplitAnywhereIsStoredOnceComplete() {
    ClientOnThread running(writeConfig(*dir, 1, server->serverPort()));
    QVERIFY(acceptClient());

    const QByteArray frame = quoteFrame("600000", "PFYH", 10.5);
    send(frame.left(282));
    QTest::qWait(200);
    QVERIFY(running.client->marketDataMap().isEmpty());

    send(frame.mid(282));
    QTRY_COMPARE(running.client->marketDataMap().size(), 1);
    QCOMPARE(double(running.client->getMarketData(QStringLiteral("600000")).LastPrice), 10.5);

    // A frame cut in its header, then the next one whole behind it.
    const QByteArray second = quoteFrame("600001", "ABC", 3.25) + quoteFrame("600002", "DEF", 4.5);
    send(second.left(2));
    QTest::qWait(100);
    send(second.mid(2));
    QTRY_COMPARE(running.client->marketDataMap().size(), 3);
    QCOMPARE(double(running.client->getMarketData(QStringLiteral("600002")).LastPrice), 4.5);
}

void TestQuotesClient::secondFrameOfACodeWinsAndForeignGroupsAreSkipped() {
    ClientOnThread running(writeConfig(*dir, 1, server->serverPort()));
    QVERIFY(acceptClient());

    const qint32 foreign[2] = {7, -1};
    QByteArray bytes(reinterpret_cast<const char*>(foreign), sizeof foreign);
    bytes += quoteFrame("000001", "PAYH", 11.0) + quoteFrame("000001", "PAYH", 12.0);
    bytes += quoteFrame("000002", "WKA", 8.0);
    send(bytes);

    QTRY_COMPARE(running.client->marketDataMap().size(), 2);
    QCOMPARE(double(running.client->getMarketData(QStringLiteral("000001")).LastPrice), 12.0);
    QCOMPARE(double(running.client->getMarketData(QStringLiteral("000002")).LastPrice), 8.0);
    QCOMPARE(running.client->marketDataMap().firstKey(), QStringLiteral("000001"));
}

void TestQuotesClient::gbkNameIsStoredAsUtf8WithinItsField() {
    ClientOnThread running(writeConfig(*dir, 1, server->serverPort()));
    QVERIFY(acceptClient());

    const QString name = QStringLiteral("上海浦东发展银行股份有限公司");  // 14 characters
    const QByteArray gbk = toGbk(name);
    QCOMPARE(gbk.size(), 28);
    const ClientSecurityMarketDataLevel1 sent = makeQuoteRecord("600000", gbk, 9.87);
    send(quoteFrame(sent));

    QTRY_COMPARE(running.client->marketDataMap().size(), 1);
    const ClientSecurityMarketDataLevel1 got = running.client->getMarketData(QStringLiteral("600000"));
    // Three bytes per character in UTF-8: nine fit before the NUL, the tenth would not.
    QCOMPARE(quoteSecurityName(got), name.left(9));
    QCOMPARE(QByteArray(got.SecurityName, 30), name.left(9).toUtf8() + QByteArray(3, '\0'));
    QCOMPARE(quint64(got.UpdateTime), quint64(sent.UpdateTime));
    QCOMPARE(quint64(got.TotalVolume), quint64(sent.TotalVolume));
    QCOMPARE(quint64(got.TotalAmount), quint64(sent.TotalAmount));
    QCOMPARE(std::memcmp(&got, &sent, offsetof(ClientSecurityMarketDataLevel1, SecurityName)), 0);

    // A short name comes through whole.
    send(quoteFrame(makeQuoteRecord("600001", toGbk(QStringLiteral("浦发银行")), 1.0)));
    QTRY_COMPARE(running.client->marketDataMap().size(), 2);
    QCOMPARE(quoteSecurityName(running.client->getMarketData(QStringLiteral("600001"))),
             QStringLiteral("浦发银行"));
}

void TestQuotesClient::fullWidthFieldsAreReadWithinTheirWidth() {
    // Code and name fill their fields without a NUL; the bytes after them must not leak in.
    ClientSecurityMarketDataLevel1 r = makeQuoteRecord("123456789", QByteArray(30, 'N'), 1.0);
    r.UpdateTime = 0x4141414141414141ULL;
    const QByteArray frame = quoteFrame(r);

    QString key;
    ClientSecurityMarketDataLevel1 stored;
    const QuoteFrameReadResult result = readQuoteFrames(
        frame.constData(), frame.size(), [&](const QString& code, const ClientSecurityMarketDataLevel1& rec) {
            key = code;
            stored = rec;
        });
    QCOMPARE(result.records, 1);
    QCOMPARE(key, QStringLiteral("123456789"));
    QCOMPARE(quoteSecurityId(stored), QStringLiteral("123456789"));
    QCOMPARE(quoteSecurityName(stored), QString(29, QLatin1Char('N')));
    QCOMPARE(quint64(stored.UpdateTime), quint64(r.UpdateTime));

    // 30 bytes of GBK with no terminator: 15 characters, cut to 9 in UTF-8.
    const QString longName = QStringLiteral("一二三四五六七八九十甲乙丙丁戊");
    ClientSecurityMarketDataLevel1 g = makeQuoteRecord("600000", toGbk(longName), 1.0);
    convertSecurityNameToUtf8(g);
    QCOMPARE(quoteSecurityName(g), longName.left(9));
}

void TestQuotesClient::readerNeverConsumesAHeaderWithoutItsRecord() {
    // Two whole frames' worth of bytes, but a skipped group leaves the second one 4 bytes short.
    const qint32 foreign = 55;
    QByteArray bytes(reinterpret_cast<const char*>(&foreign), 4);
    bytes += quoteFrame("000001", "A", 1.0);
    const QByteArray second = quoteFrame("000002", "B", 2.0);
    bytes += second.left(QUOTE_FRAME_SIZE - 4);
    QCOMPARE(bytes.size(), 2 * QUOTE_FRAME_SIZE);

    QStringList codes;
    const auto sink = [&](const QString& code, const ClientSecurityMarketDataLevel1&) { codes << code; };
    QuoteFrameReadResult r = readQuoteFrames(bytes.constData(), bytes.size(), sink);
    QCOMPARE(codes, QStringList{QStringLiteral("000001")});
    QCOMPARE(r.skippedGroups, 1);
    QCOMPARE(r.consumed, qint64(4 + QUOTE_FRAME_SIZE));

    // The remainder plus the missing bytes is exactly the second frame.
    QByteArray rest = bytes.mid(int(r.consumed)) + second.right(4);
    QCOMPARE(rest, second);
    r = readQuoteFrames(rest.constData(), rest.size(), sink);
    QCOMPARE(codes, (QStringList{QStringLiteral("000001"), QStringLiteral("000002")}));
    QCOMPARE(r.consumed, qint64(QUOTE_FRAME_SIZE));

    // Garbage alone is dropped 4 bytes at a time; a tail shorter than a group stays.
    const QByteArray garbage(QUOTE_FRAME_SIZE + 2, '\x7f');
    r = readQuoteFrames(garbage.constData(), garbage.size(), sink);
    QCOMPARE(r.records, 0);
    QCOMPARE(r.consumed, qint64(garbage.size() / 4 * 4));
}

void TestQuotesClient::reconnectsAfterServerRestart() {
    const quint16 port = server->serverPort();
    ClientOnThread running(writeConfig(*dir, 1, port));
    QVERIFY(acceptClient());
    send(quoteFrame("600000", "A", 1.0));
    QTRY_COMPARE(running.client->marketDataMap().size(), 1);

    server->close();
    peer->disconnectFromHost();
    QTRY_VERIFY(!running.client->isConnected());

    // While the server is down, an attempt fails and the client stays disconnected.
    QMetaObject::invokeMethod(running.client, &QuotesTcpClient::slot_reConnect, Qt::QueuedConnection);
    QTest::qWait(200);
    QVERIFY(!running.client->isConnected());

    QVERIFY(server->listen(QHostAddress::LocalHost, port));
    // What the 5-second timer does.
    QMetaObject::invokeMethod(running.client, &QuotesTcpClient::slot_reConnect, Qt::QueuedConnection);
    QVERIFY(acceptClient());
    QTRY_VERIFY(running.client->isConnected());
    send(quoteFrame("600001", "B", 2.0) + quoteFrame("600000", "A", 3.0));
    QTRY_COMPARE(double(running.client->getMarketData(QStringLiteral("600000")).LastPrice), 3.0);
    QCOMPARE(running.client->marketDataMap().size(), 2);
}

void TestQuotesClient::printMdInfoWritesEveryItemInOrder() {
    QuotesTcpClient quiet(nullptr, writeConfig(*dir, 1, server->serverPort(), 0));
    QuotesTcpClient chatty(nullptr, writeConfig(*dir, 1, server->serverPort(), 1));

    ClientSecurityMarketDataLevel1 r = makeQuoteRecord("600000", "PFYH", 10.5);
    r.BidPrice2 = 10.48;
    r.BidVolume2 = 300;
    r.AskPrice5 = 10.556;
    r.AskVolume5 = 5;

    capturedLog.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureLog);
    quiet.printMdInfo(r);
    chatty.printMdInfo(r);
    qInstallMessageHandler(previous);

    QCOMPARE(capturedLog.size(), 1);
    QCOMPARE(
        capturedLog.first(),
        QStringLiteral("更新时间: 93000123 , 证券代码: 600000 , 证券名称: PFYH , 最新: 10.5 , 开盘: 10.4 , "
                       "最高: 10.7 , 最低: 10.2 , 涨停: 11.55 , 跌停: 9.45 , 昨收: 10.45 , "
                       "成交总数:  123456789 , 成交总金额:  987654321012 "
                       ", :买一 10.49   100 , :买二 10.48   300 , :买三 0   0 , :买四 0   0 , :买五 0   0 "
                       ", :卖一 10.51   200 , :卖二 0   0 , :卖三 0   0 , :卖四 0   0 , :卖五 10.556   5"));
}

void TestQuotesClient::configLinesAreLoggedVerbatim() {
    const QString path = dir->filePath(QStringLiteral("scoped_host.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[MD]\nswitch=0\nprintMD=1\nip=fe80::1%3\nport=9100\n");
    file.close();
    const QString absent = dir->filePath(QStringLiteral("absent.ini"));

    capturedLog.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureLog);
    { QuotesTcpClient configured(nullptr, path); }
    { QuotesTcpClient unconfigured(nullptr, absent); }
    qInstallMessageHandler(previous);

    QCOMPARE(capturedLog,
             QStringList(
                 {QStringLiteral("\"ini mSwitch is [0], mPrintMD is [1], ip is[fe80::1%3], port is[9100]\""),
                  QStringLiteral("can not found moru_bot_config.ini file  \"%1\"").arg(absent)}));
}

QTEST_GUILESS_MAIN(TestQuotesClient)
#include "test_quotes_client.moc"
