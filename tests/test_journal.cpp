// The journal on both of its backends: the same suite runs on an SQLite file and then on a throwaway
// PostgreSQL cluster (skipped, saying why, where none can be started).
#include <QApplication>
#include <QSignalSpy>
#include <QSqlRecord>

#include "journal/history_rows.h"
#include "journal/journal.h"
#include "journal/journal_recorder.h"
#include "journal/journal_schema.h"
#include "journal/journal_store.h"
#include "journal_support.h"
#include "utils/signal_interface.h"

namespace {
QString today(int offset = 0) {
    return QDate::currentDate().addDays(offset).toString(Qt::ISODate);
}

JournalScope scope(const QString& day) {
    return {QStringLiteral("10880001"), QStringLiteral("1"), day};
}

JournalTrade tradeRow(const QString& day, const QString& key, const QString& side, qint64 qty, double price) {
    JournalTrade t;
    t.scope = scope(day);
    t.key = key;
    t.securityId = QStringLiteral("600000");
    t.side = side;
    t.qty = qty;
    t.price = price;
    t.tradeTime = QStringLiteral("100000000");
    return t;
}
}  // namespace

class TestJournal : public QObject {
    Q_OBJECT
public:
    // Without a cluster the suite runs on SQLite files.
    TestJournal(js::PgCluster* pg, const QString& skipReason) : m_pg(pg), m_skip(skipReason) {}

private:
    JournalTarget freshTarget() {
        if (m_pg) return m_pg->freshDatabase();
        JournalTarget t;
        t.sqlitePath = m_dir.filePath(QStringLiteral("journal%1.sqlite").arg(++m_files));
        return t;
    }

    JournalConfig configFor(const JournalTarget& target, int retentionDays = 0) {
        JournalConfig c;
        c.target = target;
        c.batchMs = 10;
        c.retentionDays = retentionDays;
        return c;
    }

    // Starts the journal for a logged-in Shanghai account and waits until it has opened.
    void startJournal(const JournalConfig& config) {
        Journal* j = Journal::instance();
        j->setSession(QStringLiteral("10880001"), '1');
        QVERIFY(j->start(config));
        j->flushNow();
    }

    qint64 rows(const JournalTarget& target, const QString& table) {
        JournalStore store(QStringLiteral("reader"));
        if (store.open(target, JournalSchema::latestVersion()) != JournalStore::OpenResult::Opened) return -1;
        return store.count(table);
    }

    void fireDay(char status, uint32_t traded) {
        js::fromLibrary([&](const CMoruTraderSpi& spi) {
            CMoruRspInfo ok = js::rspInfo();
            for (uint32_t id : {1u, 2u, 3u}) {
                auto r = js::orderReturn(id, "600000", '1', 1000, 10.5, status, traded);
                spi.onRtnOrder(&r, &ok, 0, true);
            }
            for (uint32_t id : {3u, 4u}) {
                auto r = js::orderAnswer(id, "600036", status, traded);
                spi.onRspQryOrder(&r, &ok, 7, id == 4);
            }
            auto f1 = js::fill(3, "600036", '1', 300, 10.5, "093001000");
            auto f2 = js::fill(3, "600036", '1', 200, 10.4, "093002000");
            spi.onRspQryTrade(&f1, &ok, 8, false);
            spi.onRspQryTrade(&f2, &ok, 8, true);
            auto p = js::position("600036", 500 + traded);
            spi.onRspQryPosition(&p, &ok, 9, true);
            auto d = js::inOut('1', 50000, "2026-12-08 09:10:00");
            spi.onRspQryInOutFundRecord(&d, &ok, 10, true);
            auto t = js::transfer('1', 20000, status == '8' ? '6' : '3');
            spi.onRspQryBTFundTransferRecord(&t, &ok, 11, true);
        });
    }

private slots:
    void initTestCase() {
        if (!m_skip.isEmpty()) QSKIP(qPrintable(m_skip));
        QVERIFY(m_dir.isValid());
        js::armCallbacks();
        registerApiMetaTypes();
    }

