#include "user/live/order_return_events.h"

#include "utils/record_text.h"
#include "utils/utils.h"

namespace {
QString priceSuffix(double price) {
    return price > 0 ? QStringLiteral(" @ %1").arg(price, 0, 'f', 3) : QString();
}
}  // namespace

QString orderSubject(char side, const QString& code, const QString& name) {
    const QString sideText = side == MORU_SIDE_BUY    ? QStringLiteral("买")
                             : side == MORU_SIDE_SELL ? QStringLiteral("卖")
                                                      : Utils::TMoruSideTypeConvert(side);
    QString subject = sideText + QLatin1Char(' ') + code;
    if (!name.isEmpty()) subject += QLatin1Char(' ') + name;
    return subject;
}

OrderReturnTracker::OrderReturnTracker(NameOf nameOf) : m_nameOf(std::move(nameOf)) {}

bool OrderReturnTracker::take(const CMoruRtnOrderField& rtn, int errorId, const QString& errorText,
                              ReturnEvent& event) {
    // Packed record: copies, never references.
    const quint32 sysId = rtn.OrderSysID;
    const quint32 traded = rtn.TradeQty;
    const quint32 ordered = rtn.OrderQty;
    const double price = rtn.LimitPrice;
    const char status = rtn.OrderStatus;

    const auto it = m_seen.constFind(sysId);
    const Seen before = it == m_seen.cend() ? Seen{} : it.value();
    if (it != m_seen.cend() && before.status == status && before.traded == traded && errorId == 0)
        return false;
    if (it == m_seen.cend() && m_seen.size() >= MAX_ORDERS) m_seen.clear();
    m_seen.insert(sysId, Seen{traded, status});

    const QString code = fieldText(rtn.SecurityID);
    const QString subject = orderSubject(rtn.Side, code, m_nameOf ? m_nameOf(code) : QString());
    event = ReturnEvent{};
    event.orderSysId = sysId;
    if (errorId != 0 || status == MORU_STATUS_REJECTED) {
        event.kind = ReturnEvent::Refused;
        event.notify = true;
        event.text = errorId != 0 ? QStringLiteral("报单被拒 [%1] %2").arg(errorId).arg(errorText)
                                  : QStringLiteral("报单被拒 %1").arg(subject);
    } else if (traded > before.traded) {
        event.kind = ReturnEvent::Fill;
        event.notify = true;
        event.filled = true;
        event.text =
            QStringLiteral("%1 成交 %2 股").arg(subject).arg(traded - before.traded) + priceSuffix(price);
        // An order that fills in part and ends at once (immediate-or-cancel) says both.
        if ((status == MORU_STATUS_PARTLY_CANCELLED || status == MORU_STATUS_CANCELLED) && ordered > traded)
            event.text += QStringLiteral("，已撤 %1 股").arg(ordered - traded);
    } else if ((status == MORU_STATUS_PARTLY_CANCELLED || status == MORU_STATUS_CANCELLED) &&
               before.status != status) {
        event.kind = ReturnEvent::Cancelled;
        event.notify = true;
        event.text =
            QStringLiteral("%1 已撤 %2 股").arg(subject).arg(ordered > traded ? ordered - traded : 0);
    } else if (status == MORU_STATUS_REPORTED) {
        event.kind = ReturnEvent::Accepted;
        event.text = QStringLiteral("%1 已报 %2 股").arg(subject).arg(ordered) + priceSuffix(price);
    } else {
        event.text = QStringLiteral("%1 %2").arg(subject, Utils::TMoruOrderStatusTypeConvert(status));
    }
    return true;
}
