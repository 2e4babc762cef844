#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "captured_log.h"
#include "quote_frames.h"
#include "user/queryWindow/query_windows_manager.h"
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

#ifdef Q_OS_UNIX
// A loopback listener that never accepts, its backlog full: the system drops further connection
// requests without an answer, as a host behind a silent firewall does.
class SilentHost {
public:
    ~SilentHost() {
        for (int fd : mFillers) ::close(fd);
        if (mListener >= 0) ::close(mListener);
    }

    // False when the backlog could not be seen to fill within a few connections.
    bool open() {
        mListener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (mListener < 0 || ::bind(mListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(mListener, 0) != 0 ||
            ::getsockname(mListener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return false;
        port = ntohs(address.sin_port);
        for (int i = 0; i < 8; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            if (fd < 0) return false;
            mFillers.push_back(fd);
            ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
            pollfd wait{fd, POLLOUT, 0};
            if (::poll(&wait, 1, 300) == 0) return true;  // this one hangs: the backlog is full
        }
        return false;
    }

    quint16 port = 0;

private:
    int mListener = -1;
    std::vector<int> mFillers;
};
#endif

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
    void deletingTheManagerDuringASilentConnectReturnsAtOnce();
    void silentConnectGivesUpAfterItsTimeOutAndIsNeverDoubled();
    void cacheFollowsEveryFrameWhileReadersHoldCopies();

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

void TestQuotesClient::deletingTheManagerDuringASilentConnectReturnsAtOnce() {
#ifdef Q_OS_UNIX
    SilentHost host;
    QVERIFY(host.open());
    auto* manager = new QueryWindowsManager(nullptr, writeConfig(*dir, 1, host.port));
    QuotesTcpClient* running = manager->quotesClient();
    QPointer<QuotesTcpClient> client = running;
    manager->start();
    QTRY_VERIFY(running->isConnecting());
    QTest::qWait(100);  // well into the attempt

    // What a link loss does to the workspace: the GUI thread must not wait out the 30 seconds.
    QElapsedTimer timer;
    timer.start();
    delete manager;
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    QVERIFY(client.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
#else
    QSKIP("needs a POSIX socket whose backlog can be filled");
#endif
}

void TestQuotesClient::silentConnectGivesUpAfterItsTimeOutAndIsNeverDoubled() {
#ifdef Q_OS_UNIX
    SilentHost host;
    QVERIFY(host.open());
    CapturedLog::install();
    {
        auto* client = new QuotesTcpClient(nullptr, writeConfig(*dir, 1, host.port));
        client->setConnectTimeout(400);
        QThread thread;
        client->moveToThread(&thread);
        QObject::connect(&thread, &QThread::started, client, &QuotesTcpClient::slot_start);
        thread.start();
        QTRY_VERIFY(client->isConnecting());
        // The 5-second retry arriving while the attempt is still open leaves it alone.
        QMetaObject::invokeMethod(client, &QuotesTcpClient::slot_reConnect, Qt::QueuedConnection);
        QTRY_VERIFY(!client->isConnecting());
        QVERIFY(!client->isConnected());
        QCOMPARE(CapturedLog::count(QStringLiteral("tcp connect error")), 1);

        // The next retry makes a fresh attempt, which fails the same way.
        QMetaObject::invokeMethod(client, &QuotesTcpClient::slot_reConnect, Qt::QueuedConnection);
        QTRY_COMPARE(CapturedLog::count(QStringLiteral("tcp connect error")), 2);
        client->deleteLater();
        thread.quit();
        thread.wait();
    }
    CapturedLog::uninstall();
    const QStringList warnings = CapturedLog::texts().filter(QStringLiteral("QAbstractSocket"));
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
#else
    QSKIP("needs a POSIX socket whose backlog can be filled");
#endif
}

void TestQuotesClient::cacheFollowsEveryFrameWhileReadersHoldCopies() {
    QuotesTcpClient client(nullptr, dir->filePath(QStringLiteral("none.ini")));
    const auto feed = [&client](const QByteArray& bytes) {
        QCOMPARE(client.ingest(bytes.constData(), bytes.size()), qint64(bytes.size()));
    };
    // Enough codes to make the index grow several times.
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += quoteFrame(QByteArray::number(100000 + i), toGbk(QStringLiteral("平安银行")), i);
    feed(bytes);
    const QMap<QString, ClientSecurityMarketDataLevel1> before = client.marketDataMap();
    QCOMPARE(before.size(), 5000);

    // New prices and a new name while a reader holds its copy: the copy keeps what it saw.
    feed(quoteFrame("100007", toGbk(QStringLiteral("万科A")), 77.5) +
         quoteFrame("104999", toGbk(QStringLiteral("平安银行")), 1.25));
    QCOMPARE(double(before.value(QStringLiteral("100007")).LastPrice), 7.0);
    QCOMPARE(quoteSecurityName(before.value(QStringLiteral("100007"))), QStringLiteral("平安银行"));
    QCOMPARE(double(before.value(QStringLiteral("104999")).LastPrice), 4999.0);
    const ClientSecurityMarketDataLevel1 renamed = client.getMarketData(QStringLiteral("100007"));
    QCOMPARE(double(renamed.LastPrice), 77.5);
    QCOMPARE(quoteSecurityName(renamed), QStringLiteral("万科A"));
    QCOMPARE(double(client.getMarketData(QStringLiteral("104999")).LastPrice), 1.25);

    // Every code still holds its own record after the copy and the growth.
    const QMap<QString, ClientSecurityMarketDataLevel1> after = client.marketDataMap();
    QCOMPARE(after.size(), 5000);
    int i = 0;
    for (auto it = after.cbegin(); it != after.cend(); ++it, ++i) {
        QCOMPARE(it.key(), QString::number(100000 + i));
        QCOMPARE(quoteSecurityId(it.value()), it.key());
        const double expected = i == 7 ? 77.5 : i == 4999 ? 1.25 : double(i);
        QCOMPARE(double(it.value().LastPrice), expected);
    }

    // Bytes behind the code's NUL do not make another code; those behind the name's NUL change nothing.
    ClientSecurityMarketDataLevel1 noisy = makeQuoteRecord("100007", toGbk(QStringLiteral("万科A")), 8.0);
    std::memcpy(noisy.SecurityID + 7, "XY", 2);
    noisy.SecurityName[29] = 'Z';
    feed(quoteFrame(noisy));
    QCOMPARE(client.marketDataMap().size(), 5000);
    const ClientSecurityMarketDataLevel1 latest = client.getMarketData(QStringLiteral("100007"));
    QCOMPARE(double(latest.LastPrice), 8.0);
    QCOMPARE(QByteArray(latest.SecurityName, 30), QStringLiteral("万科A").toUtf8().leftJustified(30, '\0'));
}

QTEST_GUILESS_MAIN(TestQuotesClient)
#include "test_quotes_client.moc"
