#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QVector>

// Checks an order passes after the form's own checks and before the confirmation: the exchange's
// rules for the code's board (lots, price tick, the day's price limits) and the limits that stop a
// fat finger. Each function returns the refusal text, or an empty text when the order may go on.

// What the exchange rules depend on: lot and tick of a code's board.
struct BoardRule {
    enum Board { Unknown, MainBoard, Star, Fund, Bond, Warrant };
    Board board = Unknown;
    int minimumBuy = 0;  // 0: no lot rule known
    int buyStep = 0;     // after the minimum
    double tick = 0;     // 0: no tick rule known
    QString unit;        // "股" or "张"
};

// The rule of `code` on `market` ('1' Shanghai, '2' Shenzhen); Unknown for codes and markets the
// table does not list, which no exchange rule is applied to.
BoardRule boardRuleOf(char market, const QString& code);

// The cached quote figures the checks read; 0 means not known.
struct QuoteFigures {
    double last = 0;
    double upperLimit = 0;
    double lowerLimit = 0;
};

struct PretradeOrder {
    char market = '0';
    QString code;
    char side = '1';      // '1' buy, '2' sell, '3' subscribe, '4' redeem
    int orderType = '2';  // '2' limit
    double price = 0;
    qint64 quantity = 0;
};

// From [checks] of moru-desk.ini; a limit of 0 is switched off.
struct PretradeLimits {
    bool enabled = true;
    qint64 maxQuantity = 1000000;
    double maxAmount = 10000000;
    double deviationPercent = 5;
    int ordersPerSecond = 5;
    int cancelsPerCodePerDay = 50;

    static PretradeLimits fromSettings();
};

// Buys in whole lots, a price on the tick, limit orders inside the day's limits.
QString exchangeRuleRefusal(const PretradeOrder& order, const QuoteFigures& quote);

// Largest quantity and largest value of one order; the value of an order without a price is taken
// at the last price.
QString sizeLimitRefusal(const PretradeOrder& order, const QuoteFigures& quote, const PretradeLimits& limits);

// Non-empty when the price lies further from the last price than the limit allows: the question to
// ask before going on.
QString priceDeviationQuestion(const PretradeOrder& order, const QuoteFigures& quote,
                               const PretradeLimits& limits);

// The orders sent in the last second (or span), so a terminal sends at most so many per second.
class FlowWindow {
public:
    explicit FlowWindow(int spanMs = 1000) : m_spanMs(spanMs) {}
    // Whether one more order may go at `nowMs`, with at most `perSpan` in any span (0: no limit).
    bool allows(qint64 nowMs, int perSpan);
    void note(qint64 nowMs);

private:
    void forget(qint64 nowMs);
    int m_spanMs;
    QVector<qint64> m_sent;
};

QString flowRefusal(int perSecond);

// Cancels sent per code since the start of the day, for the counters that cap them.
class CancelCounter {
public:
    // The one counter of this terminal.
    static CancelCounter& instance();

    // The refusal text when `code` already had `limit` cancels on `today` (0: no limit).
    QString refusal(const QString& code, int limit, const QDate& today = QDate::currentDate());
    void note(const QString& code, const QDate& today = QDate::currentDate());
    int count(const QString& code, const QDate& today = QDate::currentDate());

private:
    void roll(const QDate& today);
    QDate m_day;
    QHash<QString, int> m_counts;
};

// For the order page's cancels, with [checks] of moru-desk.ini: the refusal text for one more cancel
// of `code` today (empty when allowed or switched off), and the note of a cancel sent.
QString cancelRefusal(const QString& code);
void noteCancelSent(const QString& code);
