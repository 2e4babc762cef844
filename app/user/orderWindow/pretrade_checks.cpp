#include "user/orderWindow/pretrade_checks.h"

#include <QtGlobal>
#include <cmath>

#include "utils/desk_settings.h"

namespace {
constexpr int kLimitType = '2';

struct BoardRow {
    char market;
    const char* prefix;
    BoardRule::Board board;
};

// Longest prefix first where prefixes nest; a code matches the first row it starts with.
const BoardRow kBoards[] = {
    {'1', "688", BoardRule::Star},      {'1', "689", BoardRule::Star},
    {'1', "600", BoardRule::MainBoard}, {'1', "601", BoardRule::MainBoard},
    {'1', "603", BoardRule::MainBoard}, {'1', "605", BoardRule::MainBoard},
    {'1', "5", BoardRule::Fund},        {'1', "01", BoardRule::Bond},
    {'1', "1", BoardRule::Bond},        {'2', "000", BoardRule::MainBoard},
    {'2', "001", BoardRule::MainBoard}, {'2', "002", BoardRule::MainBoard},
    {'2', "003", BoardRule::MainBoard}, {'2', "300", BoardRule::MainBoard},
    {'2', "301", BoardRule::MainBoard}, {'2', "03", BoardRule::Warrant},
    {'2', "15", BoardRule::Fund},       {'2', "16", BoardRule::Fund},
    {'2', "18", BoardRule::Fund},       {'2', "10", BoardRule::Bond},
    {'2', "11", BoardRule::Bond},       {'2', "12", BoardRule::Bond},
};

QString price3(double price) {
    return QString::number(price, 'f', 3);
}

bool onTick(double price, double tick) {
    const double steps = price / tick;
    return std::fabs(steps - std::round(steps)) < 1e-6;
}

bool buyOrSell(char side) {
    return side == '1' || side == '2';
}

// The price an order is valued at: its own, or the last price for an order without one.
double valuationPrice(const PretradeOrder& order, const QuoteFigures& quote) {
    return order.price > 0 ? order.price : quote.last;
}
}  // namespace

BoardRule boardRuleOf(char market, const QString& code) {
    BoardRule rule;
    if (code.size() != 6) return rule;
    for (const BoardRow& row : kBoards) {
        if (row.market != market || !code.startsWith(QLatin1String(row.prefix))) continue;
        rule.board = row.board;
        break;
    }
    switch (rule.board) {
        case BoardRule::Unknown:
            return rule;
        case BoardRule::Star:
            rule.minimumBuy = 200;
            rule.buyStep = 1;
            rule.tick = 0.01;
            break;
        case BoardRule::MainBoard:
            rule.minimumBuy = rule.buyStep = 100;
            rule.tick = 0.01;
            break;
        case BoardRule::Fund:
        case BoardRule::Warrant:
            rule.minimumBuy = rule.buyStep = 100;
            rule.tick = 0.001;
            break;
        case BoardRule::Bond:
            // Bonds trade by the hand of ten.
            rule.minimumBuy = rule.buyStep = 10;
            rule.tick = 0.001;
            break;
    }
    rule.unit = rule.board == BoardRule::Bond ? QStringLiteral("张") : QStringLiteral("股");
    return rule;
}

PretradeLimits PretradeLimits::fromSettings() {
    const DeskSettings& s = DeskSettings::instance();
    PretradeLimits l;
    l.enabled = s.flag(QStringLiteral("checks/enabled"), l.enabled);
    l.maxQuantity = s.integer(QStringLiteral("checks/maxQuantity"), int(l.maxQuantity), 0, 2147483647);
    l.maxAmount = s.number(QStringLiteral("checks/maxAmount"), l.maxAmount, 0, 1e15);
    l.deviationPercent =
        s.number(QStringLiteral("checks/priceDeviationPercent"), l.deviationPercent, 0, 1000);
    l.ordersPerSecond = s.integer(QStringLiteral("checks/ordersPerSecond"), l.ordersPerSecond, 0, 1000);
    l.cancelsPerCodePerDay =
        s.integer(QStringLiteral("checks/cancelsPerCodePerDay"), l.cancelsPerCodePerDay, 0, 1000000);
    return l;
}

