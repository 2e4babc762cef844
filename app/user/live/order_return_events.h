#pragma once

#include <QHash>
#include <QString>
#include <functional>

#include "moru_api_types.h"

// What one order return means to the trader, given what the order's earlier returns said.
struct ReturnEvent {
    enum Kind { Accepted, Fill, Cancelled, Refused, Other };
    Kind kind = Other;
    quint32 orderSysId = 0;
    QString text;         // one line, as the notice and the day's list show it
    bool notify = false;  // fills, refusals and cancellations pop up
    bool filled = false;  // the traded quantity grew: positions, trades and funds follow
};

// Turns the session's order returns into events. A counter may repeat a return; only a change of
// status or traded quantity makes an event.
class OrderReturnTracker {
public:
    // The security's name for a code (empty when unknown).
    using NameOf = std::function<QString(const QString& code)>;

    explicit OrderReturnTracker(NameOf nameOf);

    // False when the return repeats what the order's last return said.
    bool take(const CMoruRtnOrderField& rtn, int errorId, const QString& errorText, ReturnEvent& event);
    void clear() { m_seen.clear(); }

    // Orders remembered at most; past it the oldest knowledge goes (a hostile counter may invent ids).
    static constexpr int MAX_ORDERS = 200000;

private:
    struct Seen {
        quint32 traded = 0;
        char status = 0;
    };
    NameOf m_nameOf;
    QHash<quint32, Seen> m_seen;
};

// "买 600000 名称", the start of every line about an order.
QString orderSubject(char side, const QString& code, const QString& name);
