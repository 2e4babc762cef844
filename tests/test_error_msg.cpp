#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>
#include <cstring>

#include "captured_log.h"
#include "fake_tradeapi.h"
#include "utils/api_state.h"
#include "utils/error_msg.h"

namespace {

// "密码错误" in GBK: not valid UTF-8.
const QByteArray kGbkWrongPassword("\xC3\xDC\xC2\xEB\xB4\xED\xCE\xF3");

CMoruRspInfo rspInfo(int errorId, const QByteArray& text) {
    CMoruRspInfo info{};
    info.ErrorID = errorId;
    std::memcpy(info.ErrorMsg, text.constData(), size_t(qMin(text.size(), int(sizeof(info.ErrorMsg)) - 1)));
    return info;
}

}  // namespace

class TestErrorMsg : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;

    // Points the table at a new file with `json` and loads it for `market`.
    int load(const QByteArray& json, char market) {
        const QString path = m_dir.filePath(QStringLiteral("error_msg_%1.json").arg(++m_files));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
        file.write(json);
        file.close();
        currentMarket = market;
        ErrorMsg::instance()->setFilePath(path);
        return ErrorMsg::instance()->readErrorJson();
    }

    static QByteArray table() {
        return R"({
            "SS": [{"errorid": 2005, "errormsg": "上交所可用资金不足"},
                   {"errorid": 2001, "errormsg": "旧文本"},
                   {"errorid": 2001, "errormsg": "证券代码不存在"}],
            "SZ": [{"errorid": 2005, "errormsg": "深交所可用资金不足"}],
            "manager": [{"errorid": 2005, "errormsg": "管理中心资金不足"},
                        {"errorid": 1002, "errormsg": "密码错误"}]
        })";
    }

