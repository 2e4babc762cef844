#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <cstring>
#include <functional>

#include "captured_log.h"
#include "fake_tradeapi.h"
#include "utils/api_client_utils.h"
#include "utils/api_state.h"
#include "utils/signal_interface.h"

namespace {

CMoruRspInfo rspInfo(int errorId, const char* text) {
    CMoruRspInfo info{};
    info.ErrorID = errorId;
    std::strncpy(info.ErrorMsg, text, sizeof(info.ErrorMsg) - 1);
    return info;
}

// Fills a record with a recognisable byte pattern.
template <typename T>
T patterned(uchar seed) {
    T record;
    auto* bytes = reinterpret_cast<uchar*>(&record);
    for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = uchar(seed + i * 7);
    return record;
}

template <typename T>
bool sameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

void fire(const std::function<void(const CMoruTraderSpi&)>& call) {
    fakeapi::fireOnOwnThread(call);
}

}  // namespace

class TestApiCallbacks : public QObject {
    Q_OBJECT

private:
    SignalInterface* hub() { return SignalInterface::instance(); }

    void setReadyState() {
        loginPhase = LoginPhaseReady;
        apiDataReady = true;
        dataReadyCount = 2;
    }

    // Fires `callback` from the library's side with a patterned record that the sender overwrites as
    // soon as the callback returns, and checks that the GUI thread receives every argument intact.
    template <typename Rec, typename Callback>
    void checkForwarded(void (SignalInterface::*signal)(const Rec&, const CMoruRspInfo&, int, bool),
                        Callback member, const char* name, uchar seed) {
        Rec received{};
        CMoruRspInfo receivedInfo{};
        int receivedId = -1;
        bool receivedLast = false;
        QThread* deliveredOn = nullptr;
        int deliveries = 0;
        const QMetaObject::Connection connection =
            connect(hub(), signal, this, [&](const Rec& rec, const CMoruRspInfo& info, int id, bool last) {
                received = rec;
                receivedInfo = info;
                receivedId = id;
                receivedLast = last;
                deliveredOn = QThread::currentThread();
                ++deliveries;
            });
        const Rec sent = patterned<Rec>(seed);
        const CMoruRspInfo sentInfo = rspInfo(2005, "insufficient funds");
        CapturedLog::clear();
        fire([&](const CMoruTraderSpi& spi) {
            Rec buffer = sent;
            CMoruRspInfo info = sentInfo;
            (spi.*member)(&buffer, &info, 41, true);
            std::memset(&buffer, 0xEE, sizeof(buffer));
            std::memset(&info, 0xEE, sizeof(info));
        });
        QTRY_COMPARE(deliveries, 1);
        disconnect(connection);
        QVERIFY2(sameBytes(received, sent), name);
        QVERIFY(sameBytes(receivedInfo, sentInfo));
        QCOMPARE(receivedId, 41);
        QCOMPARE(receivedLast, true);
        QCOMPARE(deliveredOn, QThread::currentThread());
        QCOMPARE(CapturedLog::texts(), QStringList(QString::fromLatin1(name)));
    }

private slots:
    void initTestCase() {
        registerApiMetaTypes();
        QVERIFY(hub());
    }

    void init() {
        fakeapi::reset();
        ApiClientUtils::fillCallbackTable();
        registerSpi(ApiClientUtils::callbackTable(), entryNo);
        loginPhase = LoginPhaseLoggingIn;
        apiDataReady = false;
        dataReadyCount = 0;
        currentMarket = '0';
        nextOrderRef = 0;
        CapturedLog::install();
    }

    void cleanup() { CapturedLog::uninstall(); }

