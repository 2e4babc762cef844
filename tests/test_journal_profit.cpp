// Realised profit (first in, first out) and the daily statement, computed from recorded fills.
#include <QtTest>

#include "journal/daily_statement.h"
#include "journal/history_rows.h"
#include "journal/realised_profit.h"

namespace {
// "day side code qty price [fee]" separated by ";" — day as a number of January 2026.
QVector<JournalTrade> fills(const QString& text) {
    QVector<JournalTrade> out;
    int n = 0;
    for (const QString& part : text.split(';', Qt::SkipEmptyParts)) {
        const QStringList f = part.simplified().split(' ');
        JournalTrade t;
        t.scope = {QStringLiteral("10880001"), QStringLiteral("1"),
                   QDate(2026, 1, f.at(0).toInt()).toString(Qt::ISODate)};
        t.side = f.at(1);
        t.securityId = f.at(2);
        t.qty = f.at(3).toLongLong();
        t.price = f.at(4).toDouble();
        t.hasFee = f.size() > 5;
        t.fee = t.hasFee ? f.at(5).toDouble() : 0.0;
        t.tradeTime = QStringLiteral("0930%1000").arg(++n, 2, 10, QLatin1Char('0'));
        t.key = QString::number(n);
        out.append(t);
    }
    return out;
}

QString day(int d) {
    return QDate(2026, 1, d).toString(Qt::ISODate);
}

// "key profit unmatched" per line, as the page would read them.
QString summary(const QVector<ProfitLine>& lines) {
    QStringList out;
    for (const ProfitLine& l : lines)
        out << QStringLiteral("%1 %2 %3")
                   .arg(l.day.isEmpty() ? l.code : l.day.right(2))
                   .arg(l.profit, 0, 'f', 2)
                   .arg(l.unmatchedQty);
    return out.join(QStringLiteral("; "));
}
}  // namespace

class TestJournalProfit : public QObject {
    Q_OBJECT
private slots:
    void firstInFirstOut_data() {
        QTest::addColumn<QString>("trades");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("byDay");
        QTest::addColumn<QString>("byCode");
        QTest::newRow("several buys, a partial sell uses the oldest first")
            << "2 1 600000 100 10; 2 1 600000 200 11; 3 2 600000 150 12" << 1 << 31 << "03 250.00 0"
            << "600000 250.00 0";
        QTest::newRow("a sell of all")
            << "2 1 600000 100 10; 2 1 600000 200 11; 3 2 600000 300 12" << 1 << 31 << "03 400.00 0"
            << "600000 400.00 0";
        QTest::newRow("partial sells on two days")
            << "2 1 600000 100 10; 3 2 600000 30 12; 4 2 600000 70 9" << 1 << 31 << "03 60.00 0; 04 -70.00 0"
            << "600000 -10.00 0";
        QTest::newRow("a sale beyond the recorded buys has no cost")
            << "2 1 600000 100 10; 3 2 600000 150 11" << 1 << 31 << "03 100.00 50"
            << "600000 100.00 50";
        QTest::newRow("known fees on both sides")
            << "2 1 600000 100 10 5; 3 2 600000 100 11 3" << 1 << 31 << "03 92.00 0"
            << "600000 92.00 0";
        QTest::newRow("a sale before the range still uses up its lots")
            << "2 1 600000 100 10; 2 1 600000 100 20; 3 2 600000 100 15; 5 2 600000 100 25" << 4 << 31
            << "05 500.00 0"
            << "600000 500.00 0";
        QTest::newRow("codes keep their own lots")
            << "2 1 600000 100 10; 2 1 000001 100 50; 3 2 600000 100 11; 3 2 000001 50 40" << 1 << 31
            << "03 -400.00 0"
            << "000001 -500.00 0; 600000 100.00 0";
        QTest::newRow("subscriptions and redemptions do not count")
            << "2 1 510050 1000 3; 2 3 510050 900000 1; 3 4 510050 900000 1; 3 2 510050 1000 3.1" << 1 << 31
            << "03 100.00 0"
            << "510050 100.00 0";
        QTest::newRow("fills after the range are left out")
            << "2 1 600000 100 10; 9 2 600000 100 12" << 1 << 8 << ""
            << "";
    }

