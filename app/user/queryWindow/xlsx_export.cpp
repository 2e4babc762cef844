#include "user/queryWindow/xlsx_export.h"

#include <algorithm>

#include "user/queryWindow/xlsx_sheet_writer.h"

namespace XlsxExport {

namespace {

// A double holds any 15 decimal digits exactly as written.
constexpr int MAX_DIGITS = 15;
// Column widths in the sheet's character units: room for the bold header and a margin.
constexpr int MIN_WIDTH = 6;
constexpr int MAX_WIDTH = 80;
constexpr int MARGIN = 2;

bool isWide(uint unit) {
    return (unit >= 0x1100 && unit <= 0x115F) || (unit >= 0x2E80 && unit <= 0xA4CF) ||
           (unit >= 0xAC00 && unit <= 0xD7A3) || (unit >= 0xF900 && unit <= 0xFAFF) ||
           (unit >= 0xFE30 && unit <= 0xFE4F) || (unit >= 0xFF00 && unit <= 0xFF60) ||
           (unit >= 0xFFE0 && unit <= 0xFFE6);
}

// Appends `text` as NUL-ended UTF-8 and returns its width.
int appendText(QByteArray* out, const QString& text) {
    out->append(text.toUtf8()).append('\0');
    return textWidth(text);
}

}  // namespace

bool numberOf(const QString& text, int decimals, double* value) {
    const QChar* p = text.constData();
    const QChar* const end = p + text.size();
    const bool negative = p != end && *p == QLatin1Char('-');
    if (negative) ++p;
    qint64 mantissa = 0;
    int digits = 0;
    int afterPoint = -1;  // -1 until the point
    for (; p != end; ++p) {
        if (*p == QLatin1Char('.') && afterPoint < 0 && digits > 0) {
            afterPoint = 0;
            continue;
        }
        const ushort u = p->unicode();
        if (u < '0' || u > '9' || ++digits > MAX_DIGITS) return false;
        // "007" would read as 7.
        if (digits == 2 && afterPoint < 0 && mantissa == 0) return false;
        mantissa = mantissa * 10 + (u - '0');
        if (afterPoint >= 0) ++afterPoint;
    }
    if (digits == 0 || afterPoint != (decimals > 0 ? decimals : -1)) return false;
    // "-0.00" would read as 0.00 in the sheet.
    if (negative && mantissa == 0) return false;
    double scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    // Both exact, so the one rounding is that of the division: the double nearest the text.
    *value = (negative ? -double(mantissa) : double(mantissa)) / scale;
    return true;
}

int textWidth(const QString& text) {
    int width = 0;
    for (const QChar c : text) {
        if (c.isLowSurrogate()) continue;  // the pair was counted at its first half
        width += c.isHighSurrogate() || isWide(c.unicode()) ? 2 : 1;
    }
    return width;
}

std::vector<int> titleWidths(const QStringList& titles) {
    std::vector<int> widths;
    for (const QString& title : titles) widths.push_back(std::max(MIN_WIDTH, textWidth(title) + 1));
    return widths;
}

void prepareRow(const QStringList& cells, quint32 row, const QList<Kind>& kinds, Prepared* out,
                std::vector<int>* widths) {
    const int columns = std::min(cells.size(), int(widths->size()));
    for (int c = 0; c < columns; ++c) {
        const QString& cell = cells.at(c);
        if (cell.isEmpty()) continue;
        const Kind kind = kinds.value(c);
        Prepared::Cell prepared{row, quint16(c), false, 0, -1};
        prepared.number = kind.number && numberOf(cell, kind.decimals, &prepared.value);
        int& widest = (*widths)[size_t(c)];
        if (prepared.number) {
            widest = std::max(widest, cell.size());  // digits, point and minus: one each
        } else {
            prepared.text = out->texts.size();
            widest = std::max(widest, appendText(&out->texts, cell));
        }
        out->cells.push_back(prepared);
    }
}

double columnWidth(int widest) {
    return std::min(widest + MARGIN, MAX_WIDTH);
}

bool write(const QString& path, const Sheet& sheet) {
    XlsxSheetWriter writer(path, sheet);
    std::vector<int> widths = titleWidths(sheet.titles);
    Prepared prepared;
    quint32 row = 1;
    for (const QStringList& cells : sheet.rows) prepareRow(cells, row++, sheet.kinds, &prepared, &widths);
    return writer.add(prepared) && writer.finish(widths);
}

}  // namespace XlsxExport