    void cleanup() { Journal::instance()->stop(); }

    void migratesUpToTheLatestVersion_data() {
        QTest::addColumn<int>("startVersion");
        QTest::newRow("empty") << 0;
        QTest::newRow("version 1 with rows") << 1;
    }

    void migratesUpToTheLatestVersion() {
        QFETCH(int, startVersion);
        const JournalTarget target = freshTarget();
        if (startVersion > 0) {
            JournalStore old(QStringLiteral("old"));
            QCOMPARE(old.open(target, startVersion), JournalStore::OpenResult::Opened);
            QSqlQuery q(old.database());
            QVERIFY2(
                q.exec("INSERT INTO trades (account, market, trading_day, trade_key, security_id, trade_qty) "
                       "VALUES ('10880001', '1', '2026-01-05', 'k', '600000', 100)"),
                qPrintable(q.lastError().text()));
            QVERIFY(!old.database().record("trades").contains("fee"));
        }
        JournalStore store(QStringLiteral("now"));
        QCOMPARE(store.open(target, JournalSchema::latestVersion()), JournalStore::OpenResult::Opened);
        QCOMPARE(JournalSchema::versionOf(store.database()), JournalSchema::latestVersion());
        QVERIFY(store.database().record("trades").contains("fee"));
        QCOMPARE(store.count("trades"), qint64(startVersion > 0 ? 1 : 0));
        // The migrated file takes rows as a new one does.
        JournalBatch batch;
        batch.trades << tradeRow("2026-01-06", "k2", "1", 100, 10);
        QVERIFY2(store.write(batch), qPrintable(store.error()));
        QCOMPARE(store.count("trades"), qint64(startVersion > 0 ? 2 : 1));
    }