QString exchangeRuleRefusal(const PretradeOrder& order, const QuoteFigures& quote) {
    if (!buyOrSell(order.side)) return QString();
    const BoardRule rule = boardRuleOf(order.market, order.code);
    if (order.side == '1' && rule.minimumBuy > 0) {
        if (rule.buyStep == rule.minimumBuy && order.quantity % rule.buyStep != 0)
            return QStringLiteral("买入数量须为%1%2的整数倍").arg(rule.buyStep).arg(rule.unit);
        if (order.quantity < rule.minimumBuy)
            return QStringLiteral("科创板买入数量不得少于%1%2").arg(rule.minimumBuy).arg(rule.unit);
    }
    if (rule.tick > 0 && order.price > 0 && !onTick(order.price, rule.tick))
        return QStringLiteral("价格须为%1元的整数倍").arg(rule.tick == 0.01 ? "0.01" : "0.001");
    const bool limitsKnown = quote.upperLimit > 0 && quote.lowerLimit > 0;
    if (order.orderType == kLimitType && limitsKnown &&
        (order.price > quote.upperLimit + 1e-9 || order.price < quote.lowerLimit - 1e-9))
        return QStringLiteral("价格超出涨跌停范围 [%1, %2]")
            .arg(price3(quote.lowerLimit), price3(quote.upperLimit));
    return QString();
}

QString sizeLimitRefusal(const PretradeOrder& order, const QuoteFigures& quote,
                         const PretradeLimits& limits) {
    if (!buyOrSell(order.side)) return QString();
    if (limits.maxQuantity > 0 && order.quantity > limits.maxQuantity)
        return QStringLiteral("委托数量%1超过单笔上限%2").arg(order.quantity).arg(limits.maxQuantity);
    const double amount = valuationPrice(order, quote) * double(order.quantity);
    if (limits.maxAmount > 0 && amount > limits.maxAmount)
        return QStringLiteral("委托金额%1超过单笔上限%2")
            .arg(QString::number(amount, 'f', 2), QString::number(limits.maxAmount, 'f', 2));
    return QString();
}

QString priceDeviationQuestion(const PretradeOrder& order, const QuoteFigures& quote,
                               const PretradeLimits& limits) {
    if (!buyOrSell(order.side) || limits.deviationPercent <= 0 || quote.last <= 0 || order.price <= 0)
        return QString();
    const double percent = std::fabs(order.price - quote.last) / quote.last * 100;
    if (percent <= limits.deviationPercent + 1e-9) return QString();
    return QStringLiteral("委托价格%1偏离最新价%2达%3%,超过%4%,是否继续?")
        .arg(price3(order.price), price3(quote.last), QString::number(percent, 'f', 2),
             QString::number(limits.deviationPercent));
}

void FlowWindow::forget(qint64 nowMs) {
    int keep = 0;
    while (keep < m_sent.size() && m_sent.at(keep) <= nowMs - m_spanMs) ++keep;
    m_sent.remove(0, keep);
}

bool FlowWindow::allows(qint64 nowMs, int perSpan) {
    forget(nowMs);
    return perSpan <= 0 || m_sent.size() < perSpan;
}

void FlowWindow::note(qint64 nowMs) {
    forget(nowMs);
    m_sent.append(nowMs);
}

QString flowRefusal(int perSecond) {
    return QStringLiteral("委托过于频繁,每秒最多%1笔").arg(perSecond);
}

CancelCounter& CancelCounter::instance() {
    static CancelCounter counter;
    return counter;
}

void CancelCounter::roll(const QDate& today) {
    if (m_day == today) return;
    m_day = today;
    m_counts.clear();
}

QString CancelCounter::refusal(const QString& code, int limit, const QDate& today) {
    roll(today);
    if (limit <= 0 || m_counts.value(code) < limit) return QString();
    return QStringLiteral("%1今日撤单已达%2次上限").arg(code).arg(limit);
}

void CancelCounter::note(const QString& code, const QDate& today) {
    roll(today);
    ++m_counts[code];
}

int CancelCounter::count(const QString& code, const QDate& today) {
    roll(today);
    return m_counts.value(code);
}

QString cancelRefusal(const QString& code) {
    const PretradeLimits limits = PretradeLimits::fromSettings();
    if (!limits.enabled) return QString();
    return CancelCounter::instance().refusal(code, limits.cancelsPerCodePerDay);
}

void noteCancelSent(const QString& code) {
    CancelCounter::instance().note(code);
}
