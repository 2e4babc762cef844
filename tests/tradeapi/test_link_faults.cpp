// The library against a counter that misbehaves (answers out of turn, sends its error table
// wrongly, announces absurd heartbeats, stops reading), against callers that race, and with
// names to resolve. The library is built into this test, so its resolver seam can be reached.
#include <dirent.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "error_texts.h"
#include "fake_counter.h"
#include "link.h"
#include "resolver.h"
#include "sim_fixture.h"

using fixture::FakeCounter;
using fixture::recorder;
using moru_wire::Msg;

namespace {

constexpr uint8_t kManager = moru_wire::kLinkManager;
constexpr uint8_t kQuery = moru_wire::kLinkQuery;
constexpr uint8_t kTrade = moru_wire::kLinkTrade;

template <typename T>
T zeroed() {
    T t;
    std::memset(&t, 0, sizeof t);
    return t;
}

QString writeConfig(QTemporaryDir& dir, const QString& urls, double timeout = 2, double heartbeat = 1,
                    int misses = 3) {
    QString path = dir.path() + "/api_config.txt";
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(QString("ManagerURL=%1\nQueryURL=%1\nTcpConnectTimeout=%2\nHeartBeatInterval=%3\n"
                    "HeartBeatTimeOutCnt=%4\n")
                .arg(urls)
                .arg(timeout)
                .arg(heartbeat)
                .arg(misses)
                .toUtf8());
    return path;
}

QString loopback(const FakeCounter& fake) {
    return QString("tcp://127.0.0.1:%1").arg(fake.port());
}

bool startLogin(const QString& config, const CMoruTraderSpi& spi = fixture::recordingSpi()) {
    recorder().clear();
    if (createTraderApi(0) != 0) return false;
    registerSpi(spi, 0);
    return reqLogin(config.toUtf8().constData(), "10880001", "123456", 0, 6, '1', 7) == 0;
}

// True once the trade link's login answer came back without error.
bool loginCompletes(const QString& config, const CMoruTraderSpi& spi = fixture::recordingSpi()) {
    if (!startLogin(config, spi)) return false;
    if (!recorder().waitForName("onRspInitTrader", 3000)) return false;
    return recorder().named("onRspInitTrader")[0].errorId == 0;
}

QStringList apiMessages(const char* containing = "") {
    QStringList out;
    for (const auto& e : recorder().named("onApiMsg"))
        if (e.errorMsg.find(containing) != std::string::npos) out << QString::fromStdString(e.errorMsg);
    return out;
}

size_t count(const char* name) {
    return recorder().named(name).size();
}

// Sends an answer on `kind` and waits for its callback: everything sent before it on that link
// has been handled by then.
bool sync(FakeCounter& fake, uint8_t kind) {
    const char* name = kind == kManager ? "onRspQryBTFundTransferRecord"
                       : kind == kQuery ? "onRspQryFund"
                                        : "onRspInsertOrder";
    size_t before = count(name);
    std::vector<uint8_t> f =
        kind == kManager ? FakeCounter::response(Msg::RspQryBTFundTransferRecord,
                                                 sizeof(CMoruRspQryBTCapTransferManagerField))
        : kind == kQuery ? FakeCounter::response(Msg::RspQryFund, sizeof(CMoruRspQryStockClientAccountField))
                         : FakeCounter::response(Msg::RspInsertOrder, sizeof(CMoruRspOrderInsertField));
    return fake.send(kind, f) && recorder().waitForName(name, 3000, before + 1);
}

int threadCount() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

std::atomic<bool> g_slowEntered{false}, g_slowDone{false};

void slowQryFund(CMoruRspQryStockClientAccountField*, CMoruRspInfo*, int, bool) {
    g_slowEntered = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    g_slowDone = true;
}

// Whether the thread that ran the first callback had a signal stack of its own (0 unknown, 1 yes, 2 no).
std::atomic<int> g_callbackAltStack{0};
void connectNotingAltStack() {
    stack_t ss{};
    g_callbackAltStack = (sigaltstack(nullptr, &ss) == 0 && !(ss.ss_flags & SS_DISABLE)) ? 1 : 2;
    fixture::recordingSpi().onFrontManagerQueryConnect();
}

bool noLinkLost() {
    return count("onFrontManagerQueryDisconnected") + count("onFrontQueryDisconnected") +
               count("onFrontTradeDisconnected") ==
           0;
}

}  // namespace