    void aJournalOfANewerVersionIsRefusedAndLeftAlone() {
        const JournalTarget target = freshTarget();
        {
            JournalStore store(QStringLiteral("future"));
            QCOMPARE(store.open(target, JournalSchema::latestVersion()), JournalStore::OpenResult::Opened);
            JournalBatch batch;
            batch.trades << tradeRow(today(), "k", "1", 100, 10);
            QVERIFY(store.write(batch));
            QVERIFY(QSqlQuery(store.database()).exec("UPDATE schema_version SET version = 99"));
        }
        qps::Dialogs dialogs;
        startJournal(configFor(target));
        QVERIFY(qps::deliver([&] { return !dialogs.boxes.isEmpty(); }));
        QCOMPARE(dialogs.boxes.size(), 1);
        QVERIFY2(dialogs.boxes.first().text.contains(QStringLiteral("较新版本")),
                 qPrintable(dialogs.boxes.first().text));
        QVERIFY(Journal::instance()->hasFailed());
        Journal::instance()->stop();

        JournalStore check(QStringLiteral("check"));
        QCOMPARE(check.open(target, JournalSchema::latestVersion()), JournalStore::OpenResult::Newer);
        check.close();
        QSqlDatabase raw = QSqlDatabase::addDatabase(m_pg ? "QPSQL" : "QSQLITE", "raw");
        raw.setDatabaseName(m_pg ? target.database : target.sqlitePath);
        raw.setHostName(target.server);
        raw.setPort(target.port);
        raw.setUserName(target.user);
        QVERIFY(raw.open());
        QCOMPARE(JournalSchema::versionOf(raw), 99);
        QSqlQuery q(raw);
        QVERIFY(q.exec("SELECT COUNT(*) FROM trades") && q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        q.finish();
        raw.close();
        raw = QSqlDatabase();
        QSqlDatabase::removeDatabase("raw");
    }

    void recordsWhatTheHubCarriesAndUpdatesRowsSeenAgain() {
        const JournalTarget target = freshTarget();
        startJournal(configFor(target));
        fireDay('2', 0);
        Journal::instance()->flushNow();
        fireDay('8', 500);  // the same records later in the day, and asked again
        Journal::instance()->stop();
        QVERIFY(!Journal::instance()->hasFailed());

        // Returns for 1..3, answers for 3..4: order 3 is one row.
        QCOMPARE(rows(target, "orders"), qint64(4));
        QCOMPARE(rows(target, "trades"), qint64(2));
        QCOMPARE(rows(target, "positions"), qint64(1));
        QCOMPARE(rows(target, "fund_moves"), qint64(2));

        JournalStore store(QStringLiteral("reader"));
        QCOMPARE(store.open(target, JournalSchema::latestVersion()), JournalStore::OpenResult::Opened);
        const QVector<JournalOrder> orders = store.orders("10880001", "1", today(), today());
        QCOMPARE(orders.size(), 4);
        for (const JournalOrder& o : orders) {
            QCOMPARE(o.orderStatus, QStringLiteral("8"));
            QCOMPARE(o.tradeQty, qint64(500));
        }
        // Order 3: the answer's number and amount, the return's own text.
        const auto three = std::find_if(orders.begin(), orders.end(),
                                        [](const JournalOrder& o) { return o.orderSysId == 3; });
        QVERIFY(three != orders.end());
        QCOMPARE(three->orderNo, QStringLiteral("0000000003"));
        QCOMPARE(three->text, QStringLiteral("600000 order"));
        QCOMPARE(three->tradeAmount, 5250.0);
        QCOMPARE(store.positions("10880001", "1", today(), today()).first().totalQty, qint64(1000));
        const QVector<JournalFundMove> funds = store.funds("10880001", "1", today(), today());
        QCOMPARE(funds.size(), 2);
        const auto moved = std::find_if(funds.begin(), funds.end(), [](const JournalFundMove& f) {
            return f.kind == JournalFundMove::Transfer;
        });
        QCOMPARE(moved->status, QStringLiteral("6"));
        // Nothing is filed under another account, market or day.
        QCOMPARE(store.orders("10880001", "2", today(), today()).size(), 0);
        QCOMPARE(store.orders("10880002", "1", today(), today()).size(), 0);
    }

    // One batch longer than a statement's rows, with orders seen again in it, returns and answers
    // mixed, then another day: one row per order and day, holding what came last of each kind.
    void aBatchWithOrdersSeenAgainKeepsTheLatestOfEach() {
        const JournalTarget target = freshTarget();
        JournalStore store(QStringLiteral("batch"));
        QCOMPARE(store.open(target, JournalSchema::latestVersion()), JournalStore::OpenResult::Opened);
        struct Latest {
            qint64 traded = 0;
            QString orderNo, text;
        };
        QMap<QString, Latest> expected;  // day|key
        JournalBatch batch;
        auto add = [&](const QString& day, int id, bool fromReturn) {
            const int step = batch.orders.size();
            JournalOrder o;
            o.scope = scope(day);
            o.fromReturn = fromReturn;
            o.orderSysId = id;
            o.key = QString::number(id);
            o.securityId = QStringLiteral("600000");
            o.tradeQty = step;
            (fromReturn ? o.text : o.orderNo) = QStringLiteral("#%1").arg(step);
            batch.orders << o;
            Latest& e = expected[day + '|' + o.key];
            e.traded = step;
            (fromReturn ? e.text : e.orderNo) = QStringLiteral("#%1").arg(step);
        };
        for (int id = 1; id <= 16; ++id) add(today(), id, true);
        for (int id = 9; id <= 24; ++id) add(today(), id, true);
        for (int id : {1, 1, 21}) add(today(), id, false);
        for (int n = 0; n < 20; ++n) add(today(), 1 + n % 5, true);
        for (int id = 1; id <= 18; ++id) add(today(-1), id, true);
        QVERIFY2(store.write(batch), qPrintable(store.error()));

        const QVector<JournalOrder> kept = store.orders("10880001", "1", today(-1), today());
        QCOMPARE(kept.size(), expected.size());
        for (const JournalOrder& o : kept) {
            const Latest e = expected.value(o.scope.day + '|' + o.key);
            QCOMPARE(o.tradeQty, e.traded);
            QCOMPARE(o.orderNo, e.orderNo);
            QCOMPARE(o.text, e.text);
        }
    }

    void errorAnswersPlaceholdersAndRecordsBeforeALoginAreNotKept() {
        const JournalTarget target = freshTarget();
        Journal* j = Journal::instance();
        j->setSession(QString(), '0');
        QVERIFY(j->start(configFor(target)));
        js::fromLibrary([](const CMoruTraderSpi& spi) {
            CMoruRspInfo ok = js::rspInfo();
            auto r = js::orderReturn(9, "600000", '1', 100, 10, '2');
            spi.onRtnOrder(&r, &ok, 0, true);  // no one logged in yet
        });
        j->setSession(QStringLiteral("10880001"), '1');
        js::fromLibrary([](const CMoruTraderSpi& spi) {
            CMoruRspInfo ok = js::rspInfo();
            CMoruRspInfo refused = js::rspInfo(1001, "no records");
            auto o = js::orderAnswer(5, "600000", '2', 0);
            spi.onRspQryOrder(&o, &refused, 1, true);
            auto none = js::inOut('0', 0, "");
            spi.onRspQryInOutFundRecord(&none, &ok, 2, true);
            auto empty = js::zeroed<CMoruRspQryTradeField>();
            spi.onRspQryTrade(&empty, &ok, 3, true);
            auto kept = js::orderAnswer(6, "600000", '2', 0);
            spi.onRspQryOrder(&kept, &ok, 4, true);
        });
        j->stop();
        QCOMPARE(rows(target, "orders"), qint64(1));
        QCOMPARE(rows(target, "fund_moves"), qint64(0));
        QCOMPARE(rows(target, "trades"), qint64(0));
    }

    void retentionDropsDaysPastItsLimit() {
        const JournalTarget target = freshTarget();
        {
            JournalStore store(QStringLiteral("seed"));
            QCOMPARE(store.open(target, JournalSchema::latestVersion()), JournalStore::OpenResult::Opened);
            JournalBatch batch;
            batch.trades << tradeRow(today(-10), "old", "1", 100, 10)
                         << tradeRow(today(-4), "kept", "1", 100, 10)
                         << tradeRow(today(), "new", "1", 100, 10);
            QVERIFY(store.write(batch));
        }
        startJournal(configFor(target, 5));
        Journal::instance()->stop();
        QCOMPARE(rows(target, "trades"), qint64(2));
        startJournal(configFor(target, 0));  // 0 keeps every day
        Journal::instance()->stop();
        QCOMPARE(rows(target, "trades"), qint64(2));
    }

    void answersHistoryQuestionsForItsRangeAndAccount() {
        const JournalTarget target = freshTarget();
        {
            JournalStore store(QStringLiteral("seed"));
            QCOMPARE(store.open(target, JournalSchema::latestVersion()), JournalStore::OpenResult::Opened);
            JournalBatch batch;
            batch.trades << tradeRow("2026-03-02", "a", "1", 1000, 10)
                         << tradeRow("2026-03-03", "b", "2", 400, 12)
                         << tradeRow("2026-03-04", "c", "2", 600, 9);
            JournalTrade other = tradeRow("2026-03-03", "d", "2", 100, 50);
            other.scope.account = "10880002";
            batch.trades << other;
            QVERIFY(store.write(batch));
        }
        startJournal(configFor(target));
        QSignalSpy spy(Journal::instance(), &Journal::answered);
        HistoryQuery q;
        q.kind = HistoryQuery::Trades;
        q.from = "2026-03-03";
        q.to = "2026-03-03";
        const int trades = Journal::instance()->ask(q);
        q.kind = HistoryQuery::ProfitByDay;
        q.to = "2026-03-04";
        const int profit = Journal::instance()->ask(q);
        QVERIFY(qps::deliver([&] { return spy.size() == 2; }));
        const auto first = spy.at(0).at(0).value<HistoryAnswer>();
        const auto second = spy.at(1).at(0).value<HistoryAnswer>();
        QCOMPARE(first.id, trades);
        QCOMPARE(first.trades.size(), 1);
        QCOMPARE(first.trades.first().key, QStringLiteral("b"));
        QCOMPARE(second.id, profit);
        // The buy before the range gives the sales their cost.
        const QVector<QStringList> lines = HistoryRows::rows(second);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(0).at(5), QStringLiteral("800.00"));
        QCOMPARE(lines.at(1).at(5), QStringLiteral("-600.00"));
    }

