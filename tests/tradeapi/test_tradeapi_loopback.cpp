// The trading library against moru-sim over real loopback TCP.
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTcpServer>
#include <QTest>
#include <QTextCodec>
#include <cstring>

#include "quote_record.h"
#include "sim_fixture.h"

using fixture::Event;
using fixture::recorder;

namespace {

constexpr char kAcct1[] = "10880001";
constexpr char kPwd1[] = "123456";
constexpr char kAcct2[] = "10880002";
constexpr char kPwd2[] = "654321";

template <typename T>
T zeroed() {
    T t;
    std::memset(&t, 0, sizeof t);
    return t;
}

// Fixed-width text: NUL-padded, no terminator when it fills the field.
void putStr(char* dst, size_t width, const char* s) {
    std::memset(dst, 0, width);
    std::memcpy(dst, s, strnlen(s, width));
}

// The latest frame of `code` the quote port publishes.
bool readQuote(int port, const QByteArray& code, simquote::Level1& out, int ms = 3000) {
    QTcpSocket s;
    s.connectToHost("127.0.0.1", quint16(port));
    if (!s.waitForConnected(2000)) return false;
    QByteArray buf;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (s.bytesAvailable() == 0 && !s.waitForReadyRead(200)) continue;
        buf += s.readAll();
        while (buf.size() >= int(simquote::kFrameSize)) {
            int32_t type;
            std::memcpy(&type, buf.constData(), 4);
            if (type != simquote::kMsgTypeLevel1) return false;
            simquote::Level1 q;
            std::memcpy(&q, buf.constData() + 4, sizeof q);
            buf.remove(0, int(simquote::kFrameSize));
            if (code == QByteArray(q.SecurityID, int(strnlen(q.SecurityID, sizeof q.SecurityID)))) {
                out = q;
                return true;
            }
        }
    }
    return false;
}

}  // namespace

class TestTradeApiLoopback : public QObject {
    Q_OBJECT

private:
    fixture::Sim sim;
    QTemporaryDir dir;
    QString config;

    void startSim(const QStringList& extra = {}) {
        sim.stop();
        QVERIFY(sim.start(QStringList{"--quote-interval-ms", "100", "--no-walk", "--transfer-step-ms", "20"} +
                          extra));
        config = fixture::writeConfig(dir, sim.counterPort);
    }

    // Creates entry 0 and logs in; true once the trade link is initialised.
    bool login(const char* account, const char* password, char market, int node = 6) {
        recorder().clear();
        if (createTraderApi(0) != 0) return false;
        registerSpi(fixture::recordingSpi(), 0);
        if (reqLogin(config.toUtf8().constData(), account, password, 0, node, market, 7) != 0) return false;
        bool done = recorder().waitFor(
            [](const std::vector<Event>& ev) {
                for (const auto& e : ev)
                    if ((e.name.rfind("onRsp", 0) == 0 && e.errorId != 0) || e.name == "onRspInitTrader")
                        return true;
                return false;
            },
            5000);
        auto inits = recorder().named("onRspInitTrader");
        return done && !inits.empty() && inits[0].errorId == 0;
    }

    std::vector<std::string> loginNames() {
        std::vector<std::string> names;
        for (const auto& e : recorder().events())
            if (e.name != "onApiMsg") names.push_back(e.name);
        return names;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        startSim();
    }
    void cleanup() { release(0); }
    void cleanupTestCase() { QVERIFY(sim.stop()); }

    void loginSequenceInOrder_data() {
        QTest::addColumn<char>("market");
        QTest::newRow("shanghai") << '1';
        QTest::newRow("shenzhen") << '2';
    }
    void loginSequenceInOrder() {
        QFETCH(char, market);
        QVERIFY(login(kAcct1, kPwd1, market));
        std::vector<std::string> expected{"onFrontManagerQueryConnect",
                                          "onRspLoginManager",
                                          "onRspLogin",
                                          "onDataReady",
                                          "onDataReady",
                                          "onRspInitTrader"};
        QCOMPARE(loginNames(), expected);
        auto rsp = recorder().named("onRspLogin")[0].as<CMoruRspUserLoginField>();
        QCOMPARE(rsp.Market, market);
        QCOMPARE(int(rsp.LoginFlags & MORU_LOGIN_FLAG_SINGLE_DATA_READY), 0);
        QCOMPARE(recorder().named("onRspLogin")[0].requestId, 7);
        // The counter's error texts are known once the data is ready; unknown ids give "".
        QTextCodec* gbk = QTextCodec::codecForName("GBK");
        QCOMPARE(gbk->toUnicode(getErrMsgEx(2005, market, 1, 0)), QString("可用资金不足"));
        QCOMPARE(QByteArray(getErrMsgEx(777777, market, 1, 0)), QByteArray());
        QCOMPARE(QByteArray(getErrMsgEx(2005, market, 1, 5)), QByteArray());
    }

