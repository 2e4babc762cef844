#include "utils/error_msg.h"

#include <QDebug>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextCodec>

#include "app_paths.h"
#include "constants.h"
#include "moru_securities_api.h"
#include "utils/api_state.h"

namespace {

QByteArray upToNul(const QByteArray& text) {
    const int nul = text.indexOf('\0');
    return nul < 0 ? text : text.left(nul);
}

bool isWellFormedUtf8(const QByteArray& text) {
    const int n = text.size();
    for (int i = 0; i < n;) {
        const uchar lead = uchar(text.at(i));
        int continuation;
        if (lead < 0x80) {
            continuation = 0;
        } else if ((lead & 0xE0) == 0xC0) {
            continuation = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            continuation = 2;
        } else if ((lead & 0xF8) == 0xF0) {
            continuation = 3;
        } else {
            return false;
        }
        if (i + continuation >= n) return false;  // cut off by the end
        for (int k = 1; k <= continuation; ++k) {
            if ((uchar(text.at(i + k)) & 0xC0) != 0x80) return false;
        }
        i += continuation + 1;
    }
    return true;
}

enum class DoubleByte { Gbk, Gb18030, Big5 };

bool inRange(uchar b, uchar low, uchar high) {
    return b >= low && b <= high;
}

// Length of the well-formed character at text[i], 0 when it is malformed, or -1 when it is cut off
// by the end of the text (a full field can split its last character).
int characterLength(const QByteArray& text, int i, DoubleByte kind) {
    const int left = text.size() - i;
    const uchar lead = uchar(text.at(i));
    if (lead < 0x80) return 1;
    if (!inRange(lead, 0x81, 0xFE)) return 0;  // 0x80 and 0xFF stand for nothing
    if (left < 2) return -1;
    const uchar second = uchar(text.at(i + 1));
    if (kind == DoubleByte::Big5) return inRange(second, 0x40, 0x7E) || inRange(second, 0xA1, 0xFE) ? 2 : 0;
    if (inRange(second, 0x40, 0x7E) || inRange(second, 0x80, 0xFE)) return 2;
    if (kind == DoubleByte::Gb18030 && inRange(second, 0x30, 0x39)) {
        if (left < 3) return -1;
        if (!inRange(uchar(text.at(i + 2)), 0x81, 0xFE)) return 0;
        if (left < 4) return -1;
        return inRange(uchar(text.at(i + 3)), 0x30, 0x39) ? 4 : 0;
    }
    return 0;
}

// Whether every character is well-formed in the encoding and stands for a character of it. Qt's
// codecs cannot tell: on ICU builds they neither count invalid input nor refuse bytes that other
// encodings use, so the byte structure is checked here and the codec only rules on the mapping.
bool isStrictly(const char* codecName, DoubleByte kind, const QByteArray& text) {
    int whole = 0;
    while (whole < text.size()) {
        const int length = characterLength(text, whole, kind);
        if (length == 0) return false;
        if (length < 0) break;  // a character cut off by the end does not count against the text
        whole += length;
    }
    QTextCodec* codec = QTextCodec::codecForName(codecName);
    if (!codec) return false;
    const QString decoded = codec->toUnicode(text.constData(), whole);
    return !decoded.contains(QChar::ReplacementCharacter);
}

QString decodeWith(const char* codecName, const QByteArray& text) {
    if (QTextCodec* codec = QTextCodec::codecForName(codecName)) return codec->toUnicode(text);
    return QString::fromLocal8Bit(text);
}

// Index of the first CJK unified ideograph, or the length when there is none.
int firstChinese(const QString& text) {
    for (int i = 0; i < text.size(); ++i) {
        const ushort c = text.at(i).unicode();
        if (c >= 0x4E00 && c <= 0x9FFF) return i;
    }
    return text.size();
}

QString recordText(const CMoruRspInfo& info) {
    return ErrorMsg::decodeCounterText(
        QByteArray(info.ErrorMsg, int(qstrnlen(info.ErrorMsg, sizeof(info.ErrorMsg)))));
}

QString lookUpLogLine(const CMoruRspInfo& info, const QString& text, int pos) {
    return QStringLiteral("haveChines is [%0], current size is  [%1] ErrorId is [%2] ErrorMsg is [%3]")
        .arg(pos < text.size() ? 1 : 0)
        .arg(pos)
        .arg(quint32(info.ErrorID))
        .arg(text);
}

}  // namespace

ErrorMsg* ErrorMsg::instance() {
    static ErrorMsg errorMsg;
    return &errorMsg;
}

ErrorMsg::ErrorMsg(QObject* parent) : QObject(parent), m_filePath(configFilePath(ERROR_MSG_PATH)) {}