    void aFullJournalIsReportedOnceAndTradingGoesOn() {
        if (m_pg) QSKIP("a size limit of the file is SQLite's");
        JournalTarget target = freshTarget();
        target.maxPages = 40;
        qps::Dialogs dialogs;
        startJournal(configFor(target));
        QSignalSpy heard(SignalInterface::instance(), &SignalInterface::signal_rtnOrder);
        for (int round = 0; round < 3; ++round) {
            js::fromLibrary([round](const CMoruTraderSpi& spi) {
                CMoruRspInfo ok = js::rspInfo();
                for (uint32_t i = 0; i < 500; ++i) {
                    auto r = js::orderReturn(round * 1000 + i + 1, "600000", '1', 100, 10, '2');
                    spi.onRtnOrder(&r, &ok, 0, true);
                }
            });
            Journal::instance()->flushNow();
        }
        QVERIFY(qps::deliver([&] { return heard.size() == 1500 && !dialogs.boxes.isEmpty(); }));
        QTest::qWait(50);
        QCOMPARE(dialogs.boxes.size(), 1);
        QCOMPARE(dialogs.boxes.first().title, QStringLiteral("提示"));
        QVERIFY(dialogs.boxes.first().text.startsWith(QStringLiteral("历史记录库无法写入")));
        QVERIFY(Journal::instance()->hasFailed());
    }

