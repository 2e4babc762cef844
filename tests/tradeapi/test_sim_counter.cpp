// The counter without sockets beyond matching: paged queries, sessions and the links
// they hold, fund operations and fault control.
#include <QTest>
#include <cmath>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>

#include "sim_capture.h"

using namespace capture;

namespace {

// What one page of a paged query brought back.
struct PageSeen {
    std::vector<uint32_t> keys;  // order numbers, or trade ids
    bool flaggedLastOnlyAtEnd = true;
    bool hasMore = false;
    int32_t next = 0;
    int error = 0;
};

PageSeen queryPage(sim::Counter& c, CaptureLink& l, bool trades, const std::string& code, int32_t pos) {
    l.frames.clear();
    if (trades) {
        CMoruReqQryTradeField q;
        std::memset(&q, 0, sizeof q);
        std::memcpy(q.SecurityID, code.data(), std::min(code.size(), sizeof q.SecurityID));
        q.QueryPosition = pos;
        q.QueryMode = 2;
        feed(c, l, moru_wire::Msg::ReqQryTrade, &q, sizeof q);
    } else {
        CMoruReqQryOrderField q;
        std::memset(&q, 0, sizeof q);
        std::memcpy(q.SecurityID, code.data(), std::min(code.size(), sizeof q.SecurityID));
        q.QueryPosition = pos;
        q.QueryMode = 2;
        feed(c, l, moru_wire::Msg::ReqQryOrder, &q, sizeof q);
    }
    PageSeen p;
    for (size_t k = 0; k < l.frames.size(); ++k) {
        const Frame& f = l.frames[k];
        const bool last = k + 1 == l.frames.size();
        p.flaggedLastOnlyAtEnd = p.flaggedLastOnlyAtEnd && ((f.h.flags & moru_wire::kFlagLast) != 0) == last;
        p.error = f.info.ErrorID;
        if (p.error) break;
        if (trades) {
            CMoruRspQryTradeField r;
            std::memcpy(&r, f.rec.data(), sizeof r);
            char id[9] = {};
            std::memcpy(id, f.rec.data() + 30, 8);
            p.keys.push_back(uint32_t(std::strtoul(id, nullptr, 10)));
            p.hasMore = r.HasMore != 0;
            p.next = r.NextPosition;
        } else {
            CMoruRspQryOrderField r;
            std::memcpy(&r, f.rec.data(), sizeof r);
            p.keys.push_back(val(r.OrderSysID));
            p.hasMore = r.HasMore != 0;
            p.next = r.NextPosition;
        }
    }
    return p;
}

void moveFunds(sim::Counter& c, sim::Link& l, moru_wire::Msg type, double amount) {
    CMoruReqCapTransferField f;
    std::memset(&f, 0, sizeof f);
    f.Amount = amount;
    feed(c, l, type, &f, sizeof f);
}

double fee(double amount) {
    return std::round(amount * 0.0003 * 100) / 100;
}

void transfer(sim::Counter& c, sim::Link& l, char direction, double amount) {
    CMoruReqBTCapTransferManagerField t;
    std::memset(&t, 0, sizeof t);
    t.Amount = amount;
    t.TransferDirection = direction;
    feed(c, l, moru_wire::Msg::ReqBTFundTransfer, &t, sizeof t);
}

std::vector<CMoruRspQryBTCapTransferManagerField> transferRecords(sim::Counter& c, CaptureLink& l) {
    CMoruReqQryBTCapTransferManagerField q;
    std::memset(&q, 0, sizeof q);
    l.frames.clear();
    feed(c, l, moru_wire::Msg::ReqQryBTFundTransferRecord, &q, sizeof q);
    return l.records<CMoruRspQryBTCapTransferManagerField>(moru_wire::Msg::RspQryBTFundTransferRecord);
}

void changePassword(sim::Counter& c, sim::Link& l, const char* oldPw, const char* newPw) {
    CMoruReqUserPasswordUpdateField p;
    std::memset(&p, 0, sizeof p);
    std::memcpy(p.OldPassword, oldPw, std::min(std::strlen(oldPw), sizeof p.OldPassword));
    std::memcpy(p.NewPassword, newPw, std::min(std::strlen(newPw), sizeof p.NewPassword));
    feed(c, l, moru_wire::Msg::ReqUpdatePwd, &p, sizeof p);
}

}  // namespace

class TestSimCounter : public QObject {
    Q_OBJECT

    std::unique_ptr<sim::Counter> owner;
    CaptureLink link;
    CaptureLink trade;

