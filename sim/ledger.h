// What the counter keeps per account: funds and positions per market, the day's orders,
// trades and fund movements; and where it all starts, the data file.
#ifndef MORU_SIM_LEDGER_H
#define MORU_SIM_LEDGER_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "market.h"

namespace sim {

// The one fee rate, on every fill's amount.
constexpr double kFeeRate = 0.0003;

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
    // What the last order return told the client: a return goes out only when this changes.
    mutable char reportedStatus = 0;
    mutable uint32_t reportedTraded = 0;
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
    double initial = 0, available = 0, frozen = 0, fee = 0, todayBuy = 0, todaySell = 0;
    std::map<std::string, Position> positions;
    std::vector<Order> orders;  // orders and cancellations, in arrival order
    std::vector<Trade> trades;
    std::vector<InOutRecord> inOut;
    int32_t maxOrderRef = 0;
    double withdrawable() const {
        double w = available - todaySell;
        return w > 0 ? w : 0;
    }
    // The fee part of the cash held for orders still open.
    double lockedFee() const;
};

struct Account {
    std::string id, password, name;
    std::vector<int> nodes;
    std::map<char, FundAccount> markets;
    std::vector<TransferRecord> transfers;
};

// Money is kept to a hundredth of a cent, so sums of held and released amounts come back to zero.
void settle(FundAccount& fa);
// The time of day as the records carry it, "hhmmsszzz".
std::string timeNow();
// A fill of `qty` at `price` of order `o`, stamped now.
Trade tradeOf(const Order& o, uint32_t tradeId, double price, uint32_t qty);

class Ledger {
public:
    // Reads accounts and securities; the securities go to `market`, whose walk starts from the
    // file's seed unless `seed` is given (>= 0).
    bool loadJson(const std::string& utf8Json, Market& market, int seed, std::string* err);
    // Gives an account `n` finished orders and their trades.
    bool fillBigAccount(const std::string& account, char market, int n, Market& securities);

    Account* account(const std::string& id);
    const std::string& tradingDay() const { return tradingDay_; }

    uint32_t takeSysId() { return nextSysId_++; }
    uint32_t peekSysId() const { return nextSysId_; }
    uint32_t takeTradeId() { return nextTradeId_++; }
    uint32_t takeSerial() { return nextSerial_++; }

private:
    std::map<std::string, Account> accounts_;
    uint32_t nextSysId_ = 1;
    uint32_t nextTradeId_ = 1;
    uint32_t nextSerial_ = 1;
    std::string tradingDay_ = "20261207";
};

}  // namespace sim

#endif
