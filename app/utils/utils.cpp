#include "utils/utils.h"

#include <QDebug>
#include <QTime>
#include <cstring>

#include "constants.h"
#include "moru_api_types.h"

QString Utils::TMoruOrderTypeTypeConvert(char type) {
    switch (type) {
        case MORU_PRICE_COUNTER_BEST:
            return PRICE_TYPE_COUNTER_BEST;
        case MORU_PRICE_LIMIT:
            return PRICE_TYPE_LIMIT;
        case MORU_PRICE_OWN_BEST:
            return PRICE_TYPE_OWN_BEST;
        case MORU_PRICE_MARKET_IOC:
            return PRICE_TYPE_MARKET_IOC;
        case MORU_PRICE_MARKET_FOK:
            return PRICE_TYPE_MARKET_FOK;
        case MORU_PRICE_BEST5_IOC:
            return PRICE_TYPE_BEST5_IOC;
        case MORU_PRICE_BEST5_TO_LIMIT:
            return PRICE_TYPE_BEST5_TO_LIMIT;
        case MORU_PRICE_LIMIT_FOK:
            return PRICE_TYPE_LIMIT_FOK;
        default:
            qInfo() << "unknow orderType: " << type;
            return QString();
    }
}

QString Utils::TMoruOrderStatusTypeConvert(char status) {
    switch (status) {
        case MORU_STATUS_NOT_REPORTED:
            return QStringLiteral("未报");
        case MORU_STATUS_REPORTING:
            return QStringLiteral("正报");
        case MORU_STATUS_REPORTED:
            return QStringLiteral("已报");
        case MORU_STATUS_CANCEL_PENDING:
            return QStringLiteral("已报待撤");
        case MORU_STATUS_PARTLY_FILLED_CANCEL_PENDING:
            return QStringLiteral("部成待撤");
        case MORU_STATUS_PARTLY_CANCELLED:
            return QStringLiteral("部撤");
        case MORU_STATUS_CANCELLED:
            return QStringLiteral("已撤");
        case MORU_STATUS_PARTLY_FILLED:
            return QStringLiteral("部成");
        case MORU_STATUS_FILLED:
            return QStringLiteral("已成");
        case MORU_STATUS_REJECTED:
            return QStringLiteral("废单");
        default:
            return QString();
    }
}

QString Utils::TMoruSideTypeConvert(char side) {
    switch (side) {
        case MORU_SIDE_BUY:
            return QStringLiteral("买");
        case MORU_SIDE_SELL:
            return QStringLiteral("卖");
        case MORU_SIDE_SUBSCRIBE:
            return QStringLiteral("申购");
        case MORU_SIDE_REDEEM:
            return QStringLiteral("赎回");
        case MORU_SIDE_TENDER_ACCEPT:
            return QStringLiteral("要约预受");
        case MORU_SIDE_TENDER_WITHDRAW:
            return QStringLiteral("要约撤销");
        default:
            return QString();
    }
}

QString Utils::TMoruMsgKindConvert(char kind) {
    switch (uchar(kind)) {
        case MORU_KIND_ORDER:
        case MORU_KIND_ORDER_AB:
        case MORU_KIND_ORDER_AD:
            return QStringLiteral("普通报单");
        case MORU_KIND_CANCEL:
            return QStringLiteral("普通撤单");
        default:
            return QStringLiteral("未知类型");
    }
}

QString Utils::TMoruMarketTypeConvert(char market) {
    switch (market) {
        case MORU_MARKET_SH:
            return QStringLiteral("上交所");
        case MORU_MARKET_SZ:
            return QStringLiteral("深交所");
        default:
            return QString();
    }
}

QString Utils::TMoruBtTransferStatusTypeConvert(char status) {
    switch (status) {
        case '1':
            return QStringLiteral("接收到调拨消息");
        case '2':
            return QStringLiteral("发送调出请求结束");
        case '3':
            return QStringLiteral("接收到调出结束消息");
        case '4':
            return QStringLiteral("发送调入消息请求结束");
        case '5':
            return QStringLiteral("接收到调入结束消息");
        case '6':
            return QStringLiteral("操作结束");
        default:
            return QString();
    }
}

namespace {

// Nine digits forming a valid time, as "hh:mm:ss.zzz"; empty when they are anything else.
QString formatTimeDigits(const char* d) {
    for (int i = 0; i < 9; ++i)
        if (d[i] < '0' || d[i] > '9') return QString();
    const int hour = (d[0] - '0') * 10 + (d[1] - '0');
    const int minute = (d[2] - '0') * 10 + (d[3] - '0');
    const int second = (d[4] - '0') * 10 + (d[5] - '0');
    if (hour > 23 || minute > 59 || second > 59) return QString();
    const QChar text[12] = {QLatin1Char(d[0]), QLatin1Char(d[1]), QLatin1Char(':'),  QLatin1Char(d[2]),
                            QLatin1Char(d[3]), QLatin1Char(':'),  QLatin1Char(d[4]), QLatin1Char(d[5]),
                            QLatin1Char('.'),  QLatin1Char(d[6]), QLatin1Char(d[7]), QLatin1Char(d[8])};
    return QString(text, 12);
}

}  // namespace

QString Utils::TimeStringConvert(const char* field, int length) {
    if (!field || length <= 0) return QString();
    char buffer[32] = {};
    std::memcpy(buffer, field, size_t(qMin(length, int(sizeof(buffer)) - 1)));
    // The query tables convert a time per row: plain digits take the short way, anything else goes
    // through the date-time parser.
    if (length == 9 && std::strlen(buffer) == 9) {
        const QString fast = formatTimeDigits(buffer);
        if (!fast.isNull()) return fast;
    }
    const QString text = QString::fromLatin1(buffer).left(length);
    const QTime time = QTime::fromString(text, QStringLiteral("hhmmsszzz"));
    return time.isValid() ? time.toString(QStringLiteral("hh:mm:ss.zzz")) : QString();
}

QString Utils::FixedCharToQString(const char* field, int length) {
    if (!field || length <= 0) return QString();
    return QString::fromUtf8(field, length);
}

namespace {
// A sign, digits and at most one decimal point: a spreadsheet reads it as the number it is.
bool isPlainNumber(const QString& v) {
    int i = (v.startsWith(QLatin1Char('-')) || v.startsWith(QLatin1Char('+'))) ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (; i < v.size(); ++i) {
        const QChar c = v.at(i);
        if (c.unicode() >= '0' && c.unicode() <= '9')
            digits = true;
        else if (c == QLatin1Char('.') && !point)
            point = true;
        else
            return false;
    }
    return digits;
}
}  // namespace

bool Utils::csvCellStartsFormula(const QString& value) {
    if (value.isEmpty()) return false;
    switch (value.at(0).unicode()) {
        case '=':
        case '@':
        case '\t':
        case '\r':
            return true;
        case '+':
        case '-':
            return !isPlainNumber(value);
        default:
            return false;
    }
}

void Utils::appendCsvField(QString& line, const QString& value, bool lastCell) {
    // Appended in place: exports write hundreds of thousands of cells.
    line += QLatin1Char('"');
    // Counter text may start like a formula; a leading quote keeps a spreadsheet from running it.
    if (csvCellStartsFormula(value)) line += QLatin1Char('\'');
    const QChar nul(0);
    if (value.contains(QLatin1Char('"')) || value.contains(nul)) {
        QString escaped = value;
        escaped.remove(nul);
        line += escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    } else {
        line += value;
    }
    line += QLatin1Char('"');
    line += lastCell ? QLatin1Char('\n') : QLatin1Char(',');
}
