#include "user/queryWindow/xlsx_sheet_writer.h"

#include <xlsxwriter.h>

#include <QDebug>
#include <QFile>
#include <map>

namespace {

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

}  // namespace

XlsxSheetWriter::XlsxSheetWriter(const QString& path, const XlsxExport::Sheet& sheet) : mPath(path) {
    lxw_workbook_options options = {};
    // Rows go to a temporary file as they are written instead of staying in memory; also the faster
    // way for a whole page of records.
    options.constant_memory = LXW_TRUE;
    mBook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!mBook) {
        qWarning() << "workbook not created:" << path;
        return;
    }
    const QByteArray name = sheetName(sheet.name).toUtf8();
    mSheet = workbook_add_worksheet(mBook, name.isEmpty() ? nullptr : name.constData());
    if (!mSheet) {
        qWarning() << "workbook not written:" << path << "no sheet" << sheet.name;
        return;
    }
    lxw_format* bold = workbook_add_format(mBook);
    format_set_bold(bold);
    // Text cells stay text also when the user edits them.
    mTextFormat = workbook_add_format(mBook);
    format_set_num_format(mTextFormat, "@");
    std::map<int, lxw_format*> byDecimals;
    for (int c = 0; c < sheet.titles.size(); ++c) {
        const XlsxExport::Kind kind = sheet.kinds.value(c);
        lxw_format* format = nullptr;
        if (kind.number) {
            format = byDecimals[kind.decimals];
            if (!format) {
                format = byDecimals[kind.decimals] = workbook_add_format(mBook);
                format_set_num_format(format, numberFormat(kind.decimals).constData());
            }
        }
        mNumberFormats.push_back(format);
    }
    worksheet_freeze_panes(mSheet, 1, 0);
    mOk = true;
    for (int c = 0; c < sheet.titles.size() && mOk; ++c)
        mOk = !failed(
            worksheet_write_string(mSheet, 0, lxw_col_t(c), sheet.titles.at(c).toUtf8().constData(), bold),
            "header");
}

XlsxSheetWriter::~XlsxSheetWriter() {
    if (mBook) lxw_workbook_free(mBook);
}

bool XlsxSheetWriter::failed(int error, const char* step) {
    if (error == LXW_NO_ERROR) return false;
    qWarning() << "workbook not written:" << mPath << step << lxw_strerror(lxw_error(error));
    return true;
}

bool XlsxSheetWriter::add(const XlsxExport::Prepared& cells) {
    const char* const texts = cells.texts.constData();
    for (auto cell = cells.cells.cbegin(); mOk && cell != cells.cells.cend(); ++cell) {
        const lxw_error error =
            cell->number
                ? worksheet_write_number(mSheet, cell->row, cell->column, cell->value,
                                         mNumberFormats[cell->column])
                : worksheet_write_string(mSheet, cell->row, cell->column, texts + cell->text, mTextFormat);
        mOk = !failed(error, "cell");
    }
    return mOk;
}

bool XlsxSheetWriter::finish(const std::vector<int>& widths) {
    for (int c = 0; mOk && c < int(widths.size()); ++c)
        mOk = !failed(worksheet_set_column(mSheet, lxw_col_t(c), lxw_col_t(c),
                                           XlsxExport::columnWidth(widths[size_t(c)]), nullptr),
                      "column");
    if (!mOk) return false;
    lxw_workbook* const book = mBook;
    mBook = nullptr;  // closing frees it, also when it fails
    mOk = false;
    if (failed(workbook_close(book), "file")) return false;
    if (endsWhole(mPath)) return true;
    qWarning() << "workbook not written whole:" << mPath;
    return false;
}