    sim::Counter& c() { return *owner; }

private slots:
    void init() {
        owner = std::make_unique<sim::Counter>();
        std::string err;
        QVERIFY2(c().loadFile(std::string(MORU_SOURCE_DIR) + "/sim/data/demo.json", &err), err.c_str());
        link = CaptureLink();
        trade = CaptureLink();
        c().attach(link);
    }

    // The account starts empty; `records` finished orders are added, four in five with a trade.
    void everyPageButTheLastIsFull_data() {
        QTest::addColumn<bool>("trades");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<bool>("byCode");
        QTest::newRow("orders, 7 by 3") << false << 7 << 3 << false;
        QTest::newRow("orders, 6 by 3: no empty page") << false << 6 << 3 << false;
        QTest::newRow("orders, one short page") << false << 2 << 5 << false;
        QTest::newRow("orders, one by one") << false << 5 << 1 << false;
        QTest::newRow("orders of one code, 600 by 4") << false << 600 << 4 << true;
        QTest::newRow("trades, 11 by 4") << true << 11 << 4 << false;
        QTest::newRow("trades, 10 by 4: no empty page") << true << 10 << 4 << false;
        QTest::newRow("trades of one code, 600 by 3") << true << 600 << 3 << true;
    }
    void everyPageButTheLastIsFull() {
        QFETCH(bool, trades);
        QFETCH(int, records);
        QFETCH(int, pageSize);
        QFETCH(bool, byCode);
        c().options().pageSize = pageSize;
        QVERIFY(c().fillBigAccount("10880003", '1', records));
        login(c(), link, "10880003", "111111", '1');
        const sim::FundAccount& fa = c().account("10880003")->markets['1'];
        const std::string code = byCode ? fa.orders[1].code : std::string();
        std::vector<uint32_t> expected;
        if (trades) {
            for (const auto& t : fa.trades)
                if (code.empty() || t.code == code) expected.push_back(t.tradeId);
        } else {
            for (const auto& o : fa.orders)
                if (code.empty() || o.code == code) expected.push_back(o.sysId);
        }
        QVERIFY(!expected.empty());
        if (byCode) QVERIFY(expected.size() > size_t(pageSize));  // the filter spans pages

        std::vector<uint32_t> seen;
        std::vector<size_t> sizes;
        int32_t pos = 0;
        for (int guard = 0; guard < 1000; ++guard) {
            const PageSeen p = queryPage(c(), link, trades, code, pos);
            QCOMPARE(p.error, 0);
            QVERIFY(p.flaggedLastOnlyAtEnd);
            seen.insert(seen.end(), p.keys.begin(), p.keys.end());
            sizes.push_back(p.keys.size());
            if (!p.hasMore) break;
            QVERIFY(p.next > pos);
            pos = p.next;
        }
        QCOMPARE(seen, expected);
        std::vector<size_t> expectedSizes(expected.size() / size_t(pageSize), size_t(pageSize));
        if (expected.size() % size_t(pageSize)) expectedSizes.push_back(expected.size() % size_t(pageSize));
        QCOMPARE(sizes, expectedSizes);

        // Past the end there is nothing, said with the counter's own error.
        const PageSeen after = queryPage(c(), link, trades, code, pos + 1000000);
        QCOMPARE(after.error, 5001);
        QVERIFY(after.keys.empty());
    }

    // A connection belongs to one session: a second login on it is refused, and once it has
    // closed no session reaches it again (a freed link would be caught by the sanitizers).
    void aLinkHasOneSessionAndIsForgottenWhenItCloses() {
        auto twice = std::make_unique<CaptureLink>();
        c().attach(*twice);
        login(c(), *twice, "10880001", "123456", '1');
        QCOMPARE(twice->lastError(moru_wire::Msg::RspLoginManager), 0);
        login(c(), *twice, "10880002", "654321", '1');
        QCOMPARE(twice->lastError(moru_wire::Msg::RspLoginManager), 1006);
        QCOMPARE(QByteArray(twice->frames.back().info.ErrorMsg), QByteArray(sim::rspErrorText(1006).c_str()));

        // Nor may it join another session's query or trade link.
        login(c(), link, "10880002", "654321", '1');
        const std::string other = tokenOf(link);
        QVERIFY(!other.empty());
        joinSession(c(), *twice, moru_wire::Msg::ReqInitTrader, other);
        QCOMPARE(twice->lastError(moru_wire::Msg::RspInitTrader), 1006);
        joinSession(c(), *twice, moru_wire::Msg::ReqLogin, other);
        QCOMPARE(twice->lastError(moru_wire::Msg::RspLogin), 1006);
        QVERIFY(twice->droppedWhy.empty());

        // It still serves the session it has.
        QCOMPARE(QByteArray(fund(c(), *twice).AccountID), QByteArray("10880001"));

        c().onClosed(*twice);
        twice.reset();
        CaptureLink ctl;
        control(c(), ctl, moru_wire::kCtlDropAll);
        QCOMPARE(ctl.lastError(moru_wire::Msg::RspControl), 0);
        QVERIFY(!link.droppedWhy.empty());
        QVERIFY(ctl.droppedWhy.empty());
        c().onClosed(link);
        c().onClosed(ctl);
    }