    void callbackTableLayout() {
        const CMoruTraderSpi spi = fakeapi::registeredSpi();
        const auto* pointers = reinterpret_cast<void* const*>(&spi);
        QList<int> nullSlots;
        for (int i = 0; i < MORU_CALLBACK_SLOTS; ++i) {
            if (!pointers[i]) nullSlots << i;
        }
        QCOMPARE(nullSlots, QList<int>({30, 31, 32, 33, 34, 35, 40, 41}));
        QVERIFY(spi.onApiMsg == &ApiClientUtils::onApiMsg);
        QVERIFY(spi.onRspQryFund == &ApiClientUtils::onRspQryFund);
        QVERIFY(spi.onRspWarrantExerciseOrder == &ApiClientUtils::onRspWarrantExerciseOrder);
        // The no-op slots accept a call and do nothing.
        spi.reserved1();
        spi.reserved53[MORU_CALLBACK_SLOTS - 54]();
        QCOMPARE(CapturedLog::all().size(), 0);
    }

    void loginResponsesIgnoredUnlessLoggingIn() {
        QSignalSpy errors(hub(), &SignalInterface::signal_rspErrorLogin);
        QSignalSpy success(hub(), &SignalInterface::signal_rspSuccessLogin);
        for (int phase : {int(LoginPhaseLinkLost), int(LoginPhaseReady)}) {
            loginPhase = phase;
            fire([](const CMoruTraderSpi& spi) {
                CMoruRspInfo bad = rspInfo(1002, "wrong password");
                CMoruRspInfo ok{};
                CMoruRspUserLoginField login{};
                login.Market = '1';
                login.MaxOrderRef = 99;
                spi.onRspLoginManager(nullptr, &bad, 1, true);
                spi.onRspLogin(&login, &bad, 1, true);
                spi.onRspLogin(&login, &ok, 1, true);
                spi.onRspInitTrader(nullptr, &bad, 1, true);
                spi.onRspInitTrader(nullptr, &ok, 1, true);
            });
            QCOMPARE(loginPhase.load(), phase);
        }
        QCOMPARE(errors.count(), 0);
        QCOMPARE(success.count(), 0);
        QCOMPARE(CapturedLog::all().size(), 0);
        QCOMPARE(currentMarket.load(), '0');
        QCOMPARE(nextOrderRef.load(), 0);
    }

    void successfulLogin() {
        QThread* deliveredOn = nullptr;
        int successes = 0;
        connect(hub(), &SignalInterface::signal_rspSuccessLogin, this, [&] {
            deliveredOn = QThread::currentThread();
            ++successes;
        });
        fire([](const CMoruTraderSpi& spi) {
            CMoruRspInfo ok{};
            CMoruRspUserLoginManagerField manager{};
            CMoruRspUserLoginField login{};
            login.MaxOrderRef = 41;
            login.Market = '2';
            login.LoginFlags = MORU_LOGIN_FLAG_SINGLE_DATA_READY;
            spi.onFrontManagerQueryConnect();
            spi.onRspLoginManager(&manager, &ok, 0, true);
            spi.onRspLogin(&login, &ok, 0, true);
        });
        QCOMPARE(currentMarket.load(), '2');
        QCOMPARE(nextOrderRef.load(), 42);
        QCOMPARE(dataReadyCount.load(), 1);
        QVERIFY(!apiDataReady);

        fire([](const CMoruTraderSpi& spi) { spi.onDataReady(true, 0, 0); });
        QVERIFY(apiDataReady);  // one notification suffices with the flag

        fire([](const CMoruTraderSpi& spi) {
            CMoruRspInfo ok{};
            spi.onRspInitTrader(nullptr, &ok, 0, true);
        });
        QCOMPARE(loginPhase.load(), int(LoginPhaseReady));
        QTRY_COMPARE(successes, 1);
        QCOMPARE(deliveredOn, QThread::currentThread());
        QCOMPARE(CapturedLog::texts(),
                 QStringList({"onFrontManagerQueryConnect", "onRspLoginManager",
                              "now can use manager interface", "onRspLogin", "now can use query interface",
                              "onDataReady bSuccess: true  nReason: 0", "onRspInitTrader",
                              "now can use order interface"}));
        disconnect(hub(), &SignalInterface::signal_rspSuccessLogin, this, nullptr);
    }

