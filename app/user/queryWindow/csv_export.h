#pragma once

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

class QTableWidget;

// The CSV files every query page writes: UTF-8 with a byte order mark, an unquoted header line,
// quoted cells, text-mode line ends.
namespace CsvExport {

// Characters reserved for the text of one export; it is written out in chunks.
constexpr int BUFFER_RESERVE = 52428800;
// Rows of the visible-table export between two writes.
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
// finish() closes the file and reports success. A failed open() has shown its box already.
class Writer {
public:
    bool open(const QString& path, const QStringList& titles);
    void write(const QString& text);
    void finish();

private:
    QFile mFile;
};

// The visible-table export of a page: dialog, file, rows in display order, boxes.
void exportTable(const QTableWidget& table, const QString& pageName, const QStringList& titles);

}  // namespace CsvExport