void ErrorMsg::setFilePath(const QString& path) {
    m_filePath = path;
}

QString ErrorMsg::detectEncoding(const QByteArray& text) {
    if (text.startsWith("\xEF\xBB\xBF")) return QStringLiteral("UTF-8 with BOM");
    if (text.startsWith("\xFF\xFE") || text.startsWith("\xFE\xFF")) return QStringLiteral("UTF-16");
    if (isWellFormedUtf8(text)) return QStringLiteral("UTF-8");
    if (isStrictly("GBK", DoubleByte::Gbk, text)) return QStringLiteral("GBK");
    if (isStrictly("GB18030", DoubleByte::Gb18030, text)) return QStringLiteral("GB18030");
    if (isStrictly("Big5", DoubleByte::Big5, text)) return QStringLiteral("Big5");
    return QStringLiteral("Unknown");
}

QString ErrorMsg::decodeCounterText(const QByteArray& text, const QString& encoding) {
    const QByteArray bytes = upToNul(text);
    if (bytes.isEmpty()) return QString();
    const QString name = encoding.isEmpty() ? detectEncoding(bytes) : encoding;
    if (name == QLatin1String("UTF-8") || name == QLatin1String("UTF-8 with BOM")) {
        return QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    }
    if (name == QLatin1String("GBK")) return decodeWith("GBK", bytes);
    if (name == QLatin1String("GB18030")) return decodeWith("GB18030", bytes);
    return QString::fromLocal8Bit(bytes);
}

QString ErrorMsg::decodeCounterText(const char* text, const QString& encoding) {
    if (!text) return QString();
    return decodeCounterText(QByteArray(text), encoding);
}

QString ErrorMsg::libraryText(int errorId) const {
    return decodeCounterText(getErrMsgEx(errorId, currentMarket.load(), 1, entryNo));
}

QString ErrorMsg::lookUp(const CMoruRspInfo& info, const QString& text, bool managerFirst) const {
    if (apiDataReady.load()) return libraryText(info.ErrorID);
    const QMap<int, QString>& first = managerFirst ? managerErrorMap : marketErrorMap;
    const QMap<int, QString>& second = managerFirst ? marketErrorMap : managerErrorMap;
    auto it = first.constFind(info.ErrorID);
    if (it != first.cend()) return it.value();
    it = second.constFind(info.ErrorID);
    if (it != second.cend()) return it.value();
    return text;
}

// Each variant writes its log line from its own body, so the line's source location tells them apart.
QString ErrorMsg::getErrorMsg(const CMoruRspInfo& info) {
    const QString text = recordText(info);
    const int pos = firstChinese(text);
    qInfo() << lookUpLogLine(info, text, pos);
    return pos < text.size() ? text : lookUp(info, text, false);
}

QString ErrorMsg::getErrorMsgManagerPriority(const CMoruRspInfo& info) {
    const QString text = recordText(info);
    const int pos = firstChinese(text);
    qInfo() << lookUpLogLine(info, text, pos);
    return pos < text.size() ? text : lookUp(info, text, true);
}

QString ErrorMsg::getErrorMsgById(int errorId) {
    if (apiDataReady.load()) return libraryText(errorId);
    auto it = marketErrorMap.constFind(errorId);
    if (it != marketErrorMap.cend()) return it.value();
    return managerErrorMap.value(errorId);
}

int ErrorMsg::readErrorJson() {
    marketErrorMap.clear();
    managerErrorMap.clear();
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning() << "无法打开error_msg文件";
        return -1;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    file.close();
    if (error.error != QJsonParseError::NoError) {
        qWarning() << "解析 error_msg 失败：" << error.errorString();
        return -1;
    }
    const char market = currentMarket.load();
    const QString marketKey = market == '1'   ? QStringLiteral("SS")
                              : market == '2' ? QStringLiteral("SZ")
                                              : QString();
    const QJsonObject root = doc.object();
    const QString managerKey = QStringLiteral("manager");
    if ((marketKey.isEmpty() || !root.contains(marketKey)) && !root.contains(managerKey)) {
        qWarning() << "error_msg 文件内容格式错误";
        return -1;
    }
    auto load = [](const QJsonValue& entries, QMap<int, QString>& map) {
        for (const QJsonValue& entry : entries.toArray()) {
            const QJsonObject object = entry.toObject();
            map.insert(object.value(QStringLiteral("errorid")).toInt(),
                       object.value(QStringLiteral("errormsg")).toString());
        }
    };
    if (!marketKey.isEmpty()) load(root.value(marketKey), marketErrorMap);
    load(root.value(managerKey), managerErrorMap);
    return 0;
}