    void singleDataReadyWhenCounterSaysSo() {
        fixture::Sim other;
        QVERIFY(other.start({"--single-data-ready"}));
        config = fixture::writeConfig(dir, other.counterPort);
        bool ok = login(kAcct1, kPwd1, '1');
        config = fixture::writeConfig(dir, sim.counterPort);
        QVERIFY(ok);
        QCOMPARE(fixture::Recorder::countOf(recorder().events(), "onDataReady"), size_t(1));
        auto rsp = recorder().named("onRspLogin")[0].as<CMoruRspUserLoginField>();
        QCOMPARE(int(rsp.LoginFlags & MORU_LOGIN_FLAG_SINGLE_DATA_READY), MORU_LOGIN_FLAG_SINGLE_DATA_READY);
    }

    void loginRefusals_data() {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("node");
        QTest::addColumn<char>("market");
        QTest::addColumn<int>("error");
        QTest::newRow("unknown account") << "99999999" << kPwd1 << 6 << '1' << 1001;
        QTest::newRow("wrong password") << kAcct1 << "000000" << 6 << '1' << 1002;
        QTest::newRow("bad node") << kAcct1 << kPwd1 << 3 << '1' << 1003;
        QTest::newRow("market not enabled") << "10880003"
                                            << "111111" << 6 << '2' << 1004;
    }
    void loginRefusals() {
        QFETCH(QString, account);
        QFETCH(QString, password);
        QFETCH(int, node);
        QFETCH(char, market);
        QFETCH(int, error);
        QVERIFY(!login(account.toLatin1().constData(), password.toLatin1().constData(), market, node));
        auto rsp = recorder().named("onRspLoginManager");
        QCOMPARE(rsp.size(), size_t(1));
        QCOMPARE(rsp[0].errorId, error);
        QVERIFY(recorder().named("onRspLogin").empty());
    }

    void entryRulesAndRequestsWithoutLink() {
        QCOMPARE(createTraderApi(-1), MORU_CREATE_OUT_OF_RANGE);
        QCOMPARE(createTraderApi(8), MORU_CREATE_OUT_OF_RANGE);
        QCOMPARE(createTraderApi(0), 0);
        QCOMPARE(createTraderApi(0), MORU_CREATE_ALREADY_EXISTS);
        auto order = zeroed<CMoruReqOrderInsertField>();
        QVERIFY(reqInsertOrder(&order, 1, 0) != 0);   // not logged in
        QVERIFY(reqInsertOrder(&order, 1, 3) != 0);   // no such entry
        QVERIFY(reqInsertOrder(nullptr, 1, 0) != 0);  // no record
        QVERIFY(reqLogin("/nonexistent/api_config.txt", kAcct1, kPwd1, 0, 6, '1', 1) != 0);
        QTemporaryDir empty;
        QFile f(empty.path() + "/api_config.txt");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("ManagerURL=\nQueryURL=\n");
        f.close();
        QVERIFY(reqLogin(f.fileName().toUtf8().constData(), kAcct1, kPwd1, 0, 6, '1', 1) != 0);
        QVERIFY(reqLogin(config.toUtf8().constData(), kAcct1, kPwd1, 4, 6, '1', 1) != 0);
        release(4);  // nothing there: harmless
    }

    void noCounterGivesErrorWithinConnectTimeout() {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        int port = probe.serverPort();
        probe.close();
        QTemporaryDir d;
        QString cfg = fixture::writeConfig(d, port, 0.5);
        recorder().clear();
        QCOMPARE(createTraderApi(0), 0);
        registerSpi(fixture::recordingSpi(), 0);
        QElapsedTimer t;
        t.start();
        QCOMPARE(reqLogin(cfg.toUtf8().constData(), kAcct1, kPwd1, 0, 6, '1', 3), 0);
        QVERIFY(recorder().waitForName("onRspLoginManager", 3000));
        QVERIFY(t.elapsed() < 2000);
        auto e = recorder().named("onRspLoginManager")[0];
        QVERIFY(e.errorId != 0);
        QVERIFY(QString::fromUtf8(e.errorMsg.c_str()).contains(QString("连接柜台")));
        QVERIFY(recorder().named("onFrontManagerQueryConnect").empty());
    }

