#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// The Excel workbooks the query pages write beside their CSV files: one sheet named after the page, a
// bold frozen header row, columns as wide as their contents. Every cell keeps the text the table
// shows: codes, order numbers, times and words are text cells (leading zeros, full-width digits and
// milliseconds stay, and a text beginning with "=" is never taken for a formula); quantities,
// prices and amounts are numbers shown with the table's decimals. No widgets: any thread may write.
namespace XlsxExport {

// How a column goes into the sheet: as text, or as a number shown with `decimals` places.
struct Kind {
    bool number = false;
    int decimals = 0;
};
constexpr Kind text() {
    return {};
}
constexpr Kind number(int decimals) {
    return {true, decimals};
}

struct Sheet {
    QString name;
    QStringList titles;
    // One per title; a missing one is text.
    QList<Kind> kinds;
    // The cell texts of each row, as the table shows them.
    std::vector<QStringList> rows;
};

// Rows still to be built: `cells(i)` gives row i, called with 0 .. count - 1 in order.
struct Rows {
    int count = 0;
    std::function<QStringList(int index)> cells;
};

// Cells made ready for the library on the thread that builds the rows, so the thread writing the
// workbook only hands them on: texts as NUL-ended UTF-8, numbers parsed.
struct Prepared {
    struct Cell {
        quint32 row;
        quint16 column;
        bool number;
        double value;  // a number's
        int text;      // a text's offset in `texts`
    };
    std::vector<Cell> cells;
    QByteArray texts;
};

// The widths the columns start from, one per title; `prepareRow` widens them to their texts.
std::vector<int> titleWidths(const QStringList& titles);
// Adds the cells of `cells` up to the last column as sheet row `row` (the header is row 0); empty
// ones are left out.
void prepareRow(const QStringList& cells, quint32 row, const QList<Kind>& kinds, Prepared* out,
                std::vector<int>* widths);
// The width a column is given in the sheet for the widest of its texts.
double columnWidth(int widest);

// Writes the sheet as a workbook at `path`, replacing the file. False when any part of it, down to
// the last byte, could not be written; the reason goes to the log.
bool write(const QString& path, const Sheet& sheet);

// The value of a number cell whose text reads back the same with `decimals` places: an optional
// minus, digits without a leading zero, and exactly `decimals` digits after the point, at most 15
// digits in all. Anything else (an empty cell, a word, "007", more digits than a double keeps, a
// negative zero) stays text.
bool numberOf(const QString& text, int decimals, double* value);

// Width of a text in the sheet's character units: a wide (CJK, full-width) character counts two.
int textWidth(const QString& text);

}  // namespace XlsxExport
