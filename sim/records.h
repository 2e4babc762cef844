// Byte layouts of the records the counter reads and writes. The counter works on
// raw bytes so that it never depends on how the library's headers name fields.
#ifndef MORU_SIM_RECORDS_H
#define MORU_SIM_RECORDS_H

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace rec {

// A record under construction: fixed size, zero-filled.
class Buf {
public:
    explicit Buf(size_t size) : b_(size, 0) {}
    template <typename T>
    void put(size_t off, T v) {
        if (off + sizeof(T) <= b_.size()) std::memcpy(b_.data() + off, &v, sizeof(T));
    }
    void text(size_t off, size_t width, const std::string& s) {
        if (off >= b_.size()) return;
        if (off + width > b_.size()) width = b_.size() - off;
        std::memset(b_.data() + off, 0, width);
        size_t n = s.size() < width ? s.size() : width;
        std::memcpy(b_.data() + off, s.data(), n);
    }
    const std::vector<uint8_t>& bytes() const { return b_; }
    // The bytes moved out, for a record built to be returned.
    std::vector<uint8_t> take() { return std::move(b_); }
    size_t size() const { return b_.size(); }

private:
    std::vector<uint8_t> b_;
};

// A received body, read with bounds: fields outside it read as zero/empty.
class View {
public:
    View(const uint8_t* p, size_t n) : p_(p), n_(n) {}
    template <typename T>
    T get(size_t off) const {
        T v{};
        if (off + sizeof(T) <= n_) std::memcpy(&v, p_ + off, sizeof(T));
        return v;
    }
    std::string text(size_t off, size_t width) const {
        if (off >= n_) return {};
        if (off + width > n_) width = n_ - off;
        size_t k = 0;
        while (k < width && p_[off + k]) ++k;
        return std::string(reinterpret_cast<const char*>(p_ + off), k);
    }
    size_t size() const { return n_; }

private:
    const uint8_t* p_;
    size_t n_;
};

// Response info: ErrorID int32 @0, ErrorMsg char[81] @4.
constexpr size_t kRspInfo = 85;

// --- requests (a shorter one drops the link; each minimum covers every byte the counter reads) ---
namespace OrderInsert {
constexpr size_t kMin = 48, OrderRef = 0, SecurityID = 4, Side = 12, LimitPrice = 14, OrderQty = 22,
                 OrderType = 26, OrderFlag = 27, ClientTag = 32;
}
namespace TenderOffer {
constexpr size_t kMin = 25, OrderRef = 0, SecurityID = 4, Side = 12, OrderQty = 13, OfferorCode = 19;
}
namespace WarrantExercise {
constexpr size_t kMin = 26, OrderRef = 0, SecurityID = 4, Side = 12, LimitPrice = 13, OrderQty = 21;
}
namespace OrderAction {
constexpr size_t kMin = 42, OrderRef = 0, OrderSysID = 4, OperWay = 41;
}
namespace QryOrder {
constexpr size_t kMin = 43, OrderSysID = 0, SecurityID = 4, SecurityWidth = 12, StartTime = 16, EndTime = 25,
                 QueryPosition = 34, QueryMode = 42;
}
namespace QryTrade {
constexpr size_t kMin = 43, OrderSysID = 0, SecurityID = 4, SecurityWidth = 8, StartTime = 12, EndTime = 21,
                 QueryPosition = 34, QueryMode = 42;
}
namespace QryPosition {
constexpr size_t kMin = 31, AccountID = 0, SecurityID = 15, SecurityWidth = 16;
}
namespace CapTransfer {
constexpr size_t kMin = 38, AccountID = 4, Amount = 30;
}
namespace QryAccountRecords {  // deposit/withdrawal and transfer record queries
constexpr size_t kMin = 19, AccountID = 4;
}
namespace BTTransfer {
constexpr size_t kMin = 29, AccountID = 4, Amount = 20, Direction = 28;
}
namespace QryFund {
constexpr size_t kMin = 15, AccountID = 0;
}
namespace PwdUpdate {
constexpr size_t kMin = 41, AccountID = 0, NewPassword = 15, NewWidth = 10, OldPassword = 25, OldWidth = 16;
}

// --- responses ---
namespace OrderRsp {
constexpr size_t kInsert = 100;
constexpr size_t OrderRef = 0, SecurityID = 4, Side = 12, LimitPrice = 14, OrderQty = 22, OrderType = 26,
                 OrderSysID = 30;
}  // namespace OrderRsp
namespace TenderRsp {
constexpr size_t kSize = 96, OrderRef = 0, SecurityID = 4, Side = 12, OrderQty = 13, OfferorCode = 19,
                 OrderSysID = 28;
}
namespace WarrantRsp {
constexpr size_t kSize = 96, OrderRef = 0, SecurityID = 4, Side = 12, LimitPrice = 13, OrderQty = 21,
                 OrderSysID = 28;
}
namespace ActionRsp {
constexpr size_t kSize = 100, OrderRef = 0, OrderSysID = 4;
}
namespace OrderRec {  // order query record; the order return uses the same offsets below 240
constexpr size_t kSize = 272, kRtnSize = 240;
constexpr size_t OrderRef = 0, SecurityID = 4, Side = 12, LimitPrice = 14, OrderQty = 22, OrderType = 26,
                 OrderSysID = 30, Market = 34, AccountID = 35, RecvTime = 50, TradeQty = 79, LeavesQty = 83,
                 OrderStatus = 87, RtnText = 122, RtnTextWidth = 64, NodeID = 159, OrderNo = 168,
                 MsgKind = 178, SecurityType = 179, ErrorCode = 181, NextPosition = 183, HasMore = 187,
                 TradeAmount = 217, OfferorCode = 245;
}  // namespace OrderRec
namespace TradeRec {
constexpr size_t kSize = 259;
constexpr size_t OrderSysID = 0, Market = 4, TradeQty = 13, LeavesQty = 17, SecurityID = 21, TradeID = 30,
                 TradeTime = 38, TradePrice = 47, TradeAmount = 55, Side = 89, OrderNo = 155,
                 NextPosition = 182, HasMore = 186, OrderType = 217, ComponentCount = 218,
                 ComponentSecurityID = 220, ComponentSource = 228, OldPositionQty = 229,
                 ComponentTradeQty = 233, CashReplaceAmount = 237;
}  // namespace TradeRec
namespace PositionRec {
constexpr size_t kSize = 255;
constexpr size_t AccountID = 0, SecurityID = 15, TodayBuyQty = 31, TodaySellQty = 39, YesterdayQty = 71,
                 TotalQty = 95, PositionCost = 103, AvailableQty = 136, PurchasableQty = 182,
                 RedeemableQty = 190;
}  // namespace PositionRec
namespace FundRec {
constexpr size_t kSize = 224;
constexpr size_t AccountID = 0, FrozenCapital = 16, LockedFee = 24, Fee = 32, InitialCapital = 40,
                 TodaySellAmount = 56, TodayBuyAmount = 64, AvailableCapital = 88, WithdrawableCapital = 130;
}  // namespace FundRec
namespace InOutRec {
constexpr size_t kSize = 105;
constexpr size_t OrgCode = 0, AccountID = 4, Amount = 19, Direction = 27, OperTime = 32;
}  // namespace InOutRec
namespace CapTransferRsp {
constexpr size_t kSize = 136, AccountID = 4, Amount = 30, Available = 38, Withdrawable = 46;
}
namespace BTRec {
constexpr size_t kSize = 113;
constexpr size_t OrgCode = 4, AccountID = 8, Amount = 24, Direction = 32, OperTime = 33, ErrorCode = 42,
                 Status = 46, SerialNo = 47;
}  // namespace BTRec
namespace BTRsp {
constexpr size_t kRspSize = 96, kRtnSize = 97, AccountID = 4, Amount = 20, Direction = 28, Status = 29,
                 SerialNo = 30;
}
namespace PwdRsp {
constexpr size_t kSize = 99, AccountID = 0;
}

}  // namespace rec

#endif