    void releaseAndCreateAgain() {
        for (int round = 0; round < 3; ++round) {
            QVERIFY2(login(kAcct1, kPwd1, '1'), qPrintable(QString("round %1").arg(round)));
            release(0);
            // Releasing gives no link-loss callbacks.
            QVERIFY(recorder().named("onFrontTradeDisconnected").empty());
        }
    }

    void marketableBuyFillsAndRestingSellCancels() {
        simquote::Level1 q;
        QVERIFY(readQuote(sim.quotePort, "600999", q));
        QVERIFY(q.AskPrice[0] > 0 && q.AskVolume[0] >= 100);
        QVERIFY(login(kAcct1, kPwd1, '1'));
        recorder().clear();

        auto buy = zeroed<CMoruReqOrderInsertField>();
        buy.OrderRef = 11;
        putStr(buy.SecurityID, sizeof buy.SecurityID, "600999");
        buy.Side = '1';
        buy.LimitPrice = q.AskPrice[0];
        buy.OrderQty = 100;
        buy.OrderType = '2';
        buy.OrderFlag = '0';
        QCOMPARE(reqInsertOrder(&buy, 21, 0), 0);
        // Accepted, then filled.
        QVERIFY(recorder().waitForName("onRtnOrder", 3000, 2));
        auto rsp = recorder().named("onRspInsertOrder");
        QCOMPARE(rsp.size(), size_t(1));
        QCOMPARE(rsp[0].errorId, 0);
        QCOMPARE(rsp[0].requestId, 21);
        QCOMPARE(recorder().named("onRtnOrder")[0].as<CMoruRtnOrderField>().OrderStatus, '2');
        auto rtn = recorder().named("onRtnOrder")[1].as<CMoruRtnOrderField>();
        QCOMPARE(rtn.OrderStatus, '8');
        QCOMPARE(fixture::val(rtn.TradeQty), 100u);
        QCOMPARE(fixture::val(rtn.LeavesQty), 0u);
        QVERIFY(strnlen(rtn.OrderText, sizeof rtn.OrderText) > 0);

        recorder().clear();
        auto sell = buy;
        sell.OrderRef = 12;
        sell.Side = '2';
        sell.LimitPrice = q.UpperLimitPrice;
        QCOMPARE(reqInsertOrder(&sell, 22, 0), 0);
        QVERIFY(recorder().waitForName("onRtnOrder", 3000));
        auto rested = recorder().named("onRtnOrder")[0].as<CMoruRtnOrderField>();
        QCOMPARE(rested.OrderStatus, '2');
        QCOMPARE(fixture::val(rested.LeavesQty), 100u);

        recorder().clear();
        auto cancel = zeroed<CMoruReqOrderActionField>();
        cancel.OrderRef = 13;
        cancel.OrderSysID = rested.OrderSysID;
        cancel.OperWay = '1';
        QCOMPARE(reqCancelOrder(&cancel, 23, 0), 0);
        QVERIFY(recorder().waitForName("onRtnOrder", 3000));
        QCOMPARE(recorder().named("onRspCancelOrder")[0].errorId, 0);
        QCOMPARE(recorder().named("onRtnOrder")[0].as<CMoruRtnOrderField>().OrderStatus, '6');

        // Cancelling it twice is refused.
        recorder().clear();
        QCOMPARE(reqCancelOrder(&cancel, 24, 0), 0);
        QVERIFY(recorder().waitForName("onRspCancelOrder", 3000));
        QCOMPARE(recorder().named("onRspCancelOrder")[0].errorId, 2009);

        // The order query shows the filled buy, the cancelled sell and the cancellation record.
        recorder().clear();
        auto qry = zeroed<CMoruReqQryOrderField>();
        putStr(qry.SecurityID, sizeof qry.SecurityID, "600999");
        qry.QueryMode = 2;
        QCOMPARE(reqQryOrder(&qry, 25, 0), 0);
        QVERIFY(recorder().waitFor(
            [](const std::vector<Event>& ev) {
                for (const auto& e : ev)
                    if (e.name == "onRspQryOrder" && e.last) return true;
                return false;
            },
            3000));
        auto recs = recorder().named("onRspQryOrder");
        QCOMPARE(recs.size(), size_t(3));
        auto r0 = recs[0].as<CMoruRspQryOrderField>();
        auto r1 = recs[1].as<CMoruRspQryOrderField>();
        auto r2 = recs[2].as<CMoruRspQryOrderField>();
        QCOMPARE(r0.OrderStatus, '8');
        QCOMPARE(fixture::val(r0.TradeQty), 100u);
        QCOMPARE(r1.OrderStatus, '6');
        QCOMPARE(int(r2.MsgKind), int('g'));
        QVERIFY(!recs[0].last && !recs[1].last && recs[2].last);
        QCOMPARE(int(r2.HasMore), 0);
    }

