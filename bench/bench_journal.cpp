// 100,000 order returns recorded into an SQLite journal: rows per second from the hub (emitted on a
// thread of their own, as the trading library's callbacks do) until the last batch is committed,
// beside a plain batched INSERT of the same rows; and the GUI thread's longest stall meanwhile,
// beside the same feed with the journal off, the plain INSERT run on a thread of its own, and the
// loop with nothing else running.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "journal/journal.h"
#include "journal/journal_recorder.h"
#include "journal/journal_rows.h"
#include "journal/journal_schema.h"
#include "journal/journal_store.h"
#include "utils/signal_interface.h"

namespace {

constexpr int RETURNS = 100000;

CMoruRtnOrderField orderReturn(int n) {
    CMoruRtnOrderField r;
    std::memset(&r, 0, sizeof r);
    r.OrderRef = n;
    r.OrderSysID = quint32(n);
    const QByteArray code = QByteArray::number(600000 + n % 300);
    std::memcpy(r.SecurityID, code.constData(), size_t(code.size()));
    r.Side = n % 3 ? '1' : '2';
    r.LimitPrice = 10.0 + (n % 100) / 100.0;
    r.OrderQty = quint32(100 * (1 + n % 10));
    r.OrderType = '2';
    r.TradeQty = r.OrderQty / 2;
    r.LeavesQty = r.OrderQty - r.TradeQty;
    r.OrderStatus = '7';
    std::memcpy(r.RecvTime, "093000000", 9);
    const QByteArray text = code + " buy " + QByteArray::number(r.OrderQty);
    std::memcpy(r.OrderText, text.constData(), size_t(text.size()));
    return r;
}

// Runs the GUI thread's event loop, idle as the program's is between events, until `done`; a 1 ms
// timer measures how late the loop comes round. Returns the longest lateness (ms).
double longestStall(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 worst = 0;
    QEventLoop loop;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, now - last - 1000000);
        last = now;
        if (done()) loop.quit();
    });
    heartbeat.start();
    loop.exec();
    return std::max<qint64>(worst, 0) / 1e6;
}

void feed(const std::vector<CMoruRtnOrderField>& records) {
    CMoruRspInfo ok;
    std::memset(&ok, 0, sizeof ok);
    for (const CMoruRtnOrderField& r : records)
        emit SignalInterface::instance()->signal_rtnOrder(r, ok, 0, true);
}

// Through the hub into the journal: returns the rate, and the GUI thread's longest stall in `stall`.
double journalRun(const std::vector<CMoruRtnOrderField>& records, const QString& file, double* stall) {
    JournalConfig config;
    config.target.sqlitePath = file;
    Journal* journal = Journal::instance();
    journal->setSession(QStringLiteral("10880001"), '1');
    journal->start(config);
    journal->flushNow();  // opened, so the clock counts recording only
    std::atomic<qint64> doneAt{0};
    QElapsedTimer t;
    QObject::connect(
        journal->recorder(), &JournalRecorder::flushed, journal->recorder(),
        [&](qint64 rows) {
            if (rows >= RETURNS) doneAt = t.nsecsElapsed();
        },
        Qt::DirectConnection);
    t.start();
    std::thread feeder(feed, std::cref(records));
    *stall = longestStall([&] { return doneAt.load() != 0; });
    feeder.join();
    const double seconds = doneAt.load() / 1e9;
    journal->stop();
    return RETURNS / seconds;
}