private slots:
    void init() {
        CapturedLog::install();
        apiDataReady = false;
        fakeapi::reset();
    }
    void cleanup() { CapturedLog::uninstall(); }

    void encodingDetection() {
        QCOMPARE(ErrorMsg::detectEncoding("plain ascii"), QStringLiteral("UTF-8"));
        QCOMPARE(ErrorMsg::detectEncoding(QStringLiteral("资金不足").toUtf8()), QStringLiteral("UTF-8"));
        QCOMPARE(ErrorMsg::detectEncoding("\xEF\xBB\xBFok"), QStringLiteral("UTF-8 with BOM"));
        QCOMPARE(ErrorMsg::detectEncoding("\xFF\xFEx"), QStringLiteral("UTF-16"));
        QCOMPARE(ErrorMsg::detectEncoding(kGbkWrongPassword), QStringLiteral("GBK"));
        // A UTF-8 sequence cut off by the end, a stray continuation byte: not UTF-8.
        QVERIFY(ErrorMsg::detectEncoding(QStringLiteral("资").toUtf8().left(2)) != QStringLiteral("UTF-8"));
        QVERIFY(ErrorMsg::detectEncoding("a\x80") != QStringLiteral("UTF-8"));
        // A full field can cut a GBK text inside its last character; the rest is still GBK.
        const QByteArray cut = kGbkWrongPassword.left(kGbkWrongPassword.size() - 1);
        QCOMPARE(ErrorMsg::detectEncoding(cut), QStringLiteral("GBK"));
        QVERIFY(ErrorMsg::decodeCounterText(cut).startsWith(QStringLiteral("密码错")));
    }

    void strictDetectionReachesEveryAnswer() {
        // Bytes, the detected encoding, and the text they decode to.
        const struct {
            QByteArray bytes;
            QString encoding;
            QString text;
        } rows[] = {
            // Four-byte sequences exist only in GB18030, alone or among two-byte characters.
            {"\x81\x30\x81\x30", QStringLiteral("GB18030"), QString(QChar(0x80))},
            {"\x94\x39\xFC\x36", QStringLiteral("GB18030"), QString::fromUcs4(U"\U0001F600")},
            {kGbkWrongPassword + "\x94\x39\xFC\x36", QStringLiteral("GB18030"),
             QStringLiteral("密码错误") + QString::fromUcs4(U"\U0001F600")},
            // A four-byte character cut by the end of a full field: the codec has the last word on it.
            {"\xC3\xDC\x81\x30", QStringLiteral("GB18030"),
             QTextCodec::codecForName("GB18030")->toUnicode("\xC3\xDC\x81\x30")},
            // Bytes that no double-byte encoding uses, a lead byte before a blank, an unassigned
            // four-byte code.
            {"\xFF", QStringLiteral("Unknown"), QString()},
            {"ok\x80", QStringLiteral("Unknown"), QString()},
            {"\xC3\x20\xDC", QStringLiteral("Unknown"), QString()},
            {"\x84\x31\xA5\x30", QStringLiteral("Unknown"), QString()},
        };
        for (const auto& row : rows) {
            QCOMPARE(ErrorMsg::detectEncoding(row.bytes), row.encoding);
            // Unknown text goes through the local 8-bit decoding, whatever that makes of it.
            const QString expected =
                row.encoding == QStringLiteral("Unknown") ? QString::fromLocal8Bit(row.bytes) : row.text;
            QCOMPARE(ErrorMsg::decodeCounterText(row.bytes), expected);
        }
    }

    void decoding() {
        QVERIFY(ErrorMsg::decodeCounterText(QByteArray()).isNull());
        QVERIFY(ErrorMsg::decodeCounterText(static_cast<const char*>(nullptr)).isNull());
        QCOMPARE(ErrorMsg::decodeCounterText(kGbkWrongPassword), QStringLiteral("密码错误"));
        QCOMPARE(ErrorMsg::decodeCounterText(kGbkWrongPassword, QStringLiteral("GBK")),
                 QStringLiteral("密码错误"));
        QCOMPARE(ErrorMsg::decodeCounterText("\xEF\xBB\xBF" + QStringLiteral("节点错误").toUtf8()),
                 QStringLiteral("节点错误"));
        // Only the text before the first NUL counts.
        QCOMPARE(ErrorMsg::decodeCounterText(QByteArray("abc\0\xC3\xDC", 6)), QStringLiteral("abc"));
    }

    void chineseRecordTextWins() {
        QCOMPARE(load(table(), '1'), 0);
        const CMoruRspInfo utf8 = rspInfo(2005, QStringLiteral("counter says 资金不足").toUtf8());
        QCOMPARE(ErrorMsg::instance()->getErrorMsg(utf8), QStringLiteral("counter says 资金不足"));
        QVERIFY(
            CapturedLog::has(QtInfoMsg, QStringLiteral("\"haveChines is [1], current size is  [13] ErrorId "
                                                       "is [2005] ErrorMsg is [counter says 资金不足]\"")));
        const CMoruRspInfo gbk = rspInfo(1002, kGbkWrongPassword);
        QCOMPARE(ErrorMsg::instance()->getErrorMsgManagerPriority(gbk), QStringLiteral("密码错误"));
    }

    void tableOrderFollowsTheVariant() {
        QCOMPARE(load(table(), '1'), 0);
        ErrorMsg* msg = ErrorMsg::instance();
        QCOMPARE(msg->getErrorMsg(rspInfo(2005, "")), QStringLiteral("上交所可用资金不足"));
        QCOMPARE(msg->getErrorMsgManagerPriority(rspInfo(2005, "")), QStringLiteral("管理中心资金不足"));
        // Each variant's log line names its own function.
        const QVector<CapturedLog::Line> lines = CapturedLog::all();
        QVERIFY(lines.size() >= 2);
        QVERIFY(lines.at(lines.size() - 2).function.contains(QStringLiteral("getErrorMsg(")));
        QVERIFY(lines.last().function.contains(QStringLiteral("getErrorMsgManagerPriority(")));
        QCOMPARE(msg->getErrorMsg(rspInfo(2001, "Unknown security")), QStringLiteral("证券代码不存在"));
        QCOMPARE(msg->getErrorMsg(rspInfo(1002, "")), QStringLiteral("密码错误"));  // falls to manager
        QCOMPARE(msg->getErrorMsg(rspInfo(9999, "no such error")), QStringLiteral("no such error"));
        QVERIFY(
            CapturedLog::has(QtInfoMsg, QStringLiteral("\"haveChines is [0], current size is  [13] ErrorId "
                                                       "is [9999] ErrorMsg is [no such error]\"")));
        QCOMPARE(msg->getErrorMsgById(2005), QStringLiteral("上交所可用资金不足"));
        QCOMPARE(msg->getErrorMsgById(1002), QStringLiteral("密码错误"));
        QCOMPARE(msg->getErrorMsgById(4242), QString());

        QCOMPARE(load(table(), '2'), 0);
        QCOMPARE(msg->getErrorMsg(rspInfo(2005, "")), QStringLiteral("深交所可用资金不足"));
        QCOMPARE(msg->getErrorMsgById(2001), QString());
        // A negative id prints unsigned.
        msg->getErrorMsg(rspInfo(-1, "x"));
        QVERIFY(CapturedLog::texts().last().contains(QStringLiteral("ErrorId is [4294967295]")));
    }

    void sectionsAndLoadFailures() {
        QCOMPARE(load(R"({"manager": [{"errorid": 1001, "errormsg": "资金账号不存在"}]})", '1'), 0);
        QCOMPARE(ErrorMsg::instance()->getErrorMsgById(1001), QStringLiteral("资金账号不存在"));

        QCOMPARE(load(R"({"SZ": [{"errorid": 2005, "errormsg": "深交所可用资金不足"}]})", '1'), -1);
        QVERIFY(CapturedLog::has(QtWarningMsg, QStringLiteral("error_msg 文件内容格式错误")));
        QCOMPARE(ErrorMsg::instance()->getErrorMsgById(1001), QString());  // tables emptied

        // No market chosen yet: only the manager section is loaded.
        QCOMPARE(load(table(), '0'), 0);
        QCOMPARE(ErrorMsg::instance()->getErrorMsgById(2005), QStringLiteral("管理中心资金不足"));
        QCOMPARE(load(R"({"SS": []})", '0'), -1);

        QCOMPARE(load("{ not json", '1'), -1);
        QVERIFY(CapturedLog::texts().last().startsWith(QStringLiteral("解析 error_msg 失败： ")));

        ErrorMsg::instance()->setFilePath(m_dir.filePath(QStringLiteral("missing.json")));
        QCOMPARE(ErrorMsg::instance()->readErrorJson(), -1);
        QVERIFY(CapturedLog::has(QtWarningMsg, QStringLiteral("无法打开error_msg文件")));
        QCOMPARE(ErrorMsg::instance()->getErrorMsg(rspInfo(2005, "Insufficient funds")),
                 QStringLiteral("Insufficient funds"));
    }

    void libraryTextOnceDataReady() {
        QCOMPARE(load(table(), '2'), 0);
        fakeapi::setErrMsg(2005, std::string(kGbkWrongPassword.constData()));
        apiDataReady = true;
        ErrorMsg* msg = ErrorMsg::instance();
        QCOMPARE(msg->getErrorMsg(rspInfo(2005, "")), QStringLiteral("密码错误"));
        // The tables are not consulted, even for a number the library does not know.
        QCOMPARE(msg->getErrorMsgManagerPriority(rspInfo(1002, "Wrong password")), QString());
        QCOMPARE(msg->getErrorMsgById(2001), QString());
        const std::vector<fakeapi::ErrMsgCall> calls = fakeapi::errMsgCalls();
        QCOMPARE(int(calls.size()), 3);
        QCOMPARE(calls[0].errorId, 2005);
        QCOMPARE(calls[0].market, '2');
        QCOMPARE(calls[0].flag, 1);
        QCOMPARE(calls[0].entryNo, 0);
        // A Chinese record text still needs no lookup.
        QCOMPARE(msg->getErrorMsg(rspInfo(2005, QStringLiteral("资金不足").toUtf8())),
                 QStringLiteral("资金不足"));
        QCOMPARE(int(fakeapi::errMsgCalls().size()), 3);
    }

    void recordTextWithoutTerminator() {
        CMoruRspInfo info{};
        info.ErrorID = 7;
        std::memset(info.ErrorMsg, 'E', sizeof(info.ErrorMsg));
        QCOMPARE(load(table(), '1'), 0);
        QCOMPARE(ErrorMsg::instance()->getErrorMsg(info), QString(81, QLatin1Char('E')));
    }
};

QTEST_GUILESS_MAIN(TestErrorMsg)
#include "test_error_msg.moc"
