// Each side against a peer that sends garbage or vanishes: the library against a
// scripted fake counter, moru-sim against a raw socket.
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <cstring>

#include "sim_fixture.h"

using fixture::Event;
using fixture::recorder;

namespace {

QByteArray frame(moru_wire::Msg type, const QByteArray& body, uint32_t claimedLen = UINT32_MAX) {
    std::vector<uint8_t> f;
    moru_wire::appendFrame(f, type, 1, moru_wire::kFlagLast, body.constData(), size_t(body.size()));
    if (claimedLen != UINT32_MAX) moru_wire::putU32(f.data() + 4, claimedLen);
    return QByteArray(reinterpret_cast<const char*>(f.data()), int(f.size()));
}

// A correct answer to the manager login, so a script can go on past it.
QByteArray loginManagerOk() {
    QByteArray body(int(moru_wire::kRspInfoSize + moru_wire::LoginRspBody::kSize), '\0');
    return frame(moru_wire::Msg::RspLoginManager, body);
}

}  // namespace

class TestPeerFaults : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { release(0); }

    // What the fake counter sends once the library's first request has arrived.
    void libraryDropsUntrustedFrames_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("thenClose");
        QTest::addColumn<int>("reason");
        QByteArray garbage(300, '\x5a');
        QTest::newRow("garbage") << garbage << false << int(moru_wire::kReasonBadFrame);
        QTest::newRow("short login answer") << frame(moru_wire::Msg::RspLoginManager, QByteArray(40, '\0'))
                                            << false << int(moru_wire::kReasonBadFrame);
        QTest::newRow("record one byte short")
            << loginManagerOk() + frame(moru_wire::Msg::RspQryOrder, QByteArray(85 + 271, '\0')) << false
            << int(moru_wire::kReasonBadFrame);
        QTest::newRow("record one byte long")
            << loginManagerOk() + frame(moru_wire::Msg::RtnOrder, QByteArray(85 + 241, '\0')) << false
            << int(moru_wire::kReasonBadFrame);
        QTest::newRow("huge length") << frame(moru_wire::Msg::RspQryOrder, QByteArray(), 0x7fffffff) << false
                                     << int(moru_wire::kReasonBadFrame);
        QTest::newRow("unknown type")
            << frame(moru_wire::Msg(4242), QByteArray(8, '\0')) << false << int(moru_wire::kReasonBadFrame);
        QTest::newRow("data ready of the wrong size") << frame(moru_wire::Msg::DataReady, QByteArray(3, '\1'))
                                                      << false << int(moru_wire::kReasonBadFrame);
        QTest::newRow("error table cut short")
            << frame(moru_wire::Msg::ErrorTable, QByteArray("\x01\x00\x00\x00\x31\xff"
                                                            "abc",
                                                            9))
            << false << int(moru_wire::kReasonBadFrame);
        QByteArray half = frame(moru_wire::Msg::RspQryFund, QByteArray(85 + 224, '\0')).left(100);
        QTest::newRow("vanishes mid-frame") << half << true << int(moru_wire::kReasonReadFailed);
    }
    void libraryDropsUntrustedFrames() {
        QFETCH(QByteArray, reply);
        QFETCH(bool, thenClose);
        QFETCH(int, reason);
        QTcpServer fake;
        QVERIFY(fake.listen(QHostAddress::LocalHost, 0));
        QTemporaryDir dir;
        QString cfg = fixture::writeConfig(dir, fake.serverPort());
        recorder().clear();
        QCOMPARE(createTraderApi(0), 0);
        registerSpi(fixture::recordingSpi(), 0);
        QCOMPARE(reqLogin(cfg.toUtf8().constData(), "10880001", "123456", 0, 6, '1', 1), 0);
        QVERIFY(fake.waitForNewConnection(3000));
        QTcpSocket* s = fake.nextPendingConnection();
        QVERIFY(s->bytesAvailable() > 0 || s->waitForReadyRead(3000));
        s->write(reply);
        s->flush();
        if (thenClose) s->disconnectFromHost();
        QTRY_VERIFY_WITH_TIMEOUT(!recorder().named("onFrontManagerQueryDisconnected").empty(), 3000);
        QCOMPARE(recorder().named("onFrontManagerQueryDisconnected")[0].reason, reason);
        bool explained = false;
        for (const auto& e : recorder().named("onApiMsg"))
            explained =
                explained || (e.reason != 0 && e.errorMsg.find("manager link lost") != std::string::npos);
        QVERIFY(explained);
        QVERIFY(recorder().named("onRspQryOrder").empty());
        QVERIFY(recorder().named("onRtnOrder").empty());
    }

    void aCounterThatNeverAnswersEndsTheLogin() {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        QTemporaryDir dir;
        QString cfg = fixture::writeConfig(dir, silent.serverPort(), 0.3);
        recorder().clear();
        QCOMPARE(createTraderApi(0), 0);
        registerSpi(fixture::recordingSpi(), 0);
        QCOMPARE(reqLogin(cfg.toUtf8().constData(), "10880001", "123456", 0, 6, '1', 1), 0);
        QVERIFY(recorder().waitForName("onRspLoginManager", 3000));
        auto e = recorder().named("onRspLoginManager")[0];
        QCOMPARE(e.errorId, 9001);
        QVERIFY(QString::fromUtf8(e.errorMsg.c_str()).contains(QString("柜台")));
        // A login error is not a link loss.
        QVERIFY(recorder().named("onFrontManagerQueryDisconnected").empty());
    }

    void unterminatedErrorTextIsCutAtItsWidth() {
        QTcpServer fake;
        QVERIFY(fake.listen(QHostAddress::LocalHost, 0));
        QTemporaryDir dir;
        QString cfg = fixture::writeConfig(dir, fake.serverPort());
        recorder().clear();
        QCOMPARE(createTraderApi(0), 0);
        registerSpi(fixture::recordingSpi(), 0);
        QCOMPARE(reqLogin(cfg.toUtf8().constData(), "10880001", "123456", 0, 6, '1', 1), 0);
        QVERIFY(fake.waitForNewConnection(3000));
        QTcpSocket* s = fake.nextPendingConnection();
        QByteArray body(int(moru_wire::kRspInfoSize + moru_wire::LoginRspBody::kSize), 'X');
        s->write(frame(moru_wire::Msg::RspLoginManager, body));
        QTRY_VERIFY_WITH_TIMEOUT(!recorder().named("onRspLoginManager").empty(), 3000);
        QCOMPARE(recorder().named("onRspLoginManager")[0].errorMsg.size(), size_t(80));
    }

    void counterSurvivesGarbageAndVanishingClients() {
        fixture::Sim sim;
        QVERIFY(sim.start({"--quote-interval-ms", "100"}));
        QByteArray login(int(moru_wire::LoginBody::kSize), '\0');
        const QByteArray inputs[] = {
            QByteArray(500, '\x33'),                                       // garbage
            frame(moru_wire::Msg::ReqQryOrder, QByteArray(48, '\0')),      // before login
            frame(moru_wire::Msg::ReqLoginManager, QByteArray(10, '\0')),  // short login
            frame(moru_wire::Msg::Control, QByteArray(), 0x7fffffff),      // huge length
            frame(moru_wire::Msg(999), QByteArray(4, '\0')),               // unknown type
        };
        for (const QByteArray& in : inputs) {
            QTcpSocket s;
            s.connectToHost("127.0.0.1", quint16(sim.counterPort));
            QVERIFY(s.waitForConnected(2000));
            s.write(in);
            QVERIFY(s.waitForDisconnected(3000));
        }
        // A client that leaves in the middle of a frame.
        {
            QTcpSocket s;
            s.connectToHost("127.0.0.1", quint16(sim.counterPort));
            QVERIFY(s.waitForConnected(2000));
            s.write(frame(moru_wire::Msg::ReqLoginManager, login).left(30));
            s.waitForBytesWritten(1000);
            s.abort();
        }
        QVERIFY(sim.running());
        QVERIFY(sim.control(moru_wire::kCtlHeartbeatsOn));
        QVERIFY(sim.stop());
    }
};

QTEST_GUILESS_MAIN(TestPeerFaults)
#include "test_peer_faults.moc"