    void ordersRefusedByTheCounter_data() {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<char>("side");
        QTest::addColumn<double>("price");  // 0 = the day's upper limit
        QTest::addColumn<int>("qty");
        QTest::addColumn<char>("type");
        QTest::addColumn<int>("error");
        QTest::newRow("beyond funds") << QByteArray("600999") << '1' << 0.0 << 10000000 << '2' << 2005;
        QTest::newRow("unknown code") << QByteArray("699998") << '1' << 0.0 << 100 << '2' << 2001;
        QTest::newRow("odd lot buy") << QByteArray("600999") << '1' << 0.0 << 150 << '2' << 2004;
        QTest::newRow("above limit") << QByteArray("600999") << '1' << 99.0 << 100 << '2' << 2002;
        QTest::newRow("off tick") << QByteArray("600999") << '1' << 18.505 << 100 << '2' << 2003;
        QTest::newRow("market type of the other exchange")
            << QByteArray("600999") << '1' << 0.0 << 100 << '4' << 2007;
        QTest::newRow("subscribe a stock") << QByteArray("600999") << '3' << 0.0 << 100 << '2' << 2008;
        QTest::newRow("sell without position") << QByteArray("600999") << '2' << 0.0 << 100 << '2' << 2006;
    }
    void ordersRefusedByTheCounter() {
        QFETCH(QByteArray, code);
        QFETCH(char, side);
        QFETCH(double, price);
        QFETCH(int, qty);
        QFETCH(char, type);
        QFETCH(int, error);
        QVERIFY(login(kAcct2, kPwd2, '1'));
        recorder().clear();
        auto o = zeroed<CMoruReqOrderInsertField>();
        putStr(o.SecurityID, sizeof o.SecurityID, code.constData());
        o.Side = side;
        o.LimitPrice = price > 0 ? price : 20.35;  // the tender stock's upper limit
        o.OrderQty = qty;
        o.OrderType = type;
        QCOMPARE(reqInsertOrder(&o, 30, 0), 0);
        QVERIFY(recorder().waitForName("onRspInsertOrder", 3000));
        QCOMPARE(recorder().named("onRspInsertOrder")[0].errorId, error);
        // The refusal comes as a return too, with its number.
        QVERIFY(recorder().waitForName("onRtnOrder", 3000));
        const auto refused = recorder().named("onRtnOrder")[0];
        QCOMPARE(refused.errorId, error);
        QCOMPARE(refused.as<CMoruRtnOrderField>().OrderStatus, '9');
    }

    void tenderOfferAndWarrantExercise() {
        QVERIFY(login(kAcct1, kPwd1, '1'));
        recorder().clear();
        auto t = zeroed<CMoruReqTenderOfferOrderField>();
        putStr(t.SecurityID, sizeof t.SecurityID, "600999");
        t.Side = '7';
        t.OrderQty = 1000;
        t.ExtFlag = 0xFF;
        std::memcpy(t.TenderOfferorCode, "706002", 6);
        QCOMPARE(reqTenderOfferOrder(&t, 40, 0), 0);
        std::memcpy(t.TenderOfferorCode, "706001", 6);
        QCOMPARE(reqTenderOfferOrder(&t, 41, 0), 0);
        QVERIFY(recorder().waitForName("onRspTenderOfferOrder", 3000, 2));
        auto r = recorder().named("onRspTenderOfferOrder");
        QCOMPARE(r[0].errorId, 2011);
        QCOMPARE(r[1].errorId, 0);
        QVERIFY(r[1].as<CMoruRspTenderOfferOrderField>().OrderSysID != 0);
        release(0);

        QVERIFY(login(kAcct1, kPwd1, '2'));
        recorder().clear();
        auto w = zeroed<CMoruReqWarrantExerciseOrderField>();
        putStr(w.SecurityID, sizeof w.SecurityID, "031001");
        w.Side = '1';
        w.LimitPrice = 5.6;
        w.OrderQty = 1000;
        w.OrderType = '2';
        w.ExtFlag = 0xFF;
        QCOMPARE(reqWarrantExerciseOrder(&w, 42, 0), 0);
        putStr(w.SecurityID, sizeof w.SecurityID, "000001");
        QCOMPARE(reqWarrantExerciseOrder(&w, 43, 0), 0);
        QVERIFY(recorder().waitForName("onRspWarrantExerciseOrder", 3000, 2));
        auto x = recorder().named("onRspWarrantExerciseOrder");
        QCOMPARE(x[0].errorId, 0);
        QCOMPARE(x[1].errorId, 2012);
    }

