#include "user/queryWindow/order_rows.h"

#include <QByteArray>
#include <cstring>
#include <type_traits>

#include "utils/utils.h"

namespace {

constexpr uint8_t REVERSE_REPO = 17;

QString errorText(int code, OrderTexts& texts) {
    auto it = texts.errorTexts.constFind(code);
    if (it == texts.errorTexts.cend()) it = texts.errorTexts.insert(code, texts.errorText(code));
    return it.value();
}

}  // namespace

bool isOrderKind(uint8_t msgKind) {
    return msgKind == 0x65 || msgKind == 0xAB || msgKind == 0xAD;
}

bool orderHasCheckBox(const CMoruRspQryOrderField& record) {
    return record.ErrorCode == 0 && isOrderKind(record.MsgKind);
}

double orderTradePrice(const CMoruRspQryOrderField& record) {
    if (record.Side == '3' || record.Side == '4') return record.OrderStatus != '9' ? 1 : 0;
    if (record.SecurityType == REVERSE_REPO) {
        const bool counted = (record.MsgKind == 0x65 && record.OrderStatus == '8') ||
                             record.OrderStatus == '7' || record.OrderStatus == '5';
        return counted ? record.LimitPrice : 0;
    }
    return record.TradeQty != 0 ? record.TradeAmount / record.TradeQty : 0;
}

QList<XlsxExport::Kind> orderColumnKinds() {
    using XlsxExport::number;
    using XlsxExport::text;
    return {text(), text(),    text(),    text(),    number(6), number(0), text(), text(), text(),
            text(), number(3), number(0), number(0), text(),    text(),    text(), text()};
}

namespace {

// An integer column, kept as a number until its text is needed.
struct Number {
    qint64 value;
};

// A fixed-width text column, kept as its bytes (up to the first NUL) until its text is needed.
struct Bytes {
    const char* data;
    int size;
};

template <std::size_t N>
Bytes bytesOf(const char (&field)[N]) {
    return {field, int(qstrnlen(field, uint(N)))};
}

void appendDecimal(QString& out, qint64 value) {
    char digits[24];
    int start = int(sizeof digits);
    quint64 rest = value < 0 ? 0 - quint64(value) : quint64(value);
    do {
        digits[--start] = char('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (value < 0) digits[--start] = '-';
    out += QLatin1String(digits + start, int(sizeof digits) - start);
}

// Plain ASCII without a double quote goes into a CSV cell as it is.
bool isPlainAscii(const Bytes& text) {
    // Formula-like text takes the general path, which neutralises it.
    if (text.size > 0 && text.data[0] != '\0' && std::strchr("=+-@\t\r", text.data[0]) != nullptr)
        return false;
    for (int i = 0; i < text.size; ++i)
        if (uchar(text.data[i]) >= 0x80 || text.data[i] == '"') return false;
    return true;
}

// Calls `cell` with each of columns 1 .. 17 in order: a QString or a Number.
template <typename Cell>
void visitOrderCells(const CMoruRspQryOrderField& r, OrderTexts& texts, Cell&& cell) {
    cell(bytesOf(r.OrderNo));
    cell(Number{r.NodeID});
    cell(bytesOf(r.SecurityID));
    cell(texts.securityType(r.SecurityType));
    cell(QString::number(r.LimitPrice, 'f', 6));
    cell(Number{r.OrderQty});
    cell(Utils::TMoruOrderTypeTypeConvert(r.OrderType));
    cell(Utils::TMoruOrderStatusTypeConvert(r.OrderStatus));
    cell(Utils::TMoruMsgKindConvert(char(r.MsgKind)));
    cell(Utils::TMoruSideTypeConvert(r.Side));
    cell(QString::number(orderTradePrice(r), 'f', 3));
    cell(Number{r.TradeQty});
    cell(Number{r.LeavesQty});
    cell(Number{r.ErrorCode});
    cell(errorText(r.ErrorCode, texts));
    cell(Utils::TimeStringConvert(r.RecvTime, int(sizeof r.RecvTime)));
    cell(bytesOf(r.TenderOfferorCode));
}

}  // namespace

OrderCells orderCells(const CMoruRspQryOrderField& r, OrderTexts& texts) {
    OrderCells cells;
    int column = 0;
    visitOrderCells(r, texts, [&](auto&& value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, Number>)
            cells[size_t(column++)] = QString::number(value.value);
        else if constexpr (std::is_same_v<T, Bytes>)
            cells[size_t(column++)] = QString::fromUtf8(value.data, value.size);
        else
            cells[size_t(column++)] = value;
    });
    return cells;
}

void appendOrderCsvLine(QString& out, const CMoruRspQryOrderField& r, OrderTexts& texts) {
    int column = 0;
    visitOrderCells(r, texts, [&](auto&& value) {
        using T = std::decay_t<decltype(value)>;
        const bool last = ++column == ORDER_TEXT_COLUMNS;
        if constexpr (std::is_same_v<T, Number>) {
            // Digits need no escaping.
            out += QLatin1Char('"');
            appendDecimal(out, value.value);
            out += QLatin1Char('"');
            out += last ? QLatin1Char('\n') : QLatin1Char(',');
        } else if constexpr (std::is_same_v<T, Bytes>) {
            if (isPlainAscii(value)) {
                out += QLatin1Char('"');
                out += QLatin1String(value.data, value.size);
                out += QLatin1Char('"');
                out += last ? QLatin1Char('\n') : QLatin1Char(',');
            } else {
                Utils::appendCsvField(out, QString::fromUtf8(value.data, value.size), last);
            }
        } else {
            Utils::appendCsvField(out, value, last);
        }
    });
}
