// moru-sim's command line: every bad option ends the program at once with status 2 and
// one line that names the option and what it expects.
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "options.h"

namespace {

const QString kDemo = QString(MORU_SOURCE_DIR) + "/sim/data/demo.json";

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

Run runSim(const QStringList& args) {
    QProcess p;
    p.setProgram(MORU_SIM_PATH);
    p.setArguments(
        QStringList{"--counter-port", "0", "--quote-port", "0", "--data", kDemo, "--exit-on-stdin-close"} +
        args);
    p.start();
    Run r;
    if (!p.waitForStarted(5000)) return r;
    p.closeWriteChannel();  // a sim that did start ends at once
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

}  // namespace

class TestSimOptions : public QObject {
    Q_OBJECT

private slots:
    void badOptionsEndWithStatusTwo_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("why");
        const QString range = "%1 expects a whole number from %2 to %3, not \"%4\"";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "unknown option \"--frobnicate\"";
        QTest::newRow("value missing") << QStringList{"--page-size"} << "--page-size needs a value";
        QTest::newRow("page size zero")
            << QStringList{"--page-size", "0"} << range.arg("--page-size").arg(1).arg(1000000).arg("0");
        QTest::newRow("counter port too high") << QStringList{"--counter-port", "70000"}
                                               << range.arg("--counter-port").arg(0).arg(65535).arg("70000");
        QTest::newRow("quote port not a number")
            << QStringList{"--quote-port", "x1"} << range.arg("--quote-port").arg(0).arg(65535).arg("x1");
        QTest::newRow("negative seed")
            << QStringList{"--seed", "-1"} << range.arg("--seed").arg(0).arg(2147483647).arg("-1");
        QTest::newRow("quote interval zero") << QStringList{"--quote-interval-ms", "0"}
                                             << range.arg("--quote-interval-ms").arg(1).arg(3600000).arg("0");
        QTest::newRow("transfer step negative")
            << QStringList{"--transfer-step-ms", "-3"}
            << range.arg("--transfer-step-ms").arg(0).arg(3600000).arg("-3");
        QTest::newRow("heartbeat beyond int")
            << QStringList{"--heartbeat-sec", "2147483648"}
            << range.arg("--heartbeat-sec").arg(0).arg(2147483647).arg("2147483648");
        QTest::newRow("garbage every negative")
            << QStringList{"--quote-garbage-every", "-2"}
            << range.arg("--quote-garbage-every").arg(0).arg(2147483647).arg("-2");
        QTest::newRow("big account, negative orders")
            << QStringList{"--big-account", "10880001:-1"}
            << range.arg("--big-account orders").arg(1).arg(1000000).arg("-1");
        QTest::newRow("big account, too many orders")
            << QStringList{"--big-account", "10880001:5000000"}
            << range.arg("--big-account orders").arg(1).arg(1000000).arg("5000000");
        QTest::newRow("big account, no such market")
            << QStringList{"--big-account", "10880001:10:3"}
            << "--big-account market is 1 (Shanghai) or 2 (Shenzhen), not \"3\"";
        QTest::newRow("big account, no account")
            << QStringList{"--big-account", ":10"}
            << "--big-account expects ACCOUNT[:ORDERS[:MARKET]], not \":10\"";
        QTest::newRow("big account, unknown account")
            << QStringList{"--big-account", "99999999:10"}
            << "--big-account: 99999999 has no market 1 with stocks in " + kDemo;
        QTest::newRow("big account, market not opened")
            << QStringList{"--big-account", "10880003:10:2"}
            << "--big-account: 10880003 has no market 2 with stocks in " + kDemo;
        QTest::newRow("drop, unknown kind")
            << QStringList{"--drop-links-after-ms", "100:bogus"}
            << "--drop-links-after-ms kind is all, manager, query or trade, not \"bogus\"";
        QTest::newRow("drop, negative time")
            << QStringList{"--drop-links-after-ms", "-1:trade"}
            << range.arg("--drop-links-after-ms").arg(0).arg(2147483647).arg("-1");
        QTest::newRow("data, no file name") << QStringList{"--data", ""} << "--data needs a file name";
        QTest::newRow("data, no such file") << QStringList{"--data", "/nonexistent/moru.json"}
                                            << "--data /nonexistent/moru.json: cannot be read";
    }
    void badOptionsEndWithStatusTwo() {
        QFETCH(QStringList, args);
        QFETCH(QString, why);
        const Run r = runSim(args);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(QString::fromUtf8(r.err),
                 "moru-sim: " + why + "\nrun \"moru-sim --help\" for the options\n");
        QCOMPARE(r.out, QByteArray());  // no ports announced: nothing was started
    }

    void helpListsTheOptions() {
        const Run r = runSim({"--help"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromUtf8(r.out), sim::usageText());
        QCOMPARE(r.err, QByteArray());
    }

    void goodOptionsStart() {
        const Run r = runSim({"--big-account", "10880002:30:2", "--heartbeat-sec", "2147483647", "--seed",
                              "0", "--drop-links-after-ms", "60000:query", "--page-size", "1000000"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(QRegularExpression("\\Acounter-port [1-9][0-9]*\nquote-port [1-9][0-9]*\n\\z")
                     .match(QString::fromUtf8(r.out))
                     .hasMatch(),
                 r.out.constData());
    }
};

QTEST_GUILESS_MAIN(TestSimOptions)
#include "test_sim_options.moc"