    void fundsDepositWithdrawalAndRecords() {
        QVERIFY(login(kAcct2, kPwd2, '2'));
        recorder().clear();
        auto rq = zeroed<CMoruReqQryCapTransferRecordField>();
        putStr(rq.AccountID, sizeof rq.AccountID, kAcct2);
        QCOMPARE(reqQryInOutFundRecord(&rq, 50, 0), 0);
        QVERIFY(recorder().waitForName("onRspQryInOutFundRecord", 3000));
        auto none = recorder().named("onRspQryInOutFundRecord");
        QCOMPARE(none.size(), size_t(1));
        QCOMPARE(none[0].as<CMoruRspQryCapTransferRecordField>().TransferDirection, '0');

        recorder().clear();
        auto c = zeroed<CMoruReqCapTransferField>();
        putStr(c.AccountID, sizeof c.AccountID, kAcct2);
        c.Amount = 1000.5;
        QCOMPARE(reqInFund(&c, 51, 0), 0);
        c.Amount = 1e9;
        QCOMPARE(reqOutFund(&c, 52, 0), 0);
        c.Amount = -5;
        QCOMPARE(reqOutFund(&c, 53, 0), 0);
        QVERIFY(recorder().waitForName("onRspOutFund", 3000, 2));
        QCOMPARE(recorder().named("onRspInFund")[0].errorId, 0);
        QCOMPARE(recorder().named("onRspOutFund")[0].errorId, 3001);
        QCOMPARE(recorder().named("onRspOutFund")[1].errorId, 3002);

        recorder().clear();
        auto fq = zeroed<CMoruReqQryStockClientAccountField>();
        putStr(fq.AccountID, sizeof fq.AccountID, kAcct2);
        QCOMPARE(reqQryFund(&fq, 54, 0), 0);
        QCOMPARE(reqQryInOutFundRecord(&rq, 55, 0), 0);
        QVERIFY(recorder().waitForName("onRspQryInOutFundRecord", 3000));
        auto fund = recorder().named("onRspQryFund")[0].as<CMoruRspQryStockClientAccountField>();
        QCOMPARE(fixture::val(fund.AvailableCapital), 600000.0 + 1000.5);
        QCOMPARE(fixture::val(fund.WithdrawableCapital), 600000.0 + 1000.5);
        auto rec = recorder().named("onRspQryInOutFundRecord")[0].as<CMoruRspQryCapTransferRecordField>();
        QCOMPARE(rec.TransferDirection, '1');
        QCOMPARE(fixture::val(rec.Amount), 1000.5);
    }

