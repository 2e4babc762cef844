#include "ledger.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTime>
#include <algorithm>
#include <cmath>

#include "error_texts.h"

namespace sim {

namespace {

std::string hhmmsszzz(const QTime& t) {
    return t.toString("hhmmsszzz").toStdString();
}

// One security of the data file; false when it cannot be traded (no code, no price).
bool readSecurity(const QJsonObject& o, Security* out) {
    Security& s = *out;
    s.code = o.value("code").toString().toStdString();
    if (s.code.empty() || s.code.size() > 8) return false;
    s.name = o.value("name").toString().toStdString();
    // The quote record holds 29 bytes and a NUL: shorten by whole characters.
    QString name = QString::fromStdString(s.name);
    s.gbkName = toGbk(name.toStdString());
    while (s.gbkName.size() > 29 && !name.isEmpty()) {
        name.chop(1);
        s.gbkName = toGbk(name.toStdString());
    }
    s.market = o.value("market").toString("1").toStdString().c_str()[0];
    s.type = uint8_t(o.value("type").toInt(1));
    s.preClose = o.value("preClose").toDouble(10);
    s.tick = o.value("tick").toDouble(0.01);
    s.lot = std::max(1, o.value("lot").toInt(100));
    s.limitPct = o.value("limitPct").toDouble(0.1);
    s.etfUnit = o.value("etfUnit").toInt(0);
    s.offerorCode = o.value("offerorCode").toString().toStdString();
    s.exercisePrice = o.value("exercisePrice").toDouble(0);
    s.parValue = o.value("parValue").toDouble(0);
    return s.preClose > 0;
}

Account readAccount(const QJsonObject& o) {
    Account a;
    a.id = o.value("account").toString().toStdString();
    a.password = o.value("password").toString().toStdString();
    a.name = o.value("name").toString().toStdString();
    for (const auto& n : o.value("nodes").toArray()) a.nodes.push_back(n.toInt());
    QJsonObject markets = o.value("markets").toObject();
    for (const QString& mk : markets.keys()) {
        QJsonObject m = markets.value(mk).toObject();
        FundAccount fa;
        fa.market = mk.isEmpty() ? '1' : char(mk.at(0).toLatin1());
        fa.orgCode = m.value("orgCode").toString().toStdString();
        fa.initial = fa.available = m.value("capital").toDouble(0);
        for (const auto& pv : m.value("positions").toArray()) {
            QJsonObject p = pv.toObject();
            Position pos;
            pos.yesterday = pos.total = pos.available = uint64_t(std::max(0, p.value("qty").toInt()));
            pos.cost = p.value("cost").toDouble(0);
            fa.positions[p.value("code").toString().toStdString()] = pos;
        }
        a.markets[fa.market] = std::move(fa);
    }
    return a;
}

}  // namespace

void settle(FundAccount& fa) {
    fa.frozen = std::round(fa.frozen * 10000) / 10000;
    fa.available = std::round(fa.available * 10000) / 10000;
    if (fa.frozen < 0 && fa.frozen > -0.01) fa.frozen = 0;
}

std::string timeNow() {
    return hhmmsszzz(QTime::currentTime());
}

Trade tradeOf(const Order& o, uint32_t tradeId, double price, uint32_t qty) {
    Trade t;
    t.orderSysId = o.sysId;
    t.tradeId = tradeId;
    t.code = o.code;
    t.side = o.side;
    t.orderType = o.orderType;
    t.qty = qty;
    t.leaves = o.leaves;
    t.price = price;
    t.time = timeNow();
    return t;
}

double FundAccount::lockedFee() const {
    double locked = 0;
    for (const Order& o : orders)
        if ((o.status == '2' || o.status == '7') && o.freezePerUnit > 0)
            locked += o.freezePerUnit * o.leaves * kFeeRate / (1 + kFeeRate);
    return std::round(locked * 100) / 100;
}

Account* Ledger::account(const std::string& id) {
    auto it = accounts_.find(id);
    return it == accounts_.end() ? nullptr : &it->second;
}

bool Ledger::loadJson(const std::string& utf8Json, Market& market, int seed, std::string* err) {
    QJsonParseError pe;
    QJsonDocument doc = QJsonDocument::fromJson(QByteArray(utf8Json.data(), int(utf8Json.size())), &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        if (err) *err = "bad JSON: " + pe.errorString().toStdString();
        return false;
    }
    QJsonObject root = doc.object();
    if (root.contains("tradingDay")) tradingDay_ = root.value("tradingDay").toString().toStdString();
    market = Market(uint32_t(seed >= 0 ? seed : root.value("seed").toInt(7)));
    for (const auto& v : root.value("securities").toArray()) {
        Security s;
        if (readSecurity(v.toObject(), &s)) market.add(std::move(s));
    }
    for (const auto& v : root.value("accounts").toArray()) {
        Account a = readAccount(v.toObject());
        if (!a.id.empty()) accounts_[a.id] = std::move(a);
    }
    if (market.all().empty() || accounts_.empty()) {
        if (err) *err = "no securities or no accounts";
        return false;
    }
    return true;
}

bool Ledger::fillBigAccount(const std::string& id, char mk, int n, Market& securities) {
    Account* a = account(id);
    if (!a || !a->markets.count(mk)) return false;
    FundAccount& fa = a->markets[mk];
    std::vector<Security*> pool;
    for (auto& s : securities.all())
        if (s.market == mk && (s.type == kStock || s.type == kStar || s.type == kChiNext)) pool.push_back(&s);
    if (pool.empty()) return false;
    fa.orders.reserve(fa.orders.size() + size_t(n));
    fa.trades.reserve(fa.trades.size() + size_t(n));
    for (int i = 0; i < n; ++i) {
        Security& s = *pool[size_t(i) % pool.size()];
        Order o;
        o.sysId = takeSysId();
        o.orderRef = ++fa.maxOrderRef;
        o.code = s.code;
        o.side = (i % 3 == 0) ? '2' : '1';
        o.price = s.preClose;
        o.qty = uint32_t(s.lot * (1 + i % 10));
        o.secType = s.type;
        o.node = 6;
        // Spread over the trading day, in arrival order.
        int ms = int(int64_t(i) * (5 * 3600 * 1000LL) / std::max(1, n));
        o.recvTime = hhmmsszzz(QTime(9, 30).addMSecs(ms));
        bool filled = i % 5 != 4;
        o.traded = filled ? o.qty : 0;
        o.leaves = o.qty - o.traded;
        o.status = filled ? '8' : '6';
        o.tradeAmount = o.traded * o.price;
        fa.orders.push_back(o);
        if (filled) {
            Trade t = tradeOf(o, takeTradeId(), o.price, o.qty);
            t.time = o.recvTime;
            fa.trades.push_back(t);
        }
    }
    return true;
}

}  // namespace sim
