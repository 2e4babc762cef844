// What the order-page benchmarks share: the clock in milliseconds, the median of the runs and the
// order record number n that both feed to the page.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <algorithm>
#include <cstring>
#include <vector>

#include "moru_api_types.h"

namespace bench {

inline double millis(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A finished or cancelled limit order of the day, different in code, side, price and size.
inline CMoruRspQryOrderField order(int n) {
    CMoruRspQryOrderField r;
    std::memset(&r, 0, sizeof r);
    r.OrderSysID = quint32(n);
    const QByteArray no = QByteArray::number(n).rightJustified(10, '0');
    std::memcpy(r.OrderNo, no.constData(), 10);
    const QByteArray code = QByteArray::number(600000 + n % 300);
    std::memcpy(r.SecurityID, code.constData(), size_t(code.size()));
    r.NodeID = 6;
    r.SecurityType = 1;
    r.Side = n % 3 ? '1' : '2';
    r.LimitPrice = 10.0 + (n % 100) / 100.0;
    r.OrderQty = quint32(100 * (1 + n % 10));
    r.OrderType = '2';
    r.OrderStatus = n % 5 == 4 ? '6' : '8';
    r.MsgKind = 0x65;
    r.TradeQty = r.OrderStatus == '8' ? r.OrderQty : 0;
    r.LeavesQty = r.OrderQty - r.TradeQty;
    r.TradeAmount = r.TradeQty * r.LimitPrice;
    std::memcpy(r.RecvTime, "093000123", 9);
    return r;
}

}  // namespace bench
