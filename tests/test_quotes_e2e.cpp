// The quote client against moru-sim's quote port: every published security arrives with its
// name decoded from GBK, also when the server puts garbage in front of its publications.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "user/queryWindow/query_windows_manager.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"

class TestQuotesE2e : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everySecurityArrivesWithItsName_data();
    void everySecurityArrivesWithItsName();

private:
    QMap<QString, QString> names;  // code -> name, from the simulator's data file
};

void TestQuotesE2e::initTestCase() {
    QFile data(QStringLiteral(MORU_SOURCE_DIR "/sim/data/demo.json"));
    QVERIFY(data.open(QIODevice::ReadOnly));
    const QJsonArray securities =
        QJsonDocument::fromJson(data.readAll()).object().value("securities").toArray();
    for (const QJsonValue& s : securities) names.insert(s["code"].toString(), s["name"].toString());
    QVERIFY(names.size() > 100);
}

void TestQuotesE2e::everySecurityArrivesWithItsName_data() {
    QTest::addColumn<QStringList>("extraArguments");
    QTest::newRow("clean") << QStringList{};
    QTest::newRow("garbage") << QStringList{QStringLiteral("--quote-garbage-every"), QStringLiteral("1")};
}

void TestQuotesE2e::everySecurityArrivesWithItsName() {
    QFETCH(QStringList, extraArguments);
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(
        QStringLiteral(MORU_SIM_PATH),
        QStringList{QStringLiteral("--counter-port"), QStringLiteral("0"), QStringLiteral("--quote-port"),
                    QStringLiteral("0"), QStringLiteral("--quote-interval-ms"), QStringLiteral("50"),
                    QStringLiteral("--data"), QStringLiteral(MORU_SOURCE_DIR "/sim/data/demo.json"),
                    QStringLiteral("--exit-on-stdin-close")} +
            extraArguments);
    QVERIFY(sim.waitForStarted(10000));
    QString announced;
    int quotePort = 0;
    const QRegularExpression portLine(QStringLiteral("quote-port (\\d+)"));
    QTRY_VERIFY_WITH_TIMEOUT((announced += QString::fromUtf8(sim.readAllStandardOutput()),
                              quotePort = portLine.match(announced).captured(1).toInt()) > 0,
                             10000);

    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("moru_bot_config.ini"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("[MD]\nswitch=1\nprintMD=0\nip=127.0.0.1\nport=%1\n").arg(quotePort).toUtf8());
    file.close();

    {
        QueryWindowsManager manager(nullptr, config);
        manager.start();
        QuotesTcpClient* client = manager.quotesClient();
        QTRY_COMPARE_WITH_TIMEOUT(client->marketDataMap().size(), names.size(), 15000);

        const QMap<QString, ClientSecurityMarketDataLevel1> cache = client->marketDataMap();
        for (auto it = cache.cbegin(); it != cache.cend(); ++it) {
            QVERIFY2(names.contains(it.key()), qPrintable(it.key()));
            QCOMPARE(quoteSecurityId(it.value()), it.key());
            QCOMPARE(quoteSecurityName(it.value()), names.value(it.key()));
            QVERIFY(double(it.value().LastPrice) > 0);
        }
    }
    sim.closeWriteChannel();
    if (!sim.waitForFinished(5000)) {
        sim.kill();
        sim.waitForFinished(5000);
    }
}

QTEST_GUILESS_MAIN(TestQuotesE2e)
#include "test_quotes_e2e.moc"
