#pragma once

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QTableWidget;

// The CSV files every query page writes: UTF-8 with a byte order mark, an unquoted header line,
// quoted cells, text-mode line ends.
namespace CsvExport {

// Data lines between two writes; the text buffer grows to what one such chunk needs and is reused.
constexpr int TABLE_ROWS_PER_CHUNK = 5000;

// The save dialog; empty when the user cancelled.
QString askFileName();

// Columns of the visible-table export: the order page drops its first (check box) column, the
// position page its last (button) column, other pages keep all.
QList<int> exportedColumns(const QString& pageName, int columnCount);
QStringList exportedTitles(const QString& pageName, const QStringList& titles);

// Appends rows [firstRow, endRow) of the table as data lines, cell text as displayed.
void appendTableRows(QString& out, const QTableWidget& table, const QList<int>& columns, int firstRow,
                     int endRow);

// One export file: open() writes the byte order mark and the header line, write() appends text,
// finish() closes the file and tells the user whether everything reached it. A failed open() has
// shown its box already. After a failed write nothing more is written.
class Writer {
public:
    bool open(const QString& path, const QStringList& titles);
    void write(const QString& text);
    bool finish();

private:
    void noteFailure();

    QFile mFile;
    bool mFailed = false;
};

// Appends data line `index` (cells and line end) to the text.
using LineWriter = std::function<void(QString& out, int index)>;

// A whole export: the save dialog, the file with the byte order mark and the header line, lines
// 0 .. count()-1 written in chunks, the closing box. The count is taken once the user has chosen the
// file, since records may arrive while the dialog is open. Returns false when not all was written.
bool exportLines(const QStringList& titles, const std::function<int()>& count, const LineWriter& appendLine);

// The visible-table export of a page: dialog, file, rows in display order, boxes.
void exportTable(const QTableWidget& table, const QString& pageName, const QStringList& titles);

}  // namespace CsvExport
