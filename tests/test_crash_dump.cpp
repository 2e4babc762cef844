#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/crash_dump.h"

class TestCrashDump : public QObject {
    Q_OBJECT
private slots:
    void nameFollowsTheLocalTime() {
        char buf[32];
        formatCrashDumpName(buf, sizeof buf, 2026, 12, 6, 9, 30, 15, 42);
        QCOMPARE(QByteArray(buf), QByteArray("20261206_093015042.dmp"));
        formatCrashDumpName(buf, sizeof buf, 2027, 1, 1, 0, 0, 0, 0);
        QCOMPARE(QByteArray(buf), QByteArray("20270101_000000000.dmp"));
    }

    void crashWritesTheDumpAndEndsTheProcess_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("fault on the main thread") << QStringList();
        // Without a signal stack of its own the thread has no room left to run the handler.
        QTest::newRow("stack overflow on a worker thread") << QStringList{"thread-overflow"};
    }

    void crashWritesTheDumpAndEndsTheProcess() {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess proc;
        proc.setWorkingDirectory(dir.path());
        const QDateTime before = QDateTime::currentDateTime();
        proc.start(QCoreApplication::applicationDirPath() + "/crash_helper", arguments);
        QVERIFY(proc.waitForFinished(20000));
        QVERIFY2(proc.exitStatus() == QProcess::CrashExit,
                 qPrintable(QString("exit code %1, error %2").arg(proc.exitCode()).arg(proc.errorString())));

        const QStringList dumps = QDir(dir.path()).entryList({"*.dmp"}, QDir::Files);
        QCOMPARE(dumps.size(), 1);
        const QString name = dumps.first();
        QVERIFY2(QRegularExpression("^\\d{8}_\\d{9}\\.dmp$").match(name).hasMatch(), qPrintable(name));
        const QDateTime stamp = QDateTime::fromString(name.left(18), "yyyyMMdd_hhmmsszzz");
        QVERIFY(stamp.isValid());
        QVERIFY(qAbs(stamp.secsTo(before)) < 60);

        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray content = f.readAll();
        QVERIFY(content.startsWith("signal 11\n"));
        QVERIFY(content.contains("backtrace:"));
        QVERIFY(content.contains("memory map:"));
    }

    // An installed program puts its dumps into the state folder, not the working directory.
    void crashWritesIntoTheChosenFolder() {
        QTemporaryDir work;
        QTemporaryDir state;
        QProcess proc;
        proc.setWorkingDirectory(work.path());
        proc.start(QCoreApplication::applicationDirPath() + "/crash_helper", {state.path()});
        QVERIFY(proc.waitForFinished(20000));
        QCOMPARE(proc.exitStatus(), QProcess::CrashExit);
        QCOMPARE(QDir(state.path()).entryList({"*.dmp"}, QDir::Files).size(), 1);
        QVERIFY(QDir(work.path()).entryList(QDir::Files).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCrashDump)
#include "test_crash_dump.moc"