// The same rows, every column the journal writes for a return, with a plain prepared INSERT, 20,000 to a
// transaction, into a file set up alike (same table and key).
double plainRun(const std::vector<JournalOrder>& rows, const QString& file) {
    {
        JournalStore store(QStringLiteral("plain-setup"));
        store.open(
            [&] {
                JournalTarget t;
                t.sqlitePath = file;
                return t;
            }(),
            JournalSchema::latestVersion());
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain"));
    db.setDatabaseName(file);
    db.open();
    QSqlQuery pragma(db);
    pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    pragma.exec(QStringLiteral("PRAGMA wal_autocheckpoint=8192"));  // the journal's bound on its log
    QElapsedTimer t;
    t.start();
    {
        QSqlQuery q(db);
        q.prepare(QStringLiteral(
            "INSERT INTO orders (account, market, trading_day, order_key, order_sys_id, order_ref, "
            "security_id, side, limit_price, order_qty, order_type, order_status, trade_qty, leaves_qty, "
            "recv_time, order_text) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        for (size_t i = 0; i < rows.size(); ++i) {
            if (i % 20000 == 0) db.transaction();
            const JournalOrder& r = rows[i];
            int c = 0;
            q.bindValue(c++, r.scope.account);
            q.bindValue(c++, r.scope.market);
            q.bindValue(c++, r.scope.day);
            q.bindValue(c++, r.key);
            q.bindValue(c++, r.orderSysId);
            q.bindValue(c++, r.orderRef);
            q.bindValue(c++, r.securityId);
            q.bindValue(c++, r.side);
            q.bindValue(c++, r.limitPrice);
            q.bindValue(c++, r.orderQty);
            q.bindValue(c++, r.orderType);
            q.bindValue(c++, r.orderStatus);
            q.bindValue(c++, r.tradeQty);
            q.bindValue(c++, r.leavesQty);
            q.bindValue(c++, r.recvTime);
            q.bindValue(c++, r.text);
            if (!q.exec()) {
                std::fprintf(stderr, "plain insert failed: %s\n", qPrintable(q.lastError().text()));
                std::exit(1);
            }
            if (i % 20000 == 19999 || i + 1 == rows.size()) db.commit();
        }
    }
    const double seconds = t.nsecsElapsed() / 1e9;
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("plain"));
    return rows.size() / seconds;
}

// The writer alone: the rows, already made, through JournalStore::write in batches of 20,000.
double storeRun(const std::vector<JournalOrder>& rows, const QString& file) {
    JournalStore store(QStringLiteral("store-only"));
    JournalTarget target;
    target.sqlitePath = file;
    store.open(target, JournalSchema::latestVersion());
    QElapsedTimer t;
    t.start();
    JournalBatch batch;
    for (size_t i = 0; i < rows.size(); ++i) {
        batch.orders.append(rows[i]);
        if (batch.orders.size() == 20000 || i + 1 == rows.size()) {
            store.write(batch);
            batch.clear();
        }
    }
    return rows.size() / (t.nsecsElapsed() / 1e9);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    registerApiMetaTypes();
    QTemporaryDir dir;
    std::vector<CMoruRtnOrderField> records;
    std::vector<JournalOrder> rows;
    const JournalScope scope{QStringLiteral("10880001"), QStringLiteral("1"), QStringLiteral("2026-12-08")};
    for (int i = 1; i <= RETURNS; ++i) {
        records.push_back(orderReturn(i));
        JournalOrder row;
        JournalRows::fromReturn(records.back(), scope, row);
        rows.push_back(row);
    }

    // The GUI thread while the same returns pass the hub with no journal listening.
    std::atomic<bool> bareDone{false};
    std::thread bare([&] {
        feed(records);
        bareDone = true;
    });
    const double bareStall = longestStall([&] { return bareDone.load(); });
    bare.join();

    QElapsedTimer convertClock;
    convertClock.start();
    for (const CMoruRtnOrderField& r : records) {
        JournalOrder row;
        JournalRows::fromReturn(r, scope, row);
    }
    const double convertRate = RETURNS / (convertClock.nsecsElapsed() / 1e9);
    double journalRate = 0, plainRate = 0, stall = 0, storeRate = 0;
    for (int run = 0; run < 3; ++run) {
        double s = 0;
        journalRate = std::max(journalRate,
                               journalRun(records, dir.filePath(QStringLiteral("j%1.sqlite").arg(run)), &s));
        stall = std::max(stall, s);
        plainRate = std::max(plainRate, plainRun(rows, dir.filePath(QStringLiteral("p%1.sqlite").arg(run))));
        storeRate = std::max(storeRate, storeRun(rows, dir.filePath(QStringLiteral("s%1.sqlite").arg(run))));
    }
    // The same loop with nothing else running, as long as a recording run lasts: how late this machine
    // wakes an idle thread at all.
    double idleStall = 0;
    const qint64 recordingNs = qint64(RETURNS / journalRate * 1e9);
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer idle;
        idle.start();
        idleStall = std::max(idleStall, longestStall([&] { return idle.nsecsElapsed() >= recordingNs; }));
    }
    // The GUI thread while the plain INSERT of the same rows runs on a thread of its own: what the disk
    // and the machine cost the event loop with no journal code at all.
    double plainStall = 0;
    for (int run = 0; run < 3; ++run) {
        std::atomic<bool> plainDone{false};
        std::thread plain([&] {
            plainRun(rows, dir.filePath(QStringLiteral("t%1.sqlite").arg(run)));
            plainDone = true;
        });
        plainStall = std::max(plainStall, longestStall([&] { return plainDone.load(); }));
        plain.join();
    }
    std::printf("journal: %d order returns from the hub into SQLite: %.0f rows/s (best of 3)\n", RETURNS,
                journalRate);
    std::printf("plain batched INSERT of the same rows:           %.0f rows/s (best of 3)\n", plainRate);
    std::printf("  of which: records to rows %.0f rows/s, rows through the journal's writer %.0f rows/s\n",
                convertRate, storeRate);
    std::printf("ratio journal / plain: %.2f (goal >= 0.70)\n", journalRate / plainRate);
    std::printf(
        "GUI thread's longest stall while recording: %.3f ms (goal <= 1 ms); with the journal off: %.3f ms\n",
        stall, bareStall);
    std::printf("  while the plain INSERT runs on a thread of its own: %.3f ms\n", plainStall);
    std::printf("  with nothing running, for as long as a recording: %.3f ms\n", idleStall);
    return 0;
}