class TestLinkFaults : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

private slots:
    void cleanup() {
        release(0);
        moru::setResolveHook(nullptr);
    }

    void releaseRacingLoginLeavesNoThreadBehind() {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        QString cfg = writeConfig(dir, QString("tcp://127.0.0.1:%1").arg(probe.serverPort()));
        probe.close();  // the port refuses: the login keeps trying while it is released
        const int baseline = threadCount();
        for (int round = 0; round < 300; ++round) {
            QCOMPARE(createTraderApi(0), 0);
            std::atomic<bool> go{false};
            std::thread login([&] {
                while (!go) {
                }
                reqLogin(cfg.toUtf8().constData(), "10880001", "123456", 0, 6, '1', 1);
            });
            go = true;
            // Spread the release over the whole of the login's start.
            auto until = std::chrono::steady_clock::now() + std::chrono::microseconds((round % 60) * 4);
            while (std::chrono::steady_clock::now() < until) {
            }
            QCOMPARE(release(0), 0);
            login.join();
            release(0);
        }
        // A thread just joined may still be leaving the process's task list on a loaded machine.
        QTRY_VERIFY_WITH_TIMEOUT(threadCount() <= baseline, 2000);
    }

    void aSecondReleaseWaitsForTheFirst() {
        FakeCounter fake;
        CMoruTraderSpi spi = fixture::recordingSpi();
        spi.onRspQryFund = slowQryFund;
        g_slowEntered = g_slowDone = false;
        QVERIFY(loginCompletes(writeConfig(dir, loopback(fake)), spi));
        QVERIFY(fake.send(
            kQuery, FakeCounter::response(Msg::RspQryFund, sizeof(CMoruRspQryStockClientAccountField))));
        QVERIFY(fake.waitFor([] { return g_slowEntered.load(); }, 3000));
        std::thread first([] { release(0); });
        // The first release has taken the entry once a request finds none.
        auto rec = zeroed<CMoruReqQryStockClientAccountField>();
        QVERIFY(fake.waitFor([&] { return reqQryFund(&rec, 1, 0) == -1; }, 3000));
        QCOMPARE(release(0), 0);
        const bool finished = g_slowDone;
        first.join();
        QVERIFY2(finished, "the second release returned while the first still waited for a callback");
    }

    void errorTextsComeOncePerLoginOnTheQueryLink() {
        const std::string longText = "Funds are not sufficient for this order";
        FakeCounter::Options o;
        FakeCounter::addError(o.errorTable, 7001, '1', longText);
        FakeCounter::addError(o.errorTable, 7002, '2', "short");
        FakeCounter fake(o);
        QVERIFY(loginCompletes(writeConfig(dir, loopback(fake))));
        const char* kept = getErrMsgEx(7001, '1', 1, 0);
        QCOMPARE(QByteArray(kept), QByteArray(longText.c_str()));
        QCOMPARE(QByteArray(getErrMsgEx(7002, '2', 1, 0)), QByteArray("short"));
        QCOMPARE(QByteArray(getErrMsgEx(7002, '1', 1, 0)), QByteArray());

        std::vector<uint8_t> again;
        FakeCounter::addError(again, 7001, '1', "replaced");
        FakeCounter::addError(again, 7003, '1', "new");
        QVERIFY(fake.send(kQuery, FakeCounter::frame(Msg::ErrorTable, again)));
        QVERIFY(sync(fake, kQuery));
        QVERIFY(fake.send(kManager, FakeCounter::frame(Msg::ErrorTable, again)));
        QVERIFY(sync(fake, kManager));
        QCOMPARE(QByteArray(getErrMsgEx(7001, '1', 1, 0)), QByteArray(longText.c_str()));
        QCOMPARE(QByteArray(getErrMsgEx(7003, '1', 1, 0)), QByteArray());
        QCOMPARE(
            apiMessages(" ignored "),
            QStringList({"query link: ignored a frame of type 114: the error table came already",
                         "manager link: ignored a frame of type 114: the error table belongs to the query "
                         "link"}));
        QVERIFY(noLinkLost());

        // What was handed out stays readable after the entry is gone.
        release(0);
        QCOMPARE(QByteArray(kept), QByteArray(longText.c_str()));
        QCOMPARE(QByteArray(getErrMsgEx(7001, '1', 1, 0)), QByteArray());
    }

    void errorTablesAreCapped() {
        std::string note;
        // Entries beyond the cap are left out.
        moru::TextStore store(4u << 20);
        moru::ErrorTexts byCount(store);
        std::vector<uint8_t> table;
        for (int i = 0; i < 5000; ++i) FakeCounter::addError(table, i, '1', "e" + std::to_string(i));
        QVERIFY(byCount.accept(table.data(), table.size(), &note));
        QCOMPARE(QByteArray(byCount.find(4095, '1')), QByteArray("e4095"));
        QCOMPARE(QByteArray(byCount.find(4096, '1')), QByteArray());
        QCOMPARE(note, std::string("904 error texts beyond 4096 entries or 524288 bytes left out"));
        QVERIFY(!byCount.accept(table.data(), table.size(), &note));

        // So is text beyond the table's byte cap: 2056 texts of 255 bytes fit in 512 KiB.
        moru::ErrorTexts byBytes(store);
        table.clear();
        for (int i = 0; i < 2100; ++i)
            FakeCounter::addError(table, i, '2', std::string(250, 'x') + std::to_string(10000 + i));
        QVERIFY(byBytes.accept(table.data(), table.size(), &note));
        QCOMPARE(std::strlen(byBytes.find(2055, '2')), size_t(255));
        QCOMPARE(QByteArray(byBytes.find(2056, '2')), QByteArray());
        QCOMPARE(note, std::string("44 error texts beyond 4096 entries or 524288 bytes left out"));

        // A full store keeps what it has, shares equal texts between logins and takes nothing new.
        moru::TextStore small(64);
        moru::ErrorTexts first(small), second(small);
        table.clear();
        for (int i = 0; i < 3; ++i) FakeCounter::addError(table, i, '1', std::string(20, char('a' + i)));
        QVERIFY(first.accept(table.data(), table.size(), &note));
        QCOMPARE(note, std::string());
        FakeCounter::addError(table, 3, '1', "d");
        QVERIFY(second.accept(table.data(), table.size(), &note));
        QCOMPARE(note, std::string("1 error texts left out: the store of error texts is full"));
        for (int i = 0; i < 3; ++i) QCOMPARE(second.find(i, '1'), first.find(i, '1'));
        QCOMPARE(QByteArray(second.find(3, '1')), QByteArray());
        QCOMPARE(small.bytes(), size_t(63));
    }

    void requestsWaitForTheLoginAnswer() {
        FakeCounter::Options o;
        o.answerLogin[kManager] = false;
        FakeCounter fake(o);
        QVERIFY(startLogin(writeConfig(dir, loopback(fake), 5)));
        auto asked = [&] {
            auto r = fake.received(kManager);
            return !r.empty() && r[0] == uint16_t(Msg::ReqLoginManager);
        };
        QVERIFY(fake.waitFor(asked, 3000));
        auto rec = zeroed<CMoruReqQryBTCapTransferManagerField>();
        QVERIFY(reqQryBTFundTransferRecord(&rec, 5, 0) != 0);

        QVERIFY(fake.send(kManager, FakeCounter::loginAnswer(Msg::RspLoginManager)));
        QVERIFY(recorder().waitForName("onRspLoginManager", 3000));
        QCOMPARE(reqQryBTFundTransferRecord(&rec, 6, 0), 0);
        auto requests = [&] {
            std::vector<uint16_t> out;
            for (uint16_t t : fake.received(kManager))
                if (t != uint16_t(Msg::Heartbeat)) out.push_back(t);
            return out;
        };
        const std::vector<uint16_t> expected{uint16_t(Msg::ReqLoginManager),
                                             uint16_t(Msg::ReqQryBTFundTransferRecord)};
        QVERIFY(fake.waitFor([&] { return requests().size() >= 2; }, 3000));
        QCOMPARE(requests(), expected);
    }

    void libraryThreadsHaveASignalStack() {
        // A host's crash handler runs on the alternate stack; a thread without one dies silently of
        // a stack overflow.
        FakeCounter fake;
        CMoruTraderSpi spi = fixture::recordingSpi();
        spi.onFrontManagerQueryConnect = connectNotingAltStack;
        g_callbackAltStack = 0;
        QVERIFY(loginCompletes(writeConfig(dir, loopback(fake)), spi));
        QCOMPARE(g_callbackAltStack.load(), 1);
    }

    void answersThatDoNotFitAreIgnored_data() {
        QTest::addColumn<int>("link");
        QTest::addColumn<QByteArray>("frames");
        QTest::addColumn<QStringList>("messages");
        auto bytes = [](std::initializer_list<std::vector<uint8_t>> parts) {
            QByteArray out;
            for (const auto& p : parts) out.append(reinterpret_cast<const char*>(p.data()), int(p.size()));
            return out;
        };
        QTest::newRow("second manager login answer")
            << int(kManager) << bytes({FakeCounter::loginAnswer(Msg::RspLoginManager)})
            << QStringList{
                   "manager link: ignored a frame of type 110: the link is not waiting for a login answer"};
        QTest::newRow("query login answer on the manager link")
            << int(kManager) << bytes({FakeCounter::loginAnswer(Msg::RspLogin)})
            << QStringList{"manager link: ignored a frame of type 111: the login answer of another link"};
        QTest::newRow("second query login answer with its data")
            << int(kQuery)
            << bytes({FakeCounter::loginAnswer(Msg::RspLogin), FakeCounter::dataReady(),
                      FakeCounter::dataReady()})
            << QStringList{
                   "query link: ignored a frame of type 111: the link is not waiting for a login answer",
                   "query link: ignored a frame of type 113: the data was ready already",
                   "query link: ignored a frame of type 113: the data was ready already"};
        QTest::newRow("trade login answer on the query link")
            << int(kQuery) << bytes({FakeCounter::loginAnswer(Msg::RspInitTrader)})
            << QStringList{"query link: ignored a frame of type 112: the login answer of another link"};
        QTest::newRow("data-ready on the trade link")
            << int(kTrade) << bytes({FakeCounter::dataReady()})
            << QStringList{"trade link: ignored a frame of type 113: data-ready belongs to the query link"};
    }
    void answersThatDoNotFitAreIgnored() {
        QFETCH(int, link);
        QFETCH(QByteArray, frames);
        QFETCH(QStringList, messages);
        FakeCounter fake;
        QVERIFY(loginCompletes(writeConfig(dir, loopback(fake))));
        QVERIFY(fake.send(uint8_t(link), std::vector<uint8_t>(frames.begin(), frames.end())));
        QVERIFY(sync(fake, uint8_t(link)));
        QCOMPARE(apiMessages(" ignored "), messages);
        QCOMPARE(count("onRspLoginManager"), size_t(1));
        QCOMPARE(count("onRspLogin"), size_t(1));
        QCOMPARE(count("onDataReady"), size_t(2));
        QCOMPARE(count("onRspInitTrader"), size_t(1));
        for (uint8_t k : {kManager, kQuery, kTrade}) QCOMPARE(fake.connections(k), 1);
        QVERIFY(noLinkLost());
    }

    // Answers in a burst of many reads, or in crumbs: every record arrives once, whole and in order.
    void answersArriveWholeHoweverTheBytesCome_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("piece");  // bytes per send, 0 for all at once
        QTest::newRow("a burst of many reads") << 3000 << 0;
        QTest::newRow("a few bytes at a time") << 12 << 5;
    }
    void answersArriveWholeHoweverTheBytesCome() {
        QFETCH(int, records);
        QFETCH(int, piece);
        FakeCounter fake;
        QVERIFY(loginCompletes(writeConfig(dir, loopback(fake))));
        std::vector<uint8_t> bytes, body(sizeof(CMoruRspInfo) + sizeof(CMoruRspQryOrderField), 0);
        for (int i = 0; i < records; ++i) {
            auto r = zeroed<CMoruRspQryOrderField>();
            r.OrderSysID = uint32_t(i + 1);
            r.LimitPrice = i + 0.5;
            std::memcpy(body.data() + sizeof(CMoruRspInfo), &r, sizeof r);
            moru_wire::appendFrame(bytes, Msg::RspQryOrder, 100 + i,
                                   i + 1 == records ? moru_wire::kFlagLast : 0, body.data(), body.size());
        }
        const size_t step = piece ? size_t(piece) : bytes.size();
        for (size_t at = 0; at < bytes.size(); at += step)
            QVERIFY(fake.send(kQuery, std::vector<uint8_t>(bytes.begin() + std::ptrdiff_t(at),
                                                           bytes.begin() + std::ptrdiff_t(std::min(
                                                                               bytes.size(), at + step)))));
        QVERIFY(recorder().waitForName("onRspQryOrder", 5000, size_t(records)));
        const auto got = recorder().named("onRspQryOrder");
        QCOMPARE(got.size(), size_t(records));
        for (int i = 0; i < records; ++i) {
            const auto r = got[size_t(i)].as<CMoruRspQryOrderField>();
            QCOMPARE(fixture::val(r.OrderSysID), uint32_t(i + 1));
            QCOMPARE(fixture::val(r.LimitPrice), i + 0.5);
            QCOMPARE(got[size_t(i)].requestId, 100 + i);
            QCOMPARE(got[size_t(i)].last, i + 1 == records);
        }
        QVERIFY(noLinkLost());
    }

    void hugeHeartbeatIntervalIsKeptInRange() {
        FakeCounter::Options o;
        o.heartbeatSec = 2147483647;
        FakeCounter fake(o);
        QVERIFY(loginCompletes(writeConfig(dir, loopback(fake), 2, 0.05, 10)));
        QTest::qWait(300);  // several ticks of the configured interval
        QVERIFY(noLinkLost());
        QCOMPARE(apiMessages("heartbeat"),
                 QStringList{"query link: the counter's heartbeat interval of 2147483647 s taken as 3600 s"});
    }

    void aCounterThatStopsReadingLosesTheLink() {
        FakeCounter fake;
        QVERIFY(loginCompletes(writeConfig(dir, loopback(fake), 2, 3600)));
        fake.stopReading(kQuery);
        auto rec = zeroed<CMoruReqQryOrderField>();
        size_t sent = 0;
        bool refused = false;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 150000 && t.elapsed() < 10000; ++i) {
            if (reqQryOrder(&rec, i, 0) != 0) {
                refused = true;
                break;
            }
            ++sent;
        }
        QVERIFY2(refused, qPrintable(QString("%1 requests queued").arg(sent)));
        QVERIFY(sent * (sizeof rec + moru_wire::kHeaderSize) > moru::kMaxQueuedBytes);
        QVERIFY(recorder().waitForName("onFrontQueryDisconnected", 3000));
        QCOMPARE(recorder().named("onFrontQueryDisconnected")[0].reason,
                 int(moru_wire::kReasonSendQueueFull));
        QCOMPARE(apiMessages("lost"),
                 QStringList{"query link lost: the counter does not read: 4194304 bytes waiting"});
        QCOMPARE(count("onFrontManagerQueryDisconnected") + count("onFrontTradeDisconnected"), size_t(0));
        QVERIFY(reqQryOrder(&rec, 1, 0) != 0);
    }

    void hostNamesAreResolved() {
        FakeCounter fake;
        QVERIFY(loginCompletes(writeConfig(dir, QString("tcp://localhost:%1").arg(fake.port()))));
        const QString port = QString::number(fake.port());
        QCOMPARE(apiMessages("connected"), QStringList({"manager link connected to localhost:" + port,
                                                        "query link connected to localhost:" + port,
                                                        "trade link connected to localhost:" + port}));
        release(0);

        // Through the seam: a name that does not resolve, then one that does.
        moru::setResolveHook([](const std::string& host, std::vector<std::string>* addrs, std::string* why) {
            if (host != "counter.test") return *why = "unknown host", false;
            addrs->push_back("127.0.0.1");
            return true;
        });
        QVERIFY(loginCompletes(
            writeConfig(dir, QString("tcp://nowhere.test:4000;tcp://counter.test:%1").arg(fake.port()))));
        QCOMPARE(apiMessages("resolve"),
                 QStringList({"manager link: cannot resolve nowhere.test: unknown host",
                              "query link: cannot resolve nowhere.test: unknown host"}));
        QCOMPARE(apiMessages("connected"), QStringList({"manager link connected to counter.test:" + port,
                                                        "query link connected to counter.test:" + port,
                                                        "trade link connected to counter.test:" + port}));
        release(0);
        // "localhost" needs no lookup at all, not even the hook's (a machine may have no hosts file).
        moru::setResolveHook([](const std::string&, std::vector<std::string>*, std::string* why) {
            return *why = "no lookups here", false;
        });
        QVERIFY(loginCompletes(writeConfig(dir, QString("tcp://LocalHost:%1").arg(fake.port()))));
    }

    void anUnresolvableNameHasItsOwnText() {
        moru::setResolveHook([](const std::string&, std::vector<std::string>*, std::string* why) {
            *why = "unknown host";
            return false;
        });
        QElapsedTimer t;
        t.start();
        QVERIFY(startLogin(writeConfig(dir, "tcp://nowhere.test:4000;tcp://elsewhere.test:4001", 5)));
        QVERIFY(recorder().waitForName("onRspLoginManager", 3000));
        QVERIFY(t.elapsed() < 3000);  // at once, not after the five-second connect time-out
        auto e = recorder().named("onRspLoginManager")[0];
        QCOMPARE(e.errorId, 9001);
        QCOMPARE(QString::fromStdString(e.errorMsg), QString("无法解析柜台地址，请检查柜台地址"));
        QCOMPARE(apiMessages("manager link: "),
                 QStringList({"manager link: cannot resolve nowhere.test: unknown host",
                              "manager link: cannot resolve elsewhere.test: unknown host",
                              "manager link: 无法解析柜台地址，请检查柜台地址"}));
        QCOMPARE(count("onFrontManagerQueryConnect"), size_t(0));
    }

    void exitLeavesTheSessionWithoutLoggingOut_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("logout");
        QTest::newRow("exit") << "exit" << false;
        QTest::newRow("release, then exit") << "release" << true;
    }
    void exitLeavesTheSessionWithoutLoggingOut() {
        QFETCH(QString, mode);
        QFETCH(bool, logout);
        FakeCounter fake;
        QProcess helper;
        helper.setProcessChannelMode(QProcess::ForwardedChannels);
        helper.start(MORU_EXIT_HELPER_PATH, {writeConfig(dir, loopback(fake)), mode});
        QVERIFY(helper.waitForFinished(10000));
        QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
        QCOMPARE(helper.exitCode(), 0);
        QVERIFY(fake.waitFor([&] { return fake.closed(kManager); }, 3000));
        auto got = fake.received(kManager);
        QCOMPARE(std::count(got.begin(), got.end(), uint16_t(Msg::ReqLogout)) == 1, logout);
    }
};

QTEST_GUILESS_MAIN(TestLinkFaults)
#include "test_link_faults.moc"