    void eachFailedLoginStepReportsItself() {
        QList<CMoruRspInfo> delivered;
        connect(hub(), &SignalInterface::signal_rspErrorLogin, this,
                [&](const CMoruRspInfo& info) { delivered << info; });
        dataReadyCount = 1;
        apiDataReady = true;
        fire([](const CMoruTraderSpi& spi) {
            CMoruRspInfo manager = rspInfo(1003, "bad node");
            CMoruRspInfo query = rspInfo(1002, "密码错误");
            CMoruRspInfo trade = rspInfo(-1, "");
            CMoruRspUserLoginField login{};
            login.Market = '1';
            spi.onRspLoginManager(nullptr, &manager, 0, true);
            spi.onRspLogin(&login, &query, 0, true);
            spi.onRspInitTrader(nullptr, &trade, 0, true);
        });
        QTRY_COMPARE(delivered.size(), 3);
        QCOMPARE(delivered[0].ErrorID, 1003);
        QCOMPARE(QString::fromUtf8(delivered[1].ErrorMsg), QStringLiteral("密码错误"));
        QCOMPARE(delivered[2].ErrorID, -1);
        QVERIFY(!apiDataReady);
        QCOMPARE(dataReadyCount.load(), 0);
        QCOMPARE(currentMarket.load(), '0');  // a refused login sets no market
        QCOMPARE(loginPhase.load(), int(LoginPhaseLoggingIn));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"login manager error,ErrID[1003],ErrMsg[bad node]\""));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"login query error,ErrID[1002],ErrMsg[密码错误]\""));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"login trade error,ErrID[4294967295],ErrMsg[]\""));
        disconnect(hub(), &SignalInterface::signal_rspErrorLogin, this, nullptr);
    }

    void dataReadyCounting() {
        fire([](const CMoruTraderSpi& spi) {
            spi.onDataReady(false, 0, 5);
            spi.onDataReady(false, 0, 5);
        });
        QVERIFY(!apiDataReady);
        QCOMPARE(dataReadyCount.load(), 0);
        QVERIFY(CapturedLog::has(QtWarningMsg, "onDataReady bSuccess: false  nReason: 5"));

        fire([](const CMoruTraderSpi& spi) { spi.onDataReady(true, 0, 0); });
        QVERIFY(!apiDataReady);
        fire([](const CMoruTraderSpi& spi) { spi.onDataReady(true, 0, 0); });
        QVERIFY(apiDataReady);
        fire([](const CMoruTraderSpi& spi) { spi.onDataReady(true, 0, 0); });
        QVERIFY(apiDataReady);
        QCOMPARE(dataReadyCount.load(), 3);

        // A new login response starts the count again.
        fire([](const CMoruTraderSpi& spi) {
            CMoruRspInfo ok{};
            CMoruRspUserLoginField login{};
            login.Market = '1';
            spi.onRspLogin(&login, &ok, 0, true);
            spi.onDataReady(true, 0, 0);
        });
        QVERIFY(!apiDataReady);
        QCOMPARE(dataReadyCount.load(), 1);
    }

    void linkLossResetsAndSignalsOnce() {
        using Fire = void (*)(const CMoruTraderSpi&);
        const Fire losses[] = {
            [](const CMoruTraderSpi& spi) { spi.onFrontManagerQueryDisconnected(7); },
            [](const CMoruTraderSpi& spi) { spi.onFrontQueryDisconnected(7); },
            [](const CMoruTraderSpi& spi) { spi.onFrontTradeDisconnected(7); },
        };
        const char* names[] = {"onFrontManagerQueryDisconnected 7", "onFrontQueryDisconnected 7",
                               "onFrontTradeDisconnected 7"};
        for (int link = 0; link < 3; ++link) {
            QSignalSpy manager(hub(), &SignalInterface::signal_onFrontManagerQueryDisconnected);
            QSignalSpy query(hub(), &SignalInterface::signal_onFrontQueryDisconnected);
            QSignalSpy trade(hub(), &SignalInterface::signal_onFrontTradeDisconnected);
            setReadyState();
            CapturedLog::clear();
            fire(losses[link]);
            QCOMPARE(loginPhase.load(), int(LoginPhaseLinkLost));
            QVERIFY(!apiDataReady);
            QCOMPARE(dataReadyCount.load(), 0);
            QCOMPARE(manager.count(), link == 0 ? 1 : 0);
            QCOMPARE(query.count(), link == 1 ? 1 : 0);
            QCOMPARE(trade.count(), link == 2 ? 1 : 0);
            QSignalSpy* spies[] = {&manager, &query, &trade};
            QCOMPARE(spies[link]->first().at(0).toInt(), 7);
            QVERIFY(CapturedLog::has(QtWarningMsg, QString::fromLatin1(names[link])));
        }
    }

    void libraryMessages() {
        const QByteArray exact(2047, 'a');
        const QByteArray longer = QByteArray(2047, 'b') + QByteArray(3000, 'c');
        fire([&](const CMoruTraderSpi& spi) {
            spi.onApiMsg(0, "%s", exact.constData());
            spi.onApiMsg(0, "%s", longer.constData());
            spi.onApiMsg(2, "link %d down: %s", 3, "timeout");
            spi.onApiMsg(0, nullptr);
        });
        const QVector<CapturedLog::Line> lines = CapturedLog::all();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0].type, QtInfoMsg);
        QCOMPARE(lines[0].text, "\"" + QString::fromLatin1(exact) + "\"");
        QCOMPARE(lines[1].text, "\"" + QString(2047, QLatin1Char('b')) + "\"");  // cut at the buffer's end
        QCOMPARE(lines[2].type, QtWarningMsg);
        QCOMPARE(lines[2].text, QStringLiteral("\"Error:link 3 down: timeout\""));
        QCOMPARE(lines[3].text, QStringLiteral("\"\""));
    }

    void responsesArriveIntactInGuiThread() {
        checkForwarded(&SignalInterface::signal_rspUpdatePwd, &CMoruTraderSpi::onRspUpdatePwd,
                       "onRspUpdatePwd", 1);
        checkForwarded(&SignalInterface::signal_rspInsertOrder, &CMoruTraderSpi::onRspInsertOrder,
                       "onRspInsertOrder", 2);
        checkForwarded(&SignalInterface::signal_rspErrInsertOrder, &CMoruTraderSpi::onErrRtnInsertOrder,
                       "onErrRtnInsertOrder", 3);
        checkForwarded(&SignalInterface::signal_rspCancelOrder, &CMoruTraderSpi::onRspCancelOrder,
                       "onRspCancelOrder", 4);
        checkForwarded(&SignalInterface::signal_rtnOrder, &CMoruTraderSpi::onRtnOrder, "onRtnOrder", 5);
        checkForwarded(&SignalInterface::signal_rspQryOrder, &CMoruTraderSpi::onRspQryOrder, "onRspQryOrder",
                       6);
        checkForwarded(&SignalInterface::signal_rspQryTrade, &CMoruTraderSpi::onRspQryTrade, "onRspQryTrade",
                       7);
        checkForwarded(&SignalInterface::signal_rspBTFundTransfer, &CMoruTraderSpi::onRspBTFundTransfer,
                       "onRspBTFundTransfer", 8);
        checkForwarded(&SignalInterface::signal_rtnBTFundTransfer, &CMoruTraderSpi::onRtnBTFundTransfer,
                       "onRtnBTFundTransfer", 9);
        checkForwarded(&SignalInterface::signal_rspQryBTFundTransferRecord,
                       &CMoruTraderSpi::onRspQryBTFundTransferRecord, "onRspQryBTFundTransferRecord", 10);
        checkForwarded(&SignalInterface::signal_rspInFund, &CMoruTraderSpi::onRspInFund, "onRspInFund", 11);
        checkForwarded(&SignalInterface::signal_rspOutFund, &CMoruTraderSpi::onRspOutFund, "onRspOutFund",
                       12);
        checkForwarded(&SignalInterface::signal_rspQryInOutFundRecord,
                       &CMoruTraderSpi::onRspQryInOutFundRecord, "onRspQryInOutFundRecord", 13);
        checkForwarded(&SignalInterface::signal_rspQryPosition, &CMoruTraderSpi::onRspQryPosition,
                       "onRspQryPosition", 14);
        checkForwarded(&SignalInterface::signal_rspTenderOfferOrder, &CMoruTraderSpi::onRspTenderOfferOrder,
                       "onRspTenderOfferOrder", 15);
        checkForwarded(&SignalInterface::signal_rspWarrantExerciseOrder,
                       &CMoruTraderSpi::onRspWarrantExerciseOrder, "onRspWarrantExerciseOrder", 16);
        checkForwarded(&SignalInterface::signal_personalInfo, &CMoruTraderSpi::onRspQryFund, "onRspQryFund",
                       17);
    }

    void fundRecordAndNullRecords() {
        QList<CMoruRspQryStockClientAccountField> funds;
        QList<CMoruRspQryOrderField> orders;
        QList<CMoruRspInfo> infos;
        connect(hub(), &SignalInterface::signal_personalInfo, this,
                [&](const CMoruRspQryStockClientAccountField& rec, const CMoruRspInfo& info, int, bool) {
                    funds << rec;
                    infos << info;
                });
        connect(hub(), &SignalInterface::signal_rspQryOrder, this,
                [&](const CMoruRspQryOrderField& rec, const CMoruRspInfo& info, int, bool) {
                    orders << rec;
                    infos << info;
                });
        const auto sent = patterned<CMoruRspQryStockClientAccountField>(99);
        fire([&](const CMoruTraderSpi& spi) {
            CMoruRspQryStockClientAccountField buffer = sent;
            spi.onRspQryFund(&buffer, nullptr, 0, true);
            std::memset(&buffer, 0, sizeof(buffer));
            spi.onRspQryOrder(nullptr, nullptr, 3, true);
        });
        QTRY_COMPARE(funds.size() + orders.size(), 2);
        QVERIFY(sameBytes(funds[0], sent));
        QVERIFY(sameBytes(orders[0], CMoruRspQryOrderField{}));
        QCOMPARE(infos.size(), 2);
        QVERIFY(infos[0].ErrorID == 0 && infos[1].ErrorID == 0);
        disconnect(hub(), nullptr, this, nullptr);
    }

    void logOnlyCallbacks() {
        QSignalSpy errors(hub(), &SignalInterface::signal_rspErrorLogin);
        fire([](const CMoruTraderSpi& spi) {
            CMoruRspInfo info = rspInfo(9, "x");
            spi.onErrRtnCancelOrder(nullptr, &info, 0, true);
            spi.onRspQrySecurities(nullptr, &info, 0, true);
            spi.onRspQryRightsAndInterests(nullptr, &info, 0, true);
            spi.onRspQryInvestorInfo(nullptr, &info, 0, true);
            spi.onRspQryPrcProgramInfo(nullptr, &info, 0, true);
            spi.onRspQryExChangeGateWay(nullptr, &info, 0, true);
            spi.onRtnInOutPosition(nullptr, &info, 0, true);
            spi.onRtnExChangeGateWay(nullptr, &info, 0, true);
            spi.onRspQryQFIIOrder(nullptr, &info, 0, true);
            spi.onRspQryQFIITrade(nullptr, &info, 0, true);
        });
        QCOMPARE(CapturedLog::texts(),
                 QStringList({"onErrRtnCancelOrder", "onRspQrySecurities", "onRspQryRightsAndInterests",
                              "onRspQryInvestorInfo", "onRspQryPrcProgramInfo", "onRspQryExChangeGateWay",
                              "onRtnInOutPosition", "onRtnExChangeGateWay", "onRspQryQFIIOrder",
                              "onRspQryQFIITrade"}));
        QCOMPARE(errors.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestApiCallbacks)
#include "test_api_callbacks.moc"
