#include "funds.h"

#include <QDateTime>
#include <cmath>

#include "error_texts.h"
#include "reply.h"

namespace sim {

using moru_wire::Msg;

namespace {

constexpr double kCashEps = 1e-6;
constexpr double kMaxAmount = 1e12;

bool validAmount(double amount) {
    return amount > 0 && std::isfinite(amount) && amount <= kMaxAmount;
}

}  // namespace

void Funds::inOut(const Request& r, bool in) {
    namespace Q = rec::CapTransfer;
    namespace R = rec::CapTransferRsp;
    Session& s = *r.session;
    FundAccount& fa = s.funds();
    const double amount = r.body.get<double>(Q::Amount);
    int e = 0;
    if (!validAmount(amount))
        e = err::kBadAmount;
    else if (!in && amount > fa.withdrawable() + kCashEps)
        e = err::kNotWithdrawable;
    if (!e) {
        fa.available += in ? amount : -amount;
        fa.initial += in ? amount : -amount;
        fa.inOut.push_back({amount, in ? '1' : '2',
                            QDateTime::currentDateTime().toString("yyyyMMdd hh:mm:ss").toStdString()});
    }
    rec::Buf rsp(R::kSize);
    rsp.text(R::AccountID, 15, s.account->id);
    rsp.put<double>(R::Amount, amount);
    rsp.put<double>(R::Available, fa.available);
    rsp.put<double>(R::Withdrawable, fa.withdrawable());
    answer(r.link, in ? Msg::RspInFund : Msg::RspOutFund, r.header.requestId, e, rsp.bytes());
}

void Funds::onTransfer(const Request& r) {
    namespace Q = rec::BTTransfer;
    namespace R = rec::BTRsp;
    Session& s = *r.session;
    Account& a = *s.account;
    const double amount = r.body.get<double>(Q::Amount);
    const char dir = r.body.get<char>(Q::Direction);
    const char from = dir == '1' ? '1' : '2', to = dir == '1' ? '2' : '1';
    rec::Buf rsp(R::kRspSize);
    rsp.text(R::AccountID, 15, a.id);
    rsp.put<double>(R::Amount, amount);
    rsp.put<char>(R::Direction, dir);
    int e = 0;
    if (!validAmount(amount))
        e = err::kBadAmount;
    else if ((dir != '1' && dir != '2') || !a.markets.count(from) || !a.markets.count(to))
        e = err::kTransferRefused;
    else if (amount > a.markets[from].withdrawable() + kCashEps)
        e = err::kNotWithdrawable;
    if (e) return answer(r.link, Msg::RspBTFundTransfer, r.header.requestId, e, rsp.bytes());

    TransferRecord t;
    t.serial = ledger_.takeSerial();
    t.amount = amount;
    t.direction = dir;
    t.time = timeNow();
    t.status = '1';
    t.orgCode = a.markets[from].orgCode;
    a.transfers.push_back(t);
    // The money leaves at once and arrives when the transfer ends.
    a.markets[from].available -= amount;
    a.markets[from].initial -= amount;
    rsp.put<uint32_t>(R::SerialNo, t.serial);
    rsp.put<char>(R::Status, '1');
    answer(r.link, Msg::RspBTFundTransfer, r.header.requestId, 0, rsp.bytes());
    later(a.id, t.serial, s.id, r.link.kind, r.header.requestId);
}

void Funds::later(const std::string& acct, uint32_t serial, int sid, uint8_t kind, int32_t reqId) {
    if (schedule_)
        schedule_(opt_.transferStepMs, [this, acct, serial, sid, kind, reqId] {
            advanceTransfer(acct, serial, sid, kind, reqId);
        });
}

void Funds::advanceTransfer(const std::string& acct, uint32_t serial, int sid, uint8_t kind, int32_t reqId) {
    Account* a = ledger_.account(acct);
    if (!a) return;
    TransferRecord* t = nullptr;
    for (auto& tr : a->transfers)
        if (tr.serial == serial) t = &tr;
    if (!t || t->status >= '6') return;
    ++t->status;
    if (t->status < '6') return later(acct, serial, sid, kind, reqId);
    const char to = t->direction == '1' ? '2' : '1';
    a->markets[to].available += t->amount;
    a->markets[to].initial += t->amount;
    // Reported on the link that asked, or after a new login on the account's.
    Link* l = sessions_.linkFor(sid, a, 0, kind);
    if (!l) return;
    rec::Buf rtn(rec::BTRsp::kRtnSize);
    rtn.text(rec::BTRsp::AccountID, 15, a->id);
    rtn.put<double>(rec::BTRsp::Amount, t->amount);
    rtn.put<char>(rec::BTRsp::Direction, t->direction);
    rtn.put<uint32_t>(rec::BTRsp::SerialNo, t->serial);
    rtn.put<char>(rec::BTRsp::Status, t->status);
    answer(*l, Msg::RtnBTFundTransfer, reqId, 0, rtn.bytes());
}

}  // namespace sim
