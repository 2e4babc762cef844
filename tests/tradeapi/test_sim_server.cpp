// moru-sim's TCP front in this process, against clients on loopback: a counter client that
// stops reading, and quote clients cut off all at once.
#include <QTcpSocket>
#include <QTest>
#include <memory>

#include "server.h"
#include "sim_capture.h"

namespace {

QByteArray frameOf(moru_wire::Msg type, const void* body, size_t len) {
    std::vector<uint8_t> f;
    moru_wire::appendFrame(f, type, 1, 0, body, len);
    return QByteArray(reinterpret_cast<const char*>(f.data()), int(f.size()));
}

QByteArray loginFrame(const char* account, const char* password, char market) {
    const std::vector<uint8_t> f = fixture::managerLoginFrame(account, password, market);
    return QByteArray(reinterpret_cast<const char*>(f.data()), int(f.size()));
}

bool connectTo(QTcpSocket& s, quint16 port) {
    s.connectToHost("127.0.0.1", port);
    return s.waitForConnected(3000);
}

constexpr qint64 kBookBytes = 300 * qint64(simquote::kFrameSize);  // the demo data's whole book

}  // namespace

class TestSimServer : public QObject {
    Q_OBJECT

    std::unique_ptr<sim::Counter> counter;
    std::unique_ptr<sim::Server> server;

private slots:
    void init() {
        counter = std::make_unique<sim::Counter>();
        std::string err;
        QVERIFY2(counter->loadFile(std::string(MORU_SOURCE_DIR) + "/sim/data/demo.json", &err), err.c_str());
        server = std::make_unique<sim::Server>(*counter);
        server->setQuoteInterval(3600000);  // quotes only when asked
        QString why;
        QVERIFY2(server->listen(0, 0, &why), qPrintable(why));
    }
    void cleanup() {
        server.reset();
        counter.reset();
    }

    void aClientThatDoesNotReadIsDropped_data() {
        QTest::addColumn<bool>("reads");
        QTest::newRow("reads its answers") << true;
        QTest::newRow("never reads") << false;
    }
    void aClientThatDoesNotReadIsDropped() {
        QFETCH(bool, reads);
        const int orders = 2000;
        counter->options().pageSize = orders;
        QVERIFY(counter->fillBigAccount("10880003", '1', orders));
        server->setWriteCap(2 * 1024 * 1024);
        QTcpSocket client;
        if (!reads) client.setReadBufferSize(4096);  // the kernel's buffers fill, then ours
        QVERIFY(connectTo(client, server->counterPort()));
        client.write(loginFrame("10880003", "111111", '1'));
        const qint64 loginBytes =
            qint64(moru_wire::kHeaderSize + moru_wire::kRspInfoSize + moru_wire::LoginRspBody::kSize);
        QTRY_VERIFY_WITH_TIMEOUT(client.bytesAvailable() >= loginBytes, 3000);
        qint64 received = client.readAll().size();

        // 40 pages of 2000 orders: about 30 MB, far beyond what the kernel holds for a client.
        CMoruReqQryOrderField q;
        std::memset(&q, 0, sizeof q);
        q.QueryMode = 2;
        const QByteArray query = frameOf(moru_wire::Msg::ReqQryOrder, &q, sizeof q);
        const qint64 page =
            orders * qint64(moru_wire::kHeaderSize + moru_wire::kRspInfoSize + sizeof(CMoruRspQryOrderField));
        const int pages = 40;
        for (int i = 0; i < pages && client.state() == QAbstractSocket::ConnectedState; ++i) {
            client.write(query);
            QTest::qWait(15);
            if (reads) received += client.readAll().size();
        }
        if (reads) {
            QTRY_VERIFY_WITH_TIMEOUT((received += client.readAll().size()) >= loginBytes + pages * page,
                                     10000);
            QCOMPARE(received, loginBytes + pages * page);
            QCOMPARE(client.state(), QAbstractSocket::ConnectedState);
        } else {
            client.setReadBufferSize(0);
            QTRY_VERIFY_WITH_TIMEOUT(
                (received += client.readAll().size(), client.state()) == QAbstractSocket::UnconnectedState,
                10000);
            QVERIFY(received < loginBytes + pages * page);
        }
    }

    // Every quote client gets half a frame and is let go in the same turn; the server goes on.
    void quoteClientsCutOffTogether() {
        QTcpSocket a, b;
        QVERIFY(connectTo(a, server->quotePort()));
        QVERIFY(connectTo(b, server->quotePort()));
        QTRY_VERIFY_WITH_TIMEOUT(a.bytesAvailable() >= kBookBytes && b.bytesAvailable() >= kBookBytes, 3000);
        QCOMPARE(a.readAll().size(), kBookBytes);
        QCOMPARE(b.readAll().size(), kBookBytes);

        capture::CaptureLink ctl;
        capture::control(*counter, ctl, moru_wire::kCtlQuotePartial, 100);
        QCOMPARE(ctl.lastError(moru_wire::Msg::RspControl), 0);
        QByteArray restA, restB;
        QTRY_VERIFY_WITH_TIMEOUT((restA += a.readAll(), restB += b.readAll(),
                                  a.state() == QAbstractSocket::UnconnectedState &&
                                      b.state() == QAbstractSocket::UnconnectedState),
                                 3000);
        QCOMPARE(restA.size(), 100);
        QCOMPARE(restB, restA);

        // A newcomer still gets the whole book, then garbage when asked for it.
        QTcpSocket c;
        QVERIFY(connectTo(c, server->quotePort()));
        QTRY_VERIFY_WITH_TIMEOUT(c.bytesAvailable() >= kBookBytes, 3000);
        QCOMPARE(c.readAll().size(), kBookBytes);
        capture::control(*counter, ctl, moru_wire::kCtlQuoteGarbage, 3);
        QTRY_COMPARE_WITH_TIMEOUT(c.bytesAvailable(), qint64(12), 3000);
        QCOMPARE(c.readAll(), QByteArray("\xde\xad\xbe\xef\xde\xad\xbe\xef\xde\xad\xbe\xef"));
        counter->onClosed(ctl);
    }
};

QTEST_GUILESS_MAIN(TestSimServer)
#include "test_sim_server.moc"