    void transferAnsweredThenReported() {
        auto fq = zeroed<CMoruReqQryStockClientAccountField>();
        auto szAvailable = [&]() {
            recorder().clear();
            if (reqQryFund(&fq, 62, 0) != 0 || !recorder().waitForName("onRspQryFund", 3000)) return -1.0;
            return recorder()
                .named("onRspQryFund")[0]
                .as<CMoruRspQryStockClientAccountField>()
                .AvailableCapital;
        };
        QVERIFY(login(kAcct1, kPwd1, '2'));
        double before = szAvailable();
        QVERIFY(before > 0);
        release(0);
        QVERIFY(login(kAcct1, kPwd1, '1'));
        recorder().clear();
        auto t = zeroed<CMoruReqBTCapTransferManagerField>();
        putStr(t.AccountID, sizeof t.AccountID, kAcct1);
        t.Amount = 2500;
        t.TransferDirection = '1';
        QCOMPARE(reqBTFundTransfer(&t, 60, 0), 0);
        QVERIFY(recorder().waitForName("onRtnBTFundTransfer", 3000));
        std::vector<std::string> order;
        for (const auto& e : recorder().events())
            if (e.name.find("BTFundTransfer") != std::string::npos) order.push_back(e.name);
        QCOMPARE(order, (std::vector<std::string>{"onRspBTFundTransfer", "onRtnBTFundTransfer"}));
        auto rtn = recorder().named("onRtnBTFundTransfer")[0];
        QCOMPARE(rtn.errorId, 0);
        QCOMPARE(rtn.as<CMoruRtnBtCapTransferManagerField>().TransferStatus, '6');

        recorder().clear();
        auto q = zeroed<CMoruReqQryBTCapTransferManagerField>();
        QCOMPARE(reqQryBTFundTransferRecord(&q, 61, 0), 0);
        QVERIFY(recorder().waitForName("onRspQryBTFundTransferRecord", 3000));
        auto r =
            recorder().named("onRspQryBTFundTransferRecord")[0].as<CMoruRspQryBTCapTransferManagerField>();
        QCOMPARE(r.TransferStatus, '6');
        QCOMPARE(fixture::val(r.Amount), 2500.0);
        QCOMPARE(r.TransferDirection, '1');
        release(0);

        // The money arrived on the Shenzhen counter.
        QVERIFY(login(kAcct1, kPwd1, '2'));
        QCOMPARE(szAvailable(), before + 2500);
    }

    void passwordChangeAppliesToNextLogin() {
        QVERIFY(login(kAcct2, kPwd2, '1'));
        recorder().clear();
        auto p = zeroed<CMoruReqUserPasswordUpdateField>();
        putStr(p.AccountID, sizeof p.AccountID, kAcct2);
        std::memcpy(p.NewPassword, "abc12345", 8);
        std::memcpy(p.OldPassword, "wrong1", 6);
        QCOMPARE(reqUpdatePwd(&p, 70, 0), 0);
        std::memcpy(p.OldPassword, kPwd2, 6);
        QCOMPARE(reqUpdatePwd(&p, 71, 0), 0);
        QVERIFY(recorder().waitForName("onRspUpdatePwd", 3000, 2));
        QCOMPARE(recorder().named("onRspUpdatePwd")[0].errorId, 4001);
        QCOMPARE(recorder().named("onRspUpdatePwd")[1].errorId, 0);
        release(0);
        QVERIFY(!login(kAcct2, kPwd2, '1'));
        release(0);
        QVERIFY(login(kAcct2, "abc12345", '1'));
        // Put it back for the other tests.
        std::memcpy(p.NewPassword, kPwd2, 7);
        std::memset(p.OldPassword, 0, sizeof p.OldPassword);
        std::memcpy(p.OldPassword, "abc12345", 8);
        recorder().clear();
        QCOMPARE(reqUpdatePwd(&p, 72, 0), 0);
        QVERIFY(recorder().waitForName("onRspUpdatePwd", 3000));
        QCOMPARE(recorder().named("onRspUpdatePwd")[0].errorId, 0);
    }

    void quoteFramesDecodeToPublishedValues() {
        QFile f(QString(MORU_SOURCE_DIR) + "/sim/data/demo.json");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QJsonObject wanted;
        for (const auto& v : QJsonDocument::fromJson(f.readAll()).object().value("securities").toArray())
            if (v.toObject().value("code").toString() == "031001") wanted = v.toObject();
        QVERIFY(!wanted.isEmpty());
        simquote::Level1 q;
        QVERIFY(readQuote(sim.quotePort, "031001", q));
        QTextCodec* gbk = QTextCodec::codecForName("GBK");
        QCOMPARE(gbk->toUnicode(q.SecurityName, int(strnlen(q.SecurityName, sizeof q.SecurityName))),
                 wanted.value("name").toString());
        QCOMPARE(fixture::val(q.PreClosePrice), wanted.value("preClose").toDouble());
        QVERIFY(q.LastPrice >= q.LowerLimitPrice && q.LastPrice <= q.UpperLimitPrice);
        for (int k = 0; k < 4; ++k) {
            QVERIFY(q.BidPrice[k] > q.BidPrice[k + 1]);
            QVERIFY(q.AskPrice[k] < q.AskPrice[k + 1]);
        }
        QVERIFY(q.BidPrice[0] < q.AskPrice[0]);
    }

