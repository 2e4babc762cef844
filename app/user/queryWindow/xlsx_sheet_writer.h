#pragma once

#include <QString>
#include <vector>

#include "user/queryWindow/xlsx_export.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// One sheet streamed into a workbook: the header when made, then prepared rows in order, then the
// column widths and the file. Used by one thread at a time. Dropped unfinished, it leaves no
// temporary files behind and writes nothing to `path`.
class XlsxSheetWriter {
public:
    // Takes the name, titles and kinds of `sheet`, not its rows.
    XlsxSheetWriter(const QString& path, const XlsxExport::Sheet& sheet);
    ~XlsxSheetWriter();
    XlsxSheetWriter(const XlsxSheetWriter&) = delete;
    XlsxSheetWriter& operator=(const XlsxSheetWriter&) = delete;

    // False once anything failed; the reason goes to the log.
    bool add(const XlsxExport::Prepared& cells);
    // `widths` as titleWidths() and prepareRow() left them. True only when the file is whole.
    bool finish(const std::vector<int>& widths);

private:
    bool failed(int error, const char* step);

    QString mPath;
    lxw_workbook* mBook = nullptr;
    lxw_worksheet* mSheet = nullptr;
    lxw_format* mTextFormat = nullptr;
    std::vector<lxw_format*> mNumberFormats;  // per column; none for text
    bool mOk = false;
};
