#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "captured_log.h"
#include "utils/api_state.h"
#include "utils/rsp_convert_config.h"
#include "utils/utils.h"

namespace {
const QString kMissingType = QStringLiteral("rsp_convert.json中的SecuritiesType缺少对应的类型请更新");
const QString kOpenWarning = QStringLiteral("无法打开rsp_convert文件");
}  // namespace

// The security-type table loads once per process, so these cases run in declaration order.
class TestCodeTables : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeJson(const QString& name, const QByteArray& json) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
        file.write(json);
        return path;
    }

private slots:
    void init() { CapturedLog::install(); }
    void cleanup() { CapturedLog::uninstall(); }

    void builtInSecurityTypesWithoutFile() {
        RspConvertConfig* convert = RspConvertConfig::instance();
        convert->setFilePath(m_dir.filePath(QStringLiteral("absent.json")));
        currentMarket = '1';
        QCOMPARE(convert->TMoruSecuritiesTypeConvert(1), QStringLiteral("股票"));
        QCOMPARE(convert->TMoruSecuritiesTypeConvert(27), QStringLiteral("权证"));
        QCOMPARE(CapturedLog::count(kOpenWarning), 2);  // every call retries the load

        QCOMPARE(convert->TMoruSecuritiesTypeConvert(12), QString(QChar(12)));
        QVERIFY(CapturedLog::has(QtInfoMsg, kMissingType));

        struct Case {
            int type;
            QString sh, sz;
        };
        const Case cases[] = {
            {8, QStringLiteral("科创板"), QStringLiteral("核准制创业板")},
            {9, QStringLiteral("科创板新股申购"), QStringLiteral("核准制创业板申购")},
            {10, QStringLiteral("科创板配股"), QStringLiteral("核准制创业板配股")},
            {11, QStringLiteral("非交易类型"), QString(QChar(11))},
            {14, QString(QChar(14)), QStringLiteral("注册制创业板")},
            {15, QString(QChar(15)), QStringLiteral("注册制创业板申购")},
            {16, QString(QChar(16)), QStringLiteral("注册制创业板配股")},
            {22, QStringLiteral("科创板CDR"), QStringLiteral("创业板CDR")},
        };
        for (const Case& c : cases) {
            currentMarket = '1';
            QCOMPARE(convert->TMoruSecuritiesTypeConvert(uchar(c.type)), c.sh);
            currentMarket = '2';
            QCOMPARE(convert->TMoruSecuritiesTypeConvert(uchar(c.type)), c.sz);
            currentMarket = '0';
            QCOMPARE(convert->TMoruSecuritiesTypeConvert(uchar(c.type)), QString(QChar(c.type)));
        }
        QCOMPARE(convert->TMoruSecuritiesTypeConvert(255), QString(QChar(255)));
    }

    void loadFailures() {
        RspConvertConfig* convert = RspConvertConfig::instance();
        convert->setFilePath(writeJson(QStringLiteral("broken.json"), "{\"SS\": ["));
        QCOMPARE(convert->readRspJson(), -1);
        QVERIFY(CapturedLog::texts().last().startsWith(QStringLiteral("解析 rsp_convert 失败： ")));

        convert->setFilePath(writeJson(QStringLiteral("sz_only.json"), R"({"SZ": {"SecuritiesType": []}})"));
        currentMarket = '0';  // anything but '2' reads the Shanghai section
        QCOMPARE(convert->readRspJson(), -1);
        QVERIFY(CapturedLog::has(QtWarningMsg, QStringLiteral("rsp_convert 文件内容格式错误")));
        currentMarket = '2';
        QCOMPARE(convert->readRspJson(), 0);  // present but empty: success, table stays empty
    }

    void fileTableLoadsOnce() {
        RspConvertConfig* convert = RspConvertConfig::instance();
        convert->setFilePath(writeJson(QStringLiteral("rsp_convert.json"), R"({
            "SS": {"SecuritiesType": [{"key": 1, "value": "A股"}, {"key": 12, "value": "旧"},
                                      {"key": 12, "value": "沪市新类型"}]},
            "SZ": {"SecuritiesType": [{"key": 1, "value": "深市股票"}]}
        })"));
        currentMarket = '1';
        QCOMPARE(convert->TMoruSecuritiesTypeConvert(1), QStringLiteral("A股"));
        QCOMPARE(convert->TMoruSecuritiesTypeConvert(12), QStringLiteral("沪市新类型"));

        // A later Shenzhen login keeps the Shanghai table; built-in rows follow the market.
        currentMarket = '2';
        CapturedLog::clear();
        QCOMPARE(convert->TMoruSecuritiesTypeConvert(1), QStringLiteral("A股"));
        QCOMPARE(convert->TMoruSecuritiesTypeConvert(14), QStringLiteral("注册制创业板"));
        QCOMPARE(CapturedLog::count(kOpenWarning), 0);
    }

    void shippedTableLeavesMarketRowsToTheMarket() {
        // A Shanghai login loads the shipped table; a Shenzhen login later in the same process keeps
        // it, and every row must still read as the market of the moment names it.
        RspConvertConfig* convert = RspConvertConfig::instance();
        convert->setFilePath(QStringLiteral(MORU_SOURCE_DIR "/app/config/defaults/rsp_convert.json"));
        currentMarket = '1';
        QCOMPARE(convert->readRspJson(), 0);

        // The rows the file leaves out; the rows both markets share are the built-in ones anyway.
        struct Row {
            int type;
            QString sh, sz;
        };
        const Row rows[] = {
            {8, QStringLiteral("科创板"), QStringLiteral("核准制创业板")},
            {9, QStringLiteral("科创板新股申购"), QStringLiteral("核准制创业板申购")},
            {10, QStringLiteral("科创板配股"), QStringLiteral("核准制创业板配股")},
            {11, QStringLiteral("非交易类型"), QString(QChar(11))},
            {14, QString(QChar(14)), QStringLiteral("注册制创业板")},
            {15, QString(QChar(15)), QStringLiteral("注册制创业板申购")},
            {16, QString(QChar(16)), QStringLiteral("注册制创业板配股")},
            {22, QStringLiteral("科创板CDR"), QStringLiteral("创业板CDR")},
            {1, QStringLiteral("股票"), QStringLiteral("股票")},
        };
        for (const char market : {'1', '2', '1'}) {
            currentMarket = market;
            for (const Row& row : rows)
                QCOMPARE(convert->TMoruSecuritiesTypeConvert(uchar(row.type)),
                         market == '1' ? row.sh : row.sz);
        }
    }

    void fixedTables() {
        const QPair<char, QString> orderTypes[] = {{'1', QStringLiteral("对手方最优剩余转限价")},
                                                   {'2', QStringLiteral("限价")},
                                                   {'3', QStringLiteral("本方最优")},
                                                   {'4', QStringLiteral("市价立即成交剩余撤销")},
                                                   {'5', QStringLiteral("市价全额成交或撤销")},
                                                   {'6', QStringLiteral("最优五档立即成交剩余撤销")},
                                                   {'7', QStringLiteral("最优五档立即成交剩余转限价")},
                                                   {'8', QStringLiteral("限价全额成交或撤销")}};
        for (const auto& t : orderTypes) QCOMPARE(Utils::TMoruOrderTypeTypeConvert(t.first), t.second);
        QCOMPARE(CapturedLog::all().size(), 0);
        QCOMPARE(Utils::TMoruOrderTypeTypeConvert('0'), QString());
        QCOMPARE(Utils::TMoruOrderTypeTypeConvert('9'), QString());
        QCOMPARE(CapturedLog::texts(), QStringList({QStringLiteral("unknow orderType:  0"),
                                                    QStringLiteral("unknow orderType:  9")}));

        const QString statuses[] = {QStringLiteral("未报"),     QStringLiteral("正报"),
                                    QStringLiteral("已报"),     QStringLiteral("已报待撤"),
                                    QStringLiteral("部成待撤"), QStringLiteral("部撤"),
                                    QStringLiteral("已撤"),     QStringLiteral("部成"),
                                    QStringLiteral("已成"),     QStringLiteral("废单")};
        for (int i = 0; i < 10; ++i) QCOMPARE(Utils::TMoruOrderStatusTypeConvert(char('0' + i)), statuses[i]);
        QCOMPARE(Utils::TMoruOrderStatusTypeConvert('a'), QString());

        QCOMPARE(Utils::TMoruSideTypeConvert('1'), QStringLiteral("买"));
        QCOMPARE(Utils::TMoruSideTypeConvert('2'), QStringLiteral("卖"));
        QCOMPARE(Utils::TMoruSideTypeConvert('3'), QStringLiteral("申购"));
        QCOMPARE(Utils::TMoruSideTypeConvert('4'), QStringLiteral("赎回"));
        QCOMPARE(Utils::TMoruSideTypeConvert('7'), QStringLiteral("要约预受"));
        QCOMPARE(Utils::TMoruSideTypeConvert('8'), QStringLiteral("要约撤销"));
        QCOMPARE(Utils::TMoruSideTypeConvert('5'), QString());
        QCOMPARE(Utils::TMoruSideTypeConvert('6'), QString());

        for (uchar kind : {uchar(0x65), uchar(0xAB), uchar(0xAD)})
            QCOMPARE(Utils::TMoruMsgKindConvert(char(kind)), QStringLiteral("普通报单"));
        QCOMPARE(Utils::TMoruMsgKindConvert('g'), QStringLiteral("普通撤单"));
        QCOMPARE(Utils::TMoruMsgKindConvert(char(0xAC)), QStringLiteral("未知类型"));
        QCOMPARE(Utils::TMoruMsgKindConvert(0), QStringLiteral("未知类型"));

        QCOMPARE(Utils::TMoruMarketTypeConvert('1'), QStringLiteral("上交所"));
        QCOMPARE(Utils::TMoruMarketTypeConvert('2'), QStringLiteral("深交所"));
        QCOMPARE(Utils::TMoruMarketTypeConvert('0'), QString());

        const QString transfer[] = {
            QStringLiteral("接收到调拨消息"),     QStringLiteral("发送调出请求结束"),
            QStringLiteral("接收到调出结束消息"), QStringLiteral("发送调入消息请求结束"),
            QStringLiteral("接收到调入结束消息"), QStringLiteral("操作结束")};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(Utils::TMoruBtTransferStatusTypeConvert(char('1' + i)), transfer[i]);
        QCOMPARE(Utils::TMoruBtTransferStatusTypeConvert('0'), QString());
        QCOMPARE(Utils::TMoruBtTransferStatusTypeConvert('7'), QString());
    }

    void timeField() {
        // The nine characters fill the field; the bytes after it must not be read.
        struct {
            char time[9];
            char after[8];
        } record;
        std::memcpy(record.time, "093015123", 9);
        std::memcpy(record.after, "4567890X", 8);
        QCOMPARE(Utils::TimeStringConvert(record.time, 9), QStringLiteral("09:30:15.123"));

        char empty[9] = {};
        QCOMPARE(Utils::TimeStringConvert(empty, 9), QString());
        char shortTime[9] = {'0', '9', '3', '0', 0, 0, 0, 0, 0};
        QCOMPARE(Utils::TimeStringConvert(shortTime, 9), QString());
        char invalid[9] = {'2', '5', '0', '0', '0', '0', '0', '0', '0'};
        QCOMPARE(Utils::TimeStringConvert(invalid, 9), QString());
        QCOMPARE(Utils::TimeStringConvert(nullptr, 9), QString());

        // Every field of digits, valid or not at each place, reads as the date-time parser reads it.
        for (int hour = 0; hour < 100; ++hour) {
            for (int minute : {0, 7, 59, 60, 99}) {
                for (int second : {0, 59, 60, 99}) {
                    for (const char* millis : {"000", "999"}) {
                        const QByteArray digits = QStringLiteral("%1%2%3%4")
                                                      .arg(hour, 2, 10, QLatin1Char('0'))
                                                      .arg(minute, 2, 10, QLatin1Char('0'))
                                                      .arg(second, 2, 10, QLatin1Char('0'))
                                                      .arg(QLatin1String(millis))
                                                      .toLatin1();
                        const QTime parsed = QTime::fromString(QString::fromLatin1(digits), "hhmmsszzz");
                        const QString expected =
                            parsed.isValid() ? parsed.toString("hh:mm:ss.zzz") : QString();
                        QCOMPARE(Utils::TimeStringConvert(digits.constData(), 9), expected);
                    }
                }
            }
        }
        for (const char* odd : {" 93015123", "09301512 ", "+09301512", "0930151a3", "09:301512"})
            QCOMPARE(Utils::TimeStringConvert(odd, 9),
                     QTime::fromString(QString::fromLatin1(odd), "hhmmsszzz").toString("hh:mm:ss.zzz"));
    }

    void fixedWidthText() {
        struct {
            char orderNo[10];
            char after[4];
        } record;
        std::memcpy(record.orderNo, "0000012345", 10);
        std::memcpy(record.after, "XXXX", 4);
        QCOMPARE(Utils::FixedCharToQString(record.orderNo, 10), QStringLiteral("0000012345"));

        char padded[10] = {'1', '2', '3'};
        const QString text = Utils::FixedCharToQString(padded, 10);
        QCOMPARE(text.size(), 10);  // the NUL padding is part of the text
        QVERIFY(text.startsWith(QStringLiteral("123")));
        QCOMPARE(text.at(9), QChar(0));

        char code[6] = {'1', '2', '3', '4', 0, 0};
        QCOMPARE(Utils::FixedCharToQString(code, 6).size(), 6);
        QCOMPARE(Utils::FixedCharToQString(nullptr, 6), QString());
    }

    void csvCells() {
        QString line;
        Utils::appendCsvField(line, QStringLiteral("a,\"b\""), false);
        Utils::appendCsvField(line, QString(), false);
        Utils::appendCsvField(line, QStringLiteral("证券"), true);
        QCOMPARE(line, QStringLiteral("\"a,\"\"b\"\"\",\"\",\"证券\"\n"));
    }

    // Counter text a spreadsheet would run as a formula gets a leading quote; numbers stay numbers.
    void csvCellsThatLookLikeFormulas_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("written");
        QTest::newRow("formula") << "=HYPERLINK(\"http://127.0.0.1\")"
                                 << "\"'=HYPERLINK(\"\"http://127.0.0.1\"\")\"\n";
        QTest::newRow("at") << "@SUM(A1)"
                            << "\"'@SUM(A1)\"\n";
        QTest::newRow("plus text") << "+1+2"
                                   << "\"'+1+2\"\n";
        QTest::newRow("minus text") << "-A1"
                                    << "\"'-A1\"\n";
        QTest::newRow("tab") << "\tx"
                             << "\"'\tx\"\n";
        QTest::newRow("carriage return") << "\rx"
                                         << "\"'\rx\"\n";
        QTest::newRow("negative amount") << "-1250.50"
                                         << "\"-1250.50\"\n";
        QTest::newRow("signed number") << "+3"
                                       << "\"+3\"\n";
        QTest::newRow("equals inside") << "a=b"
                                       << "\"a=b\"\n";
        QTest::newRow("NUL dropped") << QString::fromUtf16(u"a\0b", 3) << "\"ab\"\n";
    }

    void csvCellsThatLookLikeFormulas() {
        QFETCH(QString, value);
        QFETCH(QString, written);
        QString line;
        Utils::appendCsvField(line, value, true);
        QCOMPARE(line, written);
    }
};

QTEST_GUILESS_MAIN(TestCodeTables)
#include "test_code_tables.moc"