    void quoteFaultsGarbageAndPartialFrame() {
        QTcpSocket s;
        s.connectToHost("127.0.0.1", quint16(sim.quotePort));
        QVERIFY(s.waitForConnected(2000));
        QByteArray b;
        QElapsedTimer t;
        t.start();
        while (b.size() < int(simquote::kFrameSize) && t.elapsed() < 2000)
            if (s.waitForReadyRead(100)) b += s.readAll();
        QVERIFY(sim.control(moru_wire::kCtlQuoteGarbage, 3));
        QVERIFY(sim.control(moru_wire::kCtlQuotePartial, 100));
        while (s.state() == QAbstractSocket::ConnectedState && t.elapsed() < 4000)
            if (s.waitForReadyRead(100)) b += s.readAll();
        b += s.readAll();
        QVERIFY(s.state() != QAbstractSocket::ConnectedState);
        // Whole frames, exactly three garbage groups between two of them, and a cut frame at the end.
        int garbage = 0, frames = 0, pos = 0;
        while (b.size() - pos >= 4) {
            int32_t type;
            std::memcpy(&type, b.constData() + pos, 4);
            if (type == simquote::kMsgTypeLevel1) {
                if (b.size() - pos < int(simquote::kFrameSize)) break;
                pos += int(simquote::kFrameSize);
                ++frames;
            } else {
                QCOMPARE(b.mid(pos, 4), QByteArray("\xde\xad\xbe\xef", 4));
                pos += 4;
                ++garbage;
            }
        }
        QCOMPARE(garbage, 3);
        QVERIFY(frames > 0);
        QCOMPARE(b.size() - pos, 100);
    }

    void twentyFiveThousandOrdersInPages() {
        fixture::Sim big;
        QVERIFY(
            big.start({"--big-account", QString(kAcct2) + ":25000:1", "--page-size", "1000", "--no-walk"}));
        config = fixture::writeConfig(dir, big.counterPort);
        bool ok = login(kAcct2, kPwd2, '1');
        config = fixture::writeConfig(dir, sim.counterPort);
        QVERIFY(ok);
        recorder().clear();
        QSet<uint32_t> seen;
        int records = 0, pages = 0;
        int32_t position = 0;
        QElapsedTimer t;
        t.start();
        bool more = true;
        while (more && pages < 100 && t.elapsed() < 20000) {
            auto q = zeroed<CMoruReqQryOrderField>();
            q.QueryMode = 2;
            q.QueryPosition = position;
            recorder().clear();
            QCOMPARE(reqQryOrder(&q, 100 + pages, 0), 0);
            QVERIFY(recorder().waitFor(
                [](const std::vector<Event>& ev) { return !ev.empty() && ev.back().last; }, 5000));
            ++pages;
            more = false;
            for (const auto& e : recorder().named("onRspQryOrder")) {
                QCOMPARE(e.errorId, 0);
                auto r = e.as<CMoruRspQryOrderField>();
                uint32_t id = r.OrderSysID;
                QVERIFY2(!seen.contains(id), "order delivered twice");
                seen.insert(id);
                ++records;
                if (e.last) {
                    more = r.HasMore != 0;
                    position = r.NextPosition;
                } else {
                    QCOMPARE(int(r.HasMore), 0);
                }
            }
        }
        QCOMPARE(records, 25000);
        QCOMPARE(pages, 25);
        QVERIFY(!more);

        auto lastPage = [](const std::vector<Event>& ev) { return !ev.empty() && ev.back().last; };
        // Time window: only orders received inside it, fewer than all.
        auto q = zeroed<CMoruReqQryOrderField>();
        q.QueryMode = 2;
        std::memcpy(q.StartTime, "100000000", 9);
        std::memcpy(q.EndTime, "100500000", 9);
        recorder().clear();
        QCOMPARE(reqQryOrder(&q, 300, 0), 0);
        QVERIFY(recorder().waitFor(lastPage, 5000));
        auto window = recorder().named("onRspQryOrder");
        QVERIFY(window.size() > 10 && window.size() < 1000);
        for (const auto& e : window) {
            auto r = e.as<CMoruRspQryOrderField>();
            QByteArray t(r.RecvTime, 9);
            QVERIFY2(t >= "100000000" && t <= "100500000", t.constData());
        }
        // Order number: that order alone; trades filtered by its code.
        uint32_t id = window[3].as<CMoruRspQryOrderField>().OrderSysID;
        q = zeroed<CMoruReqQryOrderField>();
        q.QueryMode = 2;
        q.OrderSysID = int32_t(id);
        recorder().clear();
        QCOMPARE(reqQryOrder(&q, 301, 0), 0);
        QVERIFY(recorder().waitFor(lastPage, 5000));
        QCOMPARE(recorder().named("onRspQryOrder").size(), size_t(1));
        auto one = recorder().named("onRspQryOrder")[0].as<CMoruRspQryOrderField>();
        QCOMPARE(fixture::val(one.OrderSysID), id);
        auto tq = zeroed<CMoruReqQryTradeField>();
        tq.QueryMode = 2;
        std::memcpy(tq.SecurityID, one.SecurityID, sizeof tq.SecurityID);
        recorder().clear();
        QCOMPARE(reqQryTrade(&tq, 302, 0), 0);
        QVERIFY(recorder().waitFor(lastPage, 5000));
        auto trades = recorder().named("onRspQryTrade");
        QVERIFY(!trades.empty());
        for (const auto& e : trades)
            QCOMPARE(QByteArray(e.as<CMoruRspQryTradeField>().SecurityID), QByteArray(one.SecurityID, 6));
        // A window with nothing in it is still answered.
        q = zeroed<CMoruReqQryOrderField>();
        q.QueryMode = 2;
        std::memcpy(q.StartTime, "160000000", 9);
        recorder().clear();
        QCOMPARE(reqQryOrder(&q, 303, 0), 0);
        QVERIFY(recorder().waitFor(lastPage, 5000));
        QVERIFY(recorder().named("onRspQryOrder")[0].errorId != 0);
    }

