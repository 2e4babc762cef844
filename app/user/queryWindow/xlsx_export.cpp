#include "user/queryWindow/xlsx_export.h"

#include <xlsxwriter.h>

#include <QDebug>
#include <QFile>
#include <algorithm>
#include <map>
#include <memory>

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

// Excel refuses these in a sheet name, and more than 31 characters.
QString sheetName(const QString& name) {
    QString out;
    for (const QChar c : name)
        if (!QStringLiteral("[]:*?/\\").contains(c)) out += c;
    out = out.left(31);
    while (out.startsWith(QLatin1Char('\''))) out.remove(0, 1);
    while (out.endsWith(QLatin1Char('\''))) out.chop(1);
    return out;
}

QByteArray numberFormat(int decimals) {
    return decimals > 0 ? "0." + QByteArray(decimals, '0') : QByteArray("0");
}

bool failed(lxw_error error, const QString& path, const char* step) {
    if (error == LXW_NO_ERROR) return false;
    qWarning() << "workbook not written:" << path << step << lxw_strerror(error);
    return true;
}

// The last check before success is reported: a zip ends with its directory's end record, which tells
// where the directory began and how long it is; together they must come to the file's size.
bool endsWhole(const QString& path) {
    constexpr int END_RECORD = 22;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < END_RECORD || !file.seek(file.size() - END_RECORD))
        return false;
    const QByteArray end = file.read(END_RECORD);
    if (end.size() != END_RECORD || !end.startsWith("PK\x05\x06")) return false;
    auto le32 = [&end](int at) {
        return quint32(uchar(end[at])) | quint32(uchar(end[at + 1])) << 8 |
               quint32(uchar(end[at + 2])) << 16 | quint32(uchar(end[at + 3])) << 24;
    };
    return qint64(le32(16)) + qint64(le32(12)) + END_RECORD == file.size();
}

std::vector<double> columnWidths(const Sheet& sheet) {
    std::vector<int> widths(size_t(sheet.titles.size()), MIN_WIDTH);
    for (int c = 0; c < sheet.titles.size(); ++c)
        widths[size_t(c)] = std::max(widths[size_t(c)], textWidth(sheet.titles.at(c)) + 1);
    for (const QStringList& row : sheet.rows)
        for (int c = 0; c < row.size() && c < int(widths.size()); ++c)
            widths[size_t(c)] = std::max(widths[size_t(c)], textWidth(row.at(c)));
    std::vector<double> out;
    for (const int w : widths) out.push_back(std::min(w + MARGIN, MAX_WIDTH));
    return out;
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

bool write(const QString& path, const Sheet& sheet) {
    lxw_workbook_options options = {};
    // Rows go to a temporary file as they are written instead of staying in memory.
    options.constant_memory = LXW_TRUE;
    // Freed unless closed, so a failed export leaves no temporary files behind.
    std::unique_ptr<lxw_workbook, void (*)(lxw_workbook*)> book(
        workbook_new_opt(QFile::encodeName(path).constData(), &options), &lxw_workbook_free);
    if (!book) {
        qWarning() << "workbook not created:" << path;
        return false;
    }
    const QByteArray name = sheetName(sheet.name).toUtf8();
    lxw_worksheet* ws = workbook_add_worksheet(book.get(), name.isEmpty() ? nullptr : name.constData());
    if (!ws) {
        qWarning() << "workbook not written:" << path << "no sheet" << sheet.name;
        return false;
    }
    lxw_format* bold = workbook_add_format(book.get());
    format_set_bold(bold);
    // Text cells stay text also when the user edits them.
    lxw_format* textFormat = workbook_add_format(book.get());
    format_set_num_format(textFormat, "@");
    std::map<int, lxw_format*> numberFormats;
    std::vector<lxw_format*> formats;
    for (int c = 0; c < sheet.titles.size(); ++c) {
        const Kind kind = sheet.kinds.value(c);
        lxw_format*& format = kind.number ? numberFormats[kind.decimals] : textFormat;
        if (!format) {
            format = workbook_add_format(book.get());
            format_set_num_format(format, numberFormat(kind.decimals).constData());
        }
        formats.push_back(format);
    }

    const std::vector<double> widths = columnWidths(sheet);
    for (int c = 0; c < int(widths.size()); ++c)
        if (failed(worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), widths[size_t(c)], nullptr), path,
                   "column"))
            return false;
    worksheet_freeze_panes(ws, 1, 0);
    for (int c = 0; c < sheet.titles.size(); ++c)
        if (failed(worksheet_write_string(ws, 0, lxw_col_t(c), sheet.titles.at(c).toUtf8().constData(), bold),
                   path, "header"))
            return false;

    lxw_row_t row = 1;
    for (const QStringList& cells : sheet.rows) {
        for (int c = 0; c < cells.size() && c < int(formats.size()); ++c) {
            const QString& cell = cells.at(c);
            if (cell.isEmpty()) continue;
            const Kind kind = sheet.kinds.value(c);
            double value = 0;
            const lxw_error error =
                kind.number && numberOf(cell, kind.decimals, &value)
                    ? worksheet_write_number(ws, row, lxw_col_t(c), value, formats[size_t(c)])
                    : worksheet_write_string(ws, row, lxw_col_t(c), cell.toUtf8().constData(), textFormat);
            if (failed(error, path, "cell")) return false;
        }
        ++row;
    }
    if (failed(workbook_close(book.release()), path, "file")) return false;
    if (endsWhole(path)) return true;
    qWarning() << "workbook not written whole:" << path;
    return false;
}

}  // namespace XlsxExport
