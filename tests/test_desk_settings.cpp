#include <QTemporaryDir>
#include <QtTest>

#include "captured_log.h"
#include "utils/desk_settings.h"

class TestDeskSettings : public QObject {
    Q_OBJECT
private slots:
    void valuesDefaultsAndBadValues_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("percent");
        QTest::addColumn<int>("warnings");
        QTest::newRow("missing keys") << QByteArray("[live]\n") << true << 5 << 3.0 << 0;
        QTest::newRow("read") << QByteArray("[live]\nnotices=off\n[checks]\nmaxOrders=9\npercent=7.5\n")
                              << false << 9 << 7.5 << 0;
        QTest::newRow("bad values") << QByteArray(
                                           "[live]\nnotices=maybe\n[checks]\nmaxOrders=-4\npercent=nan\n")
                                    << true << 5 << 3.0 << 3;
    }

    void valuesDefaultsAndBadValues() {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        QFile f(dir.filePath("moru-desk.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
        f.close();
        CapturedLog::install();
        DeskSettings& s = DeskSettings::instance();
        s.load(f.fileName());
        QTEST(s.flag("live/notices", true), "flag");
        QTEST(s.integer("checks/maxOrders", 5, 1, 1000), "count");
        QTEST(s.number("checks/percent", 3.0, 0, 100), "percent");
        s.flag("live/notices", true);  // asked again: still one line per key
        const int warnings = CapturedLog::texts().filter("cannot be read").size();
        CapturedLog::uninstall();
        QTEST(warnings, "warnings");
    }

    void aMissingFileMeansDefaults() {
        QTemporaryDir dir;
        DeskSettings& s = DeskSettings::instance();
        s.load(dir.filePath("absent.ini"));
        QCOMPARE(s.integer("checks/maxOrders", 5, 1, 1000), 5);
        s.set("checks/maxOrders", 12);
        QCOMPARE(s.integer("checks/maxOrders", 5, 1, 1000), 12);
    }
};

QTEST_GUILESS_MAIN(TestDeskSettings)
#include "test_desk_settings.moc"