    void aLockedFileIsReportedOnce() {
        if (m_pg) QSKIP("file locks are SQLite's");
        JournalTarget target = freshTarget();
        target.busyTimeoutMs = 50;
        {
            JournalStore store(QStringLiteral("create"));
            QCOMPARE(store.open(target, JournalSchema::latestVersion()), JournalStore::OpenResult::Opened);
        }
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "holder");
        other.setDatabaseName(target.sqlitePath);
        QVERIFY(other.open());
        QSqlQuery hold(other);
        QVERIFY(hold.exec("BEGIN EXCLUSIVE"));
        QVERIFY(hold.exec(
            "INSERT INTO trades (account, market, trading_day, trade_key) VALUES ('x','1','d','k')"));
        qps::Dialogs dialogs;
        startJournal(configFor(target));
        fireDay('2', 0);
        fireDay('2', 0);
        QVERIFY(qps::deliver([&] { return !dialogs.boxes.isEmpty(); }));
        Journal::instance()->flushNow();
        QTest::qWait(50);
        QCOMPARE(dialogs.boxes.size(), 1);
        hold.exec("ROLLBACK");
        hold.finish();
        other.close();
        other = QSqlDatabase();
        QSqlDatabase::removeDatabase("holder");
    }

private:
    js::PgCluster* m_pg;
    QString m_skip;
    QTemporaryDir m_dir;
    int m_files = 0;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestJournal onSqlite(nullptr, QString());
    int failures = QTest::qExec(&onSqlite, argc, argv);

    js::PgCluster cluster;
    const bool started = cluster.start();
    if (!started) qInfo().noquote() << "PostgreSQL suite skipped:" << cluster.why();
    TestJournal onPostgres(started ? &cluster : nullptr,
                           started ? QString() : QStringLiteral("PostgreSQL: ") + cluster.why());
    failures += QTest::qExec(&onPostgres, argc, argv);
    return failures;
}

#include "test_journal.moc"
