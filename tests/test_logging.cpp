#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "app_startup.h"
#include "log_handler.h"

namespace {
QDateTime g_fakeNow;
qint64 fakeClock() {
    return g_fakeNow.toMSecsSinceEpoch();
}

QMessageLogContext context(const char* file, int line) {
    return QMessageLogContext(file, line, "fn", "cat");
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

class TestLogging : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        QDir::setCurrent(m_dir.path());
        QDir(m_dir.path() + "/log").removeRecursively();
    }
    void cleanup() {
        qInstallMessageHandler(nullptr);
        setLogClock(nullptr);
    }

    void lineLayoutForEveryLevel_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("level");
        QTest::newRow("debug") << int(QtDebugMsg) << "DEBUG     ";
        QTest::newRow("info") << int(QtInfoMsg) << "INFO     ";
        QTest::newRow("warning") << int(QtWarningMsg) << "WARNING  ";
        QTest::newRow("critical") << int(QtCriticalMsg) << "";
        QTest::newRow("fatal") << int(QtFatalMsg) << "";
    }
    void lineLayoutForEveryLevel() {
        QFETCH(int, type);
        QFETCH(QString, level);
        const QDateTime t(QDate(2026, 12, 6), QTime(9, 30, 15));
        const QString line =
            formatLogLine(t, QtMsgType(type), context("C:\\src\\main.cpp", 97), "hello", 4242);
        const QString expected = "2026-12-06 09:30:15    " + level + " " + QString(26, ' ') + "main.cpp:97" +
                                 "    00004242    hello";
        QCOMPARE(line, expected);
    }

    void nonAsciiSourceNameIsPaddedByCharacters() {
        const QString line = formatLogLine(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), QtInfoMsg,
                                           context("C:\\源码\\主程序.cpp", 97), "m", 7);
        QVERIFY2(line.contains("INFO      " + QString(27, ' ') + "主程序.cpp:97    00000007    m"),
                 qPrintable(line));
    }

    void criticalLeavesTwoBlanksWhereTheLevelStands() {
        const QString line = formatLogLine(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), QtCriticalMsg,
                                           context("x.cpp", 1), "m", 1);
        QVERIFY(line.startsWith("2026-01-02 03:04:05     " + QString(30, ' ') + "x.cpp:1"));
    }

    void forwardSlashPathIsKeptWholeAndLongFieldsAreNotCut() {
        const QString path = "/home/build/moru/app/utils/a_rather_long_source_file_name.cpp";
        const QString line = formatLogLine(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), QtInfoMsg,
                                           context(path.toUtf8(), 12345), "msg", 1234567890LL);
        QVERIFY(line.contains(" " + path + ":12345    1234567890    msg"));
    }

    void missingFileGivesColonZero() {
        const QString line = formatLogLine(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), QtInfoMsg,
                                           QMessageLogContext(), "m", 7);
        QVERIFY(line.contains(QString(35, ' ') + ":0    00000007    m"));
    }

    void messagePercentSignsAreVerbatim() {
        const QString line = formatLogLine(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), QtInfoMsg,
                                           context("a.cpp", 1), "50% %1 %2", 7);
        QVERIFY(line.endsWith("    50% %1 %2"));
    }

    void percentSignsInTheSourcePathAreVerbatim() {
        const QString line = formatLogLine(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), QtInfoMsg,
                                           context("C:\\b%2\\a%1b.cpp", 9), "m", 7);
        QVERIFY2(line.contains(" a%1b.cpp:9    00000007    m"), qPrintable(line));
    }

    void handlerWritesCrLfLinesIntoTheDaysFile() {
        g_fakeNow = QDateTime(QDate(2026, 12, 6), QTime(10, 0, 0));
        setLogClock(&fakeClock);
        logMessageHandler(QtInfoMsg, context("a.cpp", 3), QStringLiteral("第一 line"));
        logMessageHandler(QtWarningMsg, context("b.cpp", 4), "second");
        const QByteArray data = readAll(m_dir.path() + "/log/Moru-Desk-20261206.log");
        const QList<QByteArray> lines = data.split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].endsWith("    第一 line\r"));
        QVERIFY(lines[1].contains("WARNING   "));
        QVERIFY(lines[1].endsWith("second\r"));
        QVERIFY(lines[2].isEmpty());
    }

    void midnightSwitchesFiles() {
        setLogClock(&fakeClock);
        g_fakeNow = QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59, 900));
        logMessageHandler(QtInfoMsg, context("a.cpp", 1), "before");
        g_fakeNow = QDateTime(QDate(2026, 12, 7), QTime(0, 0, 0, 100));
        logMessageHandler(QtInfoMsg, context("a.cpp", 2), "after");
        QVERIFY(readAll(m_dir.path() + "/log/Moru-Desk-20261206.log").contains("before"));
        const QByteArray next = readAll(m_dir.path() + "/log/Moru-Desk-20261207.log");
        QVERIFY(next.contains("after"));
        QVERIFY(!next.contains("before"));
    }

    void stampsAndFilesFollowTheClock() {
        setLogClock(&fakeClock);
        const QList<QDateTime> times = {QDateTime(QDate(2026, 12, 6), QTime(10, 0, 0, 900)),
                                        QDateTime(QDate(2026, 12, 6), QTime(10, 0, 1, 100)),
                                        QDateTime(QDate(2026, 12, 7), QTime(10, 0, 1, 100)),
                                        QDateTime(QDate(2026, 12, 6), QTime(10, 0, 1, 200))};
        for (int i = 0; i < times.size(); ++i) {
            g_fakeNow = times[i];
            logMessageHandler(QtInfoMsg, context("a.cpp", i), QString("line%1").arg(i));
        }
        const QList<QByteArray> sixth = readAll(m_dir.path() + "/log/Moru-Desk-20261206.log").split('\n');
        const QList<QByteArray> seventh = readAll(m_dir.path() + "/log/Moru-Desk-20261207.log").split('\n');
        QCOMPARE(sixth.size(), 4);
        QVERIFY(sixth[0].startsWith("2026-12-06 10:00:00    ") && sixth[0].endsWith("line0\r"));
        QVERIFY(sixth[1].startsWith("2026-12-06 10:00:01    ") && sixth[1].endsWith("line1\r"));
        QVERIFY(sixth[2].startsWith("2026-12-06 10:00:01    ") && sixth[2].endsWith("line3\r"));
        QCOMPARE(seventh.size(), 2);
        QVERIFY(seventh[0].startsWith("2026-12-07 10:00:01    ") && seventh[0].endsWith("line2\r"));
    }

    // The file stays open between messages; whatever happens to it, the next line goes to the day's name.
    void fileRemovedOrMovedIsOpenedAnew_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("file deleted") << "rm";
        QTest::newRow("file moved") << "mv";
        QTest::newRow("folder deleted") << "rmdir";
        QTest::newRow("folder moved") << "mvdir";
    }
    void fileRemovedOrMovedIsOpenedAnew() {
        QFETCH(QString, action);
        g_fakeNow = QDateTime(QDate(2026, 12, 10), QTime(9, 0));
        setLogClock(&fakeClock);
        const QString folder = m_dir.path() + "/log";
        const QString file = folder + "/Moru-Desk-20261210.log";
        QDir(m_dir.path() + "/moved").removeRecursively();
        logMessageHandler(QtInfoMsg, context("a.cpp", 1), "before");
        if (action == "rm") QVERIFY(QFile::remove(file));
        if (action == "mv") QVERIFY(QFile::rename(file, folder + "/kept.log"));
        if (action == "rmdir") QVERIFY(QDir(folder).removeRecursively());
        if (action == "mvdir") QVERIFY(QDir().rename(folder, m_dir.path() + "/moved"));
        logMessageHandler(QtInfoMsg, context("a.cpp", 2), "after");
        logMessageHandler(QtInfoMsg, context("a.cpp", 3), "again");
        const QByteArray now = readAll(file);
        QVERIFY2(now.contains("after") && now.contains("again") && !now.contains("before"), now.constData());
        if (action == "mv") QVERIFY(!readAll(folder + "/kept.log").contains("after"));
        if (action == "mvdir")
            QVERIFY(!readAll(m_dir.path() + "/moved/Moru-Desk-20261210.log").contains("after"));
    }

    void deletedLogDirectoryIsRecreated() {
        logMessageHandler(QtInfoMsg, context("a.cpp", 1), "one");
        QVERIFY(QDir(m_dir.path() + "/log").removeRecursively());
        logMessageHandler(QtInfoMsg, context("a.cpp", 2), "two");
        const QString file = logFileName(m_dir.path() + "/log", QDate::currentDate());
        QVERIFY(readAll(file).contains("two"));
    }

    void unwritableLogFileIsSkippedWithoutRecursion() {
        // A directory where the day's file should be: open fails, whoever runs the test.
        g_fakeNow = QDateTime(QDate(2026, 12, 8), QTime(8, 0));
        setLogClock(&fakeClock);
        QVERIFY(QDir().mkpath(m_dir.path() + "/log/Moru-Desk-20261208.log"));
        qInstallMessageHandler(logMessageHandler);
        qInfo() << "lost";
        qWarning() << "also lost";
        qInstallMessageHandler(nullptr);
        QVERIFY(QFileInfo(m_dir.path() + "/log/Moru-Desk-20261208.log").isDir());
        // The handler is still usable once the file can be written.
        QVERIFY(QDir(m_dir.path() + "/log/Moru-Desk-20261208.log").removeRecursively());
        logMessageHandler(QtInfoMsg, context("a.cpp", 1), "back");
        QVERIFY(readAll(m_dir.path() + "/log/Moru-Desk-20261208.log").contains("back"));
    }

    void linesFromManyThreadsNeverInterleave() {
        g_fakeNow = QDateTime(QDate(2026, 12, 9), QTime(8, 0));
        setLogClock(&fakeClock);
        QVector<QThread*> threads;
        for (int t = 0; t < 4; ++t) {
            threads << QThread::create([t] {
                for (int i = 0; i < 200; ++i)
                    logMessageHandler(QtInfoMsg, context("t.cpp", t),
                                      QString("thread%1-%2-end").arg(t).arg(i));
            });
            threads.last()->start();
        }
        for (QThread* th : threads) {
            QVERIFY(th->wait(20000));
            delete th;
        }
        const QList<QByteArray> lines = readAll(m_dir.path() + "/log/Moru-Desk-20261209.log").split('\n');
        QCOMPARE(lines.size(), 801);
        for (int i = 0; i < 800; ++i) {
            QVERIFY(lines[i].startsWith("2026-12-09 08:00:00    INFO"));
            QVERIFY(lines[i].endsWith("-end\r"));
        }
    }

    void versionFileSetsTheTitle() {
        const QString path = QCoreApplication::applicationDirPath() + "/version.txt";
        QFile::remove(path);
        QCOMPARE(getVersion(), QString());
        QCOMPARE(windowTitleFor(getVersion()), QStringLiteral("Moru-Desk 3.2"));

        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("3.2.7\nsecond line\n");
        f.close();
        QCOMPARE(getVersion(), QStringLiteral("3.2.7"));
        QCOMPARE(windowTitleFor(getVersion()), QStringLiteral("Moru-Desk 3.2.7"));

        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("\n3.3\n");
        f.close();
        QCOMPARE(windowTitleFor(getVersion()), QStringLiteral("Moru-Desk 3.2"));
        QFile::remove(path);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestLogging)
#include "test_logging.moc"
