#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "utils/read_api_config.h"

class TestApiConfig : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;

    QString write(const QByteArray& content) {
        const QString path = m_dir.filePath(QStringLiteral("api_config_%1.txt").arg(++m_files));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
        file.write(content);
        return path;
    }

    static QByteArray embeddedTemplate() {
        QFile file(QStringLiteral(":/build/Moru-Desk/config/api_config.txt"));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return file.readAll();
    }

    QPair<bool, QString> check(const QByteArray& file, const QByteArray& templ = QByteArray()) {
        ReadApiConfig config;
        config.setFilePath(write(file));
        if (!templ.isNull()) config.setTemplatePath(write(templ));
        return config.checkConfig();
    }

    // The template's settings only: no comments, no blank lines.
    static QByteArray settingsOnly(const QByteArray& text) {
        QByteArray out;
        for (const QByteArray& line : text.split('\n')) {
            const QByteArray trimmed = line.trimmed();
            if (!trimmed.isEmpty() && !trimmed.startsWith('#')) out += trimmed + '\n';
        }
        return out;
    }

private slots:
    void embeddedTemplateHasEveryKey() {
        const QByteArray templ = embeddedTemplate();
        QVERIFY(!templ.isEmpty());
        const QByteArray settings = settingsOnly(templ);
        QCOMPARE(settings.count('\n'), 37);
        QVERIFY(settings.startsWith("DependentCounterVersion=2\n"));
        QVERIFY(settings.endsWith("AllSuperviseInfo=\n"));
    }

    void templateCopiesPass() {
        const QByteArray templ = embeddedTemplate();
        QCOMPARE(check(templ), qMakePair(true, QString()));

        QByteArray changed = templ;
        changed.replace("TcpConnectTimeout=5", "TcpConnectTimeout=9");
        changed.replace("OperWay=1", "OperWay=7");
        QCOMPARE(check(changed), qMakePair(true, QString()));

        QFile shipped(QStringLiteral(MORU_SOURCE_DIR "/app/config/defaults/api_config.txt"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QCOMPARE(check(shipped.readAll()), qMakePair(true, QString()));
    }

    // Blank lines name no setting: a complete file without any blank line is accepted.
    void fileWithoutBlankLinesPasses() {
        const QByteArray settings = settingsOnly(embeddedTemplate());
        QVERIFY(!settings.contains("\n\n"));
        QCOMPARE(check(settings), qMakePair(true, QString()));
        QCOMPARE(check(settings + "   \n\t\n"), qMakePair(true, QString()));
    }

    void missingKeyIsNamed() {
        QByteArray file = embeddedTemplate();
        file.replace("\nAllSuperviseInfo=\n", "\n");
        QCOMPARE(check(file), qMakePair(false, QStringLiteral("AllSuperviseInfo")));

        // Several missing: the first in template order is reported.
        file.replace("\nManagerURL=", "\nX=");
        QCOMPARE(check(file), qMakePair(false, QStringLiteral("ManagerURL")));

        // Blanks before "=" stay part of the key, so this line does not provide OperWay.
        QByteArray spaced = embeddedTemplate();
        spaced.replace("\nOperWay=1\n", "\nOperWay = 1\n");
        QCOMPARE(check(spaced), qMakePair(false, QStringLiteral("OperWay")));

        ReadApiConfig missing;
        missing.setFilePath(m_dir.filePath(QStringLiteral("nothing_here.txt")));
        QVERIFY(!missing.configFileExists());
    }

    void remarkRulesDifferBetweenReaders() {
        const QByteArray templ = "A=1\nB=2 # any line with a hash is a remark here\n  # C=3\n\nD\n";
        // File side: only a line starting with "#" (after blanks) is a remark.
        QCOMPARE(check("A=1\nD\n", templ), qMakePair(true, QString()));
        QCOMPARE(check("A=1\n   # D\n", templ), qMakePair(false, QStringLiteral("D")));
        QCOMPARE(check("A=1\nD=x # still a setting\n", templ), qMakePair(true, QString()));
        QCOMPARE(check("D\n", templ), qMakePair(false, QStringLiteral("A")));
    }

    void readConfigValues() {
        ReadApiConfig config;
        config.setFilePath(
            write("OperWay=1\n"
                  "  # OperWay=5\n"
                  "OperWay=2\n"
                  "Url=tcp://h:1=extra\n"
                  "BusinessCode=ABC # remark\n"
                  "  Spaced   value  =  a   b  \n"
                  "NoEquals\n"
                  "Empty=\n"));
        QCOMPARE(config.value(QStringLiteral("OperWay")), QString());  // nothing read yet
        config.readConfig();
        QCOMPARE(config.value(QStringLiteral("OperWay")), QStringLiteral("2"));  // the later line wins
        QCOMPARE(config.value(QStringLiteral("Url")), QStringLiteral("tcp://h:1"));
        QCOMPARE(config.value(QStringLiteral("BusinessCode")), QStringLiteral("ABC # remark"));
        QCOMPARE(config.value(QStringLiteral("Spaced value ")), QStringLiteral(" a b"));
        QCOMPARE(config.value(QStringLiteral("NoEquals")), QString());
        QCOMPARE(config.value(QStringLiteral("Empty")), QString());
        QCOMPARE(config.value(QStringLiteral("Absent")), QString());
    }

    void bytesAfterNulAreIgnored() {
        ReadApiConfig config;
        static const char raw[] = "OperWay=3\0garbage=1\nNext=4\n";
        config.setFilePath(write(QByteArray(raw, sizeof(raw) - 1)));
        config.readConfig();
        QCOMPARE(config.value(QStringLiteral("OperWay")), QStringLiteral("3"));
        QCOMPARE(config.value(QStringLiteral("garbage")), QString());
        QCOMPARE(config.value(QStringLiteral("Next")), QStringLiteral("4"));
    }

    void operWayByte() {
        QCOMPARE(int(ReadApiConfig::operWayByte(QString())), 0);
        QCOMPARE(ReadApiConfig::operWayByte(QStringLiteral("1")), '1');
        QCOMPARE(ReadApiConfig::operWayByte(QStringLiteral("Wxyz")), 'W');
        QCOMPARE(uchar(ReadApiConfig::operWayByte(QString(QChar(0xE9)))), uchar(0xE9));
        QCOMPARE(int(ReadApiConfig::operWayByte(QStringLiteral("委"))), 0);

        ReadApiConfig config;
        config.setFilePath(write("OperWay=\n"));
        config.readConfig();
        QCOMPARE(int(ReadApiConfig::operWayByte(config.value(QStringLiteral("OperWay")))), 0);
    }

    void businessCode() {
        ReadApiConfig config;
        const QString path = write("BusinessCode=111\nBusinessCode=222 # remark\n  BusinessCode = 333\n");
        config.setFilePath(path);
        // The remark line is skipped; the blanks around "=" keep the last line from matching.
        QCOMPARE(config.getBusinessCode(), QStringLiteral("111"));

        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Append));
        file.write("BusinessCode=444\nBusinessCode=\n");
        file.close();
        QCOMPARE(config.getBusinessCode(), QString());  // re-read: the last matching line wins

        ReadApiConfig missing;
        missing.setFilePath(m_dir.filePath(QStringLiteral("absent.txt")));
        QCOMPARE(missing.getBusinessCode(), QString());
    }
};

QTEST_GUILESS_MAIN(TestApiConfig)
#include "test_api_config.moc"
