// A journal writer killed (SIGKILL) in the middle of a burst of 10,000 returns: the file opens again,
// is whole, and holds at least every batch the writer had committed.
#include <QProcess>
#include <QtTest>

#include "journal/journal.h"
#include "journal/journal_schema.h"
#include "journal/journal_store.h"
#include "journal_support.h"

namespace {
JournalTarget fileTarget(const QString& file) {
    JournalTarget target;
    target.sqlitePath = file;
    return target;
}
}  // namespace

class TestJournalKill : public QObject {
    Q_OBJECT
private slots:
    void aKilledWriterLosesAtMostItsLastBatch() {
        QTemporaryDir dir;
        const QString file = dir.filePath("journal.sqlite");
        QProcess writer;
        writer.start(QCoreApplication::applicationDirPath() + "/journal_writer_helper",
                     {file, QStringLiteral("10000"), QStringLiteral("50")});
        QVERIFY(writer.waitForStarted());
        qint64 committed = 0;
        QElapsedTimer clock;
        clock.start();
        // Early in the burst, so that even a slow (sanitizer) build is killed in its middle.
        while (committed < 500 && clock.elapsed() < 20000) {
            if (!writer.canReadLine() && !writer.waitForReadyRead(1000)) continue;
            const QByteArray line = writer.readLine().trimmed();
            QVERIFY2(!line.startsWith("done") && !line.startsWith("failed"), line.constData());
            if (line.startsWith("committed ")) committed = line.mid(10).toLongLong();
        }
        QVERIFY2(committed >= 500, "the writer committed too little in time");
        writer.kill();
        QVERIFY(writer.waitForFinished(5000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        // Lines already on their way when it died.
        for (const QByteArray& line : writer.readAllStandardOutput().split('\n')) {
            QVERIFY(!line.startsWith("done"));
            if (line.startsWith("committed ")) committed = line.mid(10).toLongLong();
        }

        JournalStore store(QStringLiteral("after-kill"));
        QCOMPARE(store.open(fileTarget(file), JournalSchema::latestVersion()),
                 JournalStore::OpenResult::Opened);
        QSqlQuery check(store.database());
        QVERIFY(check.exec("PRAGMA integrity_check") && check.next());
        QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
        const qint64 kept = store.count("orders");
        QVERIFY2(kept >= committed && kept < 10000,
                 qPrintable(QStringLiteral("%1 kept, %2 committed").arg(kept).arg(committed)));
        qInfo() << kept << "rows kept," << committed << "committed before the kill";
        store.close();

        // The next start opens it and goes on writing.
        JournalConfig config;
        config.target.sqlitePath = file;
        config.batchMs = 10;
        js::armCallbacks();
        Journal* journal = Journal::instance();
        journal->setSession(QStringLiteral("10880001"), '1');
        QVERIFY(journal->start(config));
        js::fromLibrary([](const CMoruTraderSpi& spi) {
            CMoruRspInfo ok = js::rspInfo();
            auto r = js::orderReturn(20001, "600000", '1', 100, 10, '2');
            spi.onRtnOrder(&r, &ok, 0, true);
        });
        journal->stop();
        QVERIFY(!journal->hasFailed());
        QCOMPARE(store.open(fileTarget(file), JournalSchema::latestVersion()),
                 JournalStore::OpenResult::Opened);
        QCOMPARE(store.count("orders"), kept + 1);
    }
};

QTEST_MAIN(TestJournalKill)
#include "test_journal_kill.moc"