    void firstInFirstOut() {
        QFETCH(QString, trades);
        QFETCH(int, from);
        QFETCH(int, to);
        // The journal hands fills over in any order.
        QVector<JournalTrade> input = fills(trades);
        std::reverse(input.begin(), input.end());
        const QVector<ProfitLine> sales = RealisedProfit::perSale(input, day(from), day(to));
        QTEST(summary(RealisedProfit::byDay(sales)), "byDay");
        QTEST(summary(RealisedProfit::byCode(sales)), "byCode");
    }

    void transfersMoveCashByDirectionAndMarket_data() {
        QTest::addColumn<QString>("market");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("error");
        QTest::addColumn<double>("flow");
        QTest::newRow("out of Shanghai") << "1"
                                         << "1"
                                         << "6" << 0 << -100.0;
        QTest::newRow("into Shenzhen") << "2"
                                       << "1"
                                       << "6" << 0 << 100.0;
        QTest::newRow("back into Shanghai") << "1"
                                            << "2"
                                            << "6" << 0 << 100.0;
        QTest::newRow("out of Shenzhen") << "2"
                                         << "2"
                                         << "6" << 0 << -100.0;
        QTest::newRow("still running") << "1"
                                       << "1"
                                       << "3" << 0 << 0.0;
        QTest::newRow("failed") << "1"
                                << "1"
                                << "6" << 7 << 0.0;
    }

    void transfersMoveCashByDirectionAndMarket() {
        QFETCH(QString, market);
        JournalFundMove move;
        move.kind = JournalFundMove::Transfer;
        move.amount = 100;
        QFETCH(QString, direction);
        QFETCH(QString, status);
        QFETCH(int, error);
        move.direction = direction;
        move.status = status;
        move.errorCode = error;
        QTEST(JournalRows::cashFlow(move, market), "flow");
    }

    void aDaysStatementListsItsFillsThenItsCashFlow() {
        const QVector<JournalTrade> trades =
            fills("3 2 600000 100 12 1.5; 2 1 600000 300 10; 3 1 000001 200 5");
        QVector<JournalFundMove> funds(3);
        funds[0].kind = JournalFundMove::Deposit;
        funds[0].amount = 5000;
        funds[1].kind = JournalFundMove::Withdrawal;
        funds[1].amount = 800;
        funds[2].kind = JournalFundMove::Transfer;
        funds[2].amount = 1000;
        funds[2].direction = "1";
        funds[2].status = "6";
        for (JournalFundMove& f : funds) f.scope.day = day(3);

        const QVector<StatementLine> lines = DailyStatement::build(trades, funds, "1");
        QCOMPARE(lines.size(), 5);  // day 2: one fill and its closing line; day 3: two fills and closing
        QCOMPARE(lines.at(0).cash, -3000.0);
        QVERIFY(lines.at(1).closing);
        QCOMPARE(lines.at(1).cash, -3000.0);
        QCOMPARE(lines.at(2).fill->securityId, QStringLiteral("600000"));  // time order within the day
        QCOMPARE(lines.at(2).cash, 1198.5);
        QCOMPARE(lines.at(3).cash, -1000.0);
        const StatementLine& closing = lines.at(4);
        QVERIFY(closing.closing);
        QCOMPARE(closing.buys, 1000.0);
        QCOMPARE(closing.sells, 1200.0);
        QCOMPARE(closing.fee, 1.5);
        QCOMPARE(closing.deposits, 5000.0);
        QCOMPARE(closing.withdrawals, 800.0);
        QCOMPARE(closing.transfers, -1000.0);
        QCOMPARE(closing.cash, 1198.5 - 1000.0 + 5000.0 - 800.0 - 1000.0);

        HistoryAnswer answer;
        answer.query.kind = HistoryQuery::Statement;
        answer.query.market = "1";
        answer.trades = trades;
        answer.funds = funds;
        const QVector<QStringList> rows = HistoryRows::rows(answer);
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows.at(4).at(1), QStringLiteral("当日合计"));
        QCOMPARE(rows.at(4).at(8), QStringLiteral("3398.50"));
        QCOMPARE(rows.at(2).at(7), QStringLiteral("1.50"));  // a known fee
        QVERIFY(rows.at(3).at(7).isEmpty());                 // none given
        for (const QStringList& row : rows)
            QCOMPARE(row.size(), HistoryRows::titles(HistoryQuery::Statement).size());
    }
};

QTEST_GUILESS_MAIN(TestJournalProfit)
#include "test_journal_profit.moc"