    // Every figure of the account dialog, after a deposit, a withdrawal, a fill each way and a
    // buy still waiting.
    void accountFiguresFollowTradesAndFunds() {
        login(c(), link, "10880002", "654321", '1');
        sim::Security& buy = *c().market().find("600000");
        sim::Security& sell = *c().market().find("600135");  // 5,000 held
        setBook(buy);
        setBook(sell);
        moveFunds(c(), link, moru_wire::Msg::ReqInFund, 1000.5);
        moveFunds(c(), link, moru_wire::Msg::ReqOutFund, 500);
        order(c(), link, "600000", '1', buy.book.ask[0], 300, '2');   // fills at ask 1
        order(c(), link, "600000", '1', buy.preClose, 200, '2');      // waits
        order(c(), link, "600135", '2', sell.book.bid[0], 100, '2');  // fills at bid 1
        std::vector<int> errors;
        for (const auto& f : link.frames) errors.push_back(int(f.info.ErrorID));
        QCOMPARE(errors, std::vector<int>(errors.size(), 0));

        const double bought = 300 * buy.book.ask[0], sold = 100 * sell.book.bid[0];
        const double held = 200 * buy.preClose * 1.0003;
        const double initial = 800000 + 1000.5 - 500;
        const double available = initial - bought - fee(bought) - held + sold - fee(sold);
        const auto f = fund(c(), link);
        QCOMPARE(QByteArray(f.AccountID), QByteArray("10880002"));
        QVERIFY(qAbs(f.InitialCapital - initial) < 0.005);
        QVERIFY(qAbs(f.AvailableCapital - available) < 0.005);
        QVERIFY(qAbs(f.WithdrawableCapital - (available - sold)) < 0.005);  // sales pay out tomorrow
        QVERIFY(qAbs(f.FrozenCapital - held) < 0.005);
        QVERIFY(qAbs(f.LockedFee - fee(200 * buy.preClose)) < 0.005);
        QVERIFY(qAbs(f.Fee - fee(bought) - fee(sold)) < 0.005);
        QVERIFY(qAbs(f.TodaySellAmount - sold) < 0.005);
        QVERIFY(qAbs(f.TodayBuyAmount - bought) < 0.005);

        // Beyond what may be taken out is refused and changes nothing.
        moveFunds(c(), link, moru_wire::Msg::ReqOutFund, f.WithdrawableCapital + 0.01);
        QCOMPARE(link.lastError(moru_wire::Msg::RspOutFund), 3001);
        QCOMPARE(double(fund(c(), link).AvailableCapital), double(f.AvailableCapital));
    }