    void killingTheCounterLosesAllThreeLinks() {
        fixture::Sim doomed;
        QVERIFY(doomed.start());
        config = fixture::writeConfig(dir, doomed.counterPort);
        bool ok = login(kAcct1, kPwd1, '1');
        config = fixture::writeConfig(dir, sim.counterPort);
        QVERIFY(ok);
        doomed.kill();
        QVERIFY(recorder().waitFor(
            [](const std::vector<Event>& ev) {
                return fixture::Recorder::countOf(ev, "onFrontManagerQueryDisconnected") == 1 &&
                       fixture::Recorder::countOf(ev, "onFrontQueryDisconnected") == 1 &&
                       fixture::Recorder::countOf(ev, "onFrontTradeDisconnected") == 1;
            },
            3000));
        QCOMPARE(recorder().named("onFrontTradeDisconnected")[0].reason, int(moru_wire::kReasonReadFailed));
        auto order = zeroed<CMoruReqOrderInsertField>();
        QVERIFY(reqInsertOrder(&order, 1, 0) != 0);
    }

    void silentCounterTimesOutOnHeartbeats() {
        fixture::Sim quiet;
        QVERIFY(quiet.start());
        config = fixture::writeConfig(dir, quiet.counterPort, 1, 0.1, 2);
        bool ok = login(kAcct1, kPwd1, '1');
        config = fixture::writeConfig(dir, sim.counterPort);
        QVERIFY(ok);
        // Answering heartbeats keeps the links.
        QTest::qWait(400);
        QVERIFY(recorder().named("onFrontQueryDisconnected").empty());
        QVERIFY(quiet.control(moru_wire::kCtlHeartbeatsOff));
        QVERIFY(recorder().waitForName("onFrontQueryDisconnected", 2000));
        QCOMPARE(recorder().named("onFrontQueryDisconnected")[0].reason,
                 int(moru_wire::kReasonHeartbeatTimeout));
    }

    void droppedTradeLinkReportsOnlyThatLink() {
        QVERIFY(login(kAcct1, kPwd1, '1'));
        QVERIFY(sim.control(moru_wire::kCtlDropTrade, 0, kAcct1));
        QVERIFY(recorder().waitForName("onFrontTradeDisconnected", 2000));
        QTest::qWait(100);
        QVERIFY(recorder().named("onFrontQueryDisconnected").empty());
        QVERIFY(recorder().named("onFrontManagerQueryDisconnected").empty());
    }
};

QTEST_GUILESS_MAIN(TestTradeApiLoopback)
#include "test_tradeapi_loopback.moc"
