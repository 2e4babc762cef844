// The simulated counter: accounts, sessions, order checks and matching, queries,
// fund operations. Transport-free: a Link delivers bytes in and takes bytes out,
// so the same code serves TCP connections and the frame fuzzer.
#ifndef MORU_SIM_COUNTER_H
#define MORU_SIM_COUNTER_H

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "market.h"
#include "moru_wire.h"
#include "options.h"

namespace sim {

struct Position {
    uint64_t yesterday = 0, todayBuy = 0, todaySell = 0, total = 0, available = 0, frozen = 0, tender = 0;
    double cost = 0;
};

struct Order {
    uint32_t sysId = 0;
    int32_t orderRef = 0;
    std::string code;
    char side = '1';
    char orderType = '2';
    double price = 0;
    uint32_t qty = 0, traded = 0, leaves = 0;
    char status = '0';
    uint8_t msgKind = 0x65;
    uint8_t secType = 0;
    uint16_t errorCode = 0;
    uint8_t node = 0;
    double tradeAmount = 0;
    std::string recvTime;  // hhmmsszzz
    std::string offeror;
    double freezePerUnit = 0;  // cash held per untraded unit (buys)
    int sessionId = 0;
};

struct Trade {
    uint32_t orderSysId = 0, tradeId = 0;
    std::string code;
    char side = '1', orderType = '2';
    uint32_t qty = 0, leaves = 0;
    double price = 0;
    std::string time;
    uint8_t componentCount = 0;
};

struct InOutRecord {
    double amount = 0;
    char direction = '1';
    std::string time;
};

struct TransferRecord {
    uint32_t serial = 0;
    double amount = 0;
    char direction = '1';
    std::string time;
    char status = '1';
    uint32_t errorCode = 0;
    std::string orgCode;
};

struct FundAccount {
    char market = '1';
    std::string orgCode;
    double initial = 0, available = 0, frozen = 0, fee = 0, lockedFee = 0, todayBuy = 0, todaySell = 0;
    std::map<std::string, Position> positions;
    std::vector<Order> orders;  // orders and cancellations, in arrival order
    std::vector<Trade> trades;
    std::vector<InOutRecord> inOut;
    int32_t maxOrderRef = 0;
    double withdrawable() const {
        double w = available - todaySell;
        return w > 0 ? w : 0;
    }
};

struct Account {
    std::string id, password, name;
    std::vector<int> nodes;
    std::map<char, FundAccount> markets;
    std::vector<TransferRecord> transfers;
};

// One connection as the counter sees it.
class Link {
public:
    virtual ~Link() = default;
    virtual void send(const std::vector<uint8_t>& bytes) = 0;
    virtual void drop(const std::string& why) = 0;
    std::vector<uint8_t> in;
    uint64_t id = 0;  // given by Counter::attach; sessions know their links by it
    uint8_t kind = 0;
    int sessionId = 0;
    bool dropped = false;
};

struct Session {
    int id = 0;
    Account* account = nullptr;
    char market = '1';
    int node = 0;
    std::string token;
    uint64_t links[4] = {};  // link ids by kind; 0 = none
    bool loggedOut = false;
};

class Counter {
public:
    explicit Counter(Options opt = {});

    bool loadJson(const std::string& utf8Json, std::string* err);
    bool loadFile(const std::string& path, std::string* err);
    // Fills an account with `n` finished orders and their trades.
    bool fillBigAccount(const std::string& account, char market, int n);

    Market& market() { return market_; }
    Options& options() { return opt_; }
    Account* account(const std::string& id);

    // Transport entry points.
    void attach(Link& l);
    void onData(Link& l, const uint8_t* data, size_t len);
    void onClosed(Link& l);
    // After each quote step: resting orders meet the new books.
    void matchResting();

    // Set by the server: run `fn` after `ms` milliseconds; quote-port faults.
    std::function<void(int ms, std::function<void()> fn)> schedule;
    std::function<void(int cmd, int arg)> quoteControl;

private:
    using Header = moru_wire::Header;
    void handle(Link& l, const Header& h, const uint8_t* body, size_t len);
    void reply(Link& l, moru_wire::Msg type, int32_t reqId, bool last, int errorId,
               const std::string& errText, const std::vector<uint8_t>* record);
    void replyError(Link& l, moru_wire::Msg type, int32_t reqId, size_t recSize, int errorId);

    void onLoginManager(Link& l, const Header& h, const uint8_t* body, size_t len);
    void onLogin(Link& l, const Header& h, const uint8_t* body, size_t len);
    void onInitTrader(Link& l, const Header& h, const uint8_t* body, size_t len);
    void onInsertOrder(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len);
    void onCancelOrder(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len);
    void onTenderOffer(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len);
    void onWarrantExercise(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len);
    void onQryOrder(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len);
    void onQryTrade(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len);
    void onQryPosition(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len);
    void onQryFund(Link& l, Session& s, const Header& h);
    void onQryInOut(Link& l, Session& s, const Header& h);
    void onQryTransfers(Link& l, Session& s, const Header& h);
    void onInOutFund(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len, bool in);
    void onTransfer(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len);
    void onUpdatePwd(Link& l, Session& s, const Header& h, const uint8_t* body, size_t len);
    void onControl(Link& l, const Header& h, const uint8_t* body, size_t len);

    // Matching; returns the quantity filled.
    uint32_t execute(FundAccount& fa, Order& o, Security& sec, double limit, int levels);
    void applyFill(FundAccount& fa, Order& o, Security& sec, double price, uint32_t qty);
    void releaseRemainder(FundAccount& fa, Order& o);
    void sendOrderReturn(const Order& o, char market, const std::string& text);
    std::vector<uint8_t> orderRecord(const Order& o, char market, size_t size) const;
    void advanceTransfer(const std::string& account, uint32_t serial, int linkSession, uint8_t linkKind,
                         int32_t reqId);

    Session* sessionOf(Link& l);
    Link* sessionLink(int sessionId, uint8_t kind);
    std::string now9() const;

    Options opt_;
    Market market_;
    std::map<std::string, Account> accounts_;
    std::map<int, Session> sessions_;
    std::map<uint64_t, Link*> links_;
    uint64_t nextLinkId_ = 1;
    struct Resting {
        std::string account;
        char market;
        size_t index;
    };
    std::vector<Resting> resting_;
    int nextSession_ = 1;
    uint32_t nextSysId_ = 1;
    uint32_t nextTradeId_ = 1;
    uint32_t nextSerial_ = 1;
    std::string tradingDay_ = "20261207";
};

// Error texts the counter puts into responses (GBK, English or empty) and the
// full Chinese table it hands the library after login (GBK).
std::string rspErrorText(int errorId);
std::string fullErrorText(int errorId);
std::vector<int> knownErrorIds();
std::string toGbk(const std::string& utf8);

}  // namespace sim

#endif