    // Dropping every link leaves the counter's books as they were; after a new login the
    // account finds its orders and money, and a fill of an old order reaches the new session.
    void droppedLinksKeepTheAccount() {
        login(c(), link, "10880001", "123456", '1', &trade);
        sim::Security& s = *c().market().find("600000");
        setBook(s);
        order(c(), link, "600000", '1', s.preClose, 300, '2');
        moveFunds(c(), link, moru_wire::Msg::ReqInFund, 250);
        const auto before = fund(c(), link);
        CaptureLink ctl;
        control(c(), ctl, moru_wire::kCtlDropAll);
        QVERIFY(!link.droppedWhy.empty());
        QVERIFY(!trade.droppedWhy.empty());
        c().onClosed(link);
        c().onClosed(trade);

        CaptureLink again, againTrade;
        login(c(), again, "10880001", "123456", '1', &againTrade);
        QCOMPARE(againTrade.lastError(moru_wire::Msg::RspInitTrader), 0);
        const auto after = fund(c(), again);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(&after), int(sizeof after)),
                 QByteArray(reinterpret_cast<const char*>(&before), int(sizeof before)));
        const PageSeen orders = queryPage(c(), again, false, "600000", 0);
        QCOMPARE(orders.keys.size(), size_t(1));

        s.book.ask[0] = s.preClose;
        c().matchResting();
        const auto returns = againTrade.records<CMoruRtnOrderField>(moru_wire::Msg::RtnOrder);
        QCOMPARE(returns.size(), size_t(1));
        QCOMPARE(val(returns[0].OrderSysID), orders.keys[0]);
        QCOMPARE(returns[0].OrderStatus, '8');
        c().onClosed(again);
        c().onClosed(againTrade);
        c().onClosed(ctl);
    }

    void transfersRefused_data() {
        QTest::addColumn<QByteArray>("account");
        QTest::addColumn<char>("direction");
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("error");
        QTest::newRow("nothing") << QByteArray("10880001") << '1' << 0.0 << 3002;
        QTest::newRow("negative") << QByteArray("10880001") << '1' << -5.0 << 3002;
        QTest::newRow("not a number") << QByteArray("10880001") << '1' << std::nan("") << 3002;
        QTest::newRow("more than Shanghai may give") << QByteArray("10880001") << '1' << 5000000.01 << 3001;
        QTest::newRow("more than Shenzhen may give") << QByteArray("10880001") << '2' << 3000000.01 << 3001;
        QTest::newRow("no such direction") << QByteArray("10880001") << '3' << 100.0 << 3003;
        QTest::newRow("an account without Shenzhen") << QByteArray("10880003") << '1' << 100.0 << 3003;
    }
    void transfersRefused() {
        QFETCH(QByteArray, account);
        QFETCH(char, direction);
        QFETCH(double, amount);
        QFETCH(int, error);
        login(c(), link, account.constData(), account == "10880001" ? "123456" : "111111", '1');
        transfer(c(), link, direction, amount);
        QCOMPARE(link.lastError(moru_wire::Msg::RspBTFundTransfer), error);
        transferRecords(c(), link);  // no record: answered with "none found"
        QCOMPARE(link.lastError(moru_wire::Msg::RspQryBTFundTransferRecord), 5001);
    }

    // A transfer is answered at once; its record then steps through '1'..'6' ("操作结束"),
    // and the money arrives, with a return report, at the last step.
    void transferStepsToItsEnd_data() {
        QTest::addColumn<char>("direction");
        QTest::newRow("Shanghai to Shenzhen") << '1';
        QTest::newRow("Shenzhen to Shanghai") << '2';
    }
    void transferStepsToItsEnd() {
        QFETCH(char, direction);
        std::deque<std::function<void()>> due;
        c().schedule = [&due](int, std::function<void()> fn) { due.push_back(std::move(fn)); };
        login(c(), link, "10880001", "123456", direction, &trade);
        sim::Account& a = *c().account("10880001");
        const char from = direction, to = direction == '1' ? '2' : '1';
        const double fromBefore = a.markets[from].available, toBefore = a.markets[to].available;
        transfer(c(), link, direction, 2500.25);
        QCOMPARE(link.lastError(moru_wire::Msg::RspBTFundTransfer), 0);
        const auto rsp = link.records<CMoruRspBTCapTransferManagerField>(moru_wire::Msg::RspBTFundTransfer);
        QCOMPARE(rsp.size(), size_t(1));
        QCOMPARE(val(rsp[0].Amount), 2500.25);
        QCOMPARE(rsp[0].TransferDirection, direction);

        // Records are asked for on the trade link; the report comes on the link that asked.
        QString steps;
        for (int guard = 0; guard < 10; ++guard) {
            const auto records = transferRecords(c(), trade);
            QCOMPARE(records.size(), size_t(1));
            const char status = records[0].TransferStatus;
            steps += status;
            QCOMPARE(val(records[0].Amount), 2500.25);
            QCOMPARE(records[0].TransferDirection, direction);
            QCOMPARE(val(records[0].ErrorCode), 0u);
            QCOMPARE(QByteArray(records[0].OrgCode, 4), QByteArray(from == '1' ? "0101" : "0201"));
            // The money is on its way until the end.
            QCOMPARE(a.markets[from].available, fromBefore - 2500.25);
            QCOMPARE(a.markets[to].available, status == '6' ? toBefore + 2500.25 : toBefore);
            const auto rtn =
                link.records<CMoruRtnBtCapTransferManagerField>(moru_wire::Msg::RtnBTFundTransfer);
            QCOMPARE(rtn.size(), size_t(status == '6' ? 1 : 0));
            if (status == '6') {
                QCOMPARE(rtn[0].TransferStatus, '6');
                QCOMPARE(val(rtn[0].Amount), 2500.25);
                QCOMPARE(rtn[0].TransferDirection, direction);
                QCOMPARE(link.lastError(moru_wire::Msg::RtnBTFundTransfer), 0);
            }
            if (due.empty()) break;
            auto step = std::move(due.front());
            due.pop_front();
            step();
        }
        QCOMPARE(steps, QString("123456"));
        c().schedule = nullptr;
    }

    void passwordChange_data() {
        QTest::addColumn<QByteArray>("oldPassword");
        QTest::addColumn<QByteArray>("newPassword");
        QTest::addColumn<int>("error");
        QTest::newRow("changed") << QByteArray("654321") << QByteArray("abc12345") << 0;
        QTest::newRow("ten characters") << QByteArray("654321") << QByteArray("A123456789") << 0;
        QTest::newRow("wrong old password") << QByteArray("123456") << QByteArray("abc12345") << 4001;
        QTest::newRow("too short") << QByteArray("654321") << QByteArray("ab123") << 4002;
        QTest::newRow("not letters or digits") << QByteArray("654321") << QByteArray("abc-1234") << 4002;
        QTest::newRow("empty") << QByteArray("654321") << QByteArray("") << 4002;
    }
    void passwordChange() {
        QFETCH(QByteArray, oldPassword);
        QFETCH(QByteArray, newPassword);
        QFETCH(int, error);
        login(c(), link, "10880002", "654321", '1');
        changePassword(c(), link, oldPassword.constData(), newPassword.constData());
        QCOMPARE(link.lastError(moru_wire::Msg::RspUpdatePwd), error);
        const QByteArray valid = error ? QByteArray("654321") : newPassword;
        const QByteArray refused = error ? newPassword : QByteArray("654321");
        c().onClosed(link);
        CaptureLink next;
        login(c(), next, "10880002", refused.constData(), '1');
        QCOMPARE(next.lastError(moru_wire::Msg::RspLoginManager), 1002);
        login(c(), next, "10880002", valid.constData(), '1');
        QCOMPARE(next.lastError(moru_wire::Msg::RspLoginManager), 0);
        c().onClosed(next);
    }

    // Every message the counter serves has the least it must carry: one byte less drops the
    // link with a reason that names it; exactly that much is served.
    void shortRequestsDropTheLink_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<QString>("why");
        using M = moru_wire::Msg;
        const auto row = [](const char* name, M type, size_t min, bool loggedIn, const char* why) {
            QTest::newRow(name) << int(type) << int(min) << loggedIn << QString(why);
        };
        row("manager login", M::ReqLoginManager, moru_wire::LoginBody::kSize, false, "short login");
        row("query login", M::ReqLogin, moru_wire::LoginBody::kSize, false, "short login");
        row("trade login", M::ReqInitTrader, moru_wire::LoginBody::kSize, false, "short login");
        row("control", M::Control, moru_wire::ControlBody::kSize, false, "short control request");
        row("order", M::ReqInsertOrder, 48, true, "short order request");
        row("cancel", M::ReqCancelOrder, 42, true, "short cancel request");
        row("tender offer", M::ReqTenderOffer, 25, true, "short tender offer request");
        row("warrant exercise", M::ReqWarrantExercise, 26, true, "short exercise request");
        row("order query", M::ReqQryOrder, 43, true, "short order query");
        row("trade query", M::ReqQryTrade, 43, true, "short trade query");
        row("position query", M::ReqQryPosition, 31, true, "short position query");
        row("fund query", M::ReqQryFund, 15, true, "short fund query");
        row("fund record query", M::ReqQryInOutFundRecord, 19, true, "short fund record query");
        row("transfer record query", M::ReqQryBTFundTransferRecord, 19, true, "short transfer record query");
        row("deposit", M::ReqInFund, 38, true, "short fund request");
        row("withdrawal", M::ReqOutFund, 38, true, "short fund request");
        row("transfer", M::ReqBTFundTransfer, 29, true, "short transfer request");
        row("password", M::ReqUpdatePwd, 41, true, "short password request");
    }
    void shortRequestsDropTheLink() {
        QFETCH(int, type);
        QFETCH(int, minimum);
        QFETCH(bool, loggedIn);
        QFETCH(QString, why);
        for (const int len : {minimum - 1, minimum}) {
            CaptureLink l;
            if (loggedIn) login(c(), l, "10880001", "123456", '1');
            l.frames.clear();
            const std::vector<uint8_t> body(size_t(len), 0);
            feed(c(), l, moru_wire::Msg(type), body.data(), body.size());
            if (len < minimum) {
                QCOMPARE(QString::fromStdString(l.droppedWhy), why);
                QVERIFY(l.frames.empty());
            } else {
                QCOMPARE(QString::fromStdString(l.droppedWhy), QString());
                QVERIFY(!l.frames.empty());  // answered, if only with a refusal
            }
            c().onClosed(l);
        }
    }
};

QTEST_GUILESS_MAIN(TestSimCounter)
#include "test_sim_counter.moc"
