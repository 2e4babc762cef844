#include "user/queryWindow/csv_export.h"

#include <QTableWidget>

#include "constants.h"
#include "utils/dialog_seam.h"
#include "utils/utils.h"

namespace CsvExport {

QString askFileName() {
    return DialogSeam::getSaveFileName(nullptr, QStringLiteral("Save CSV"), QString(),
                                       QStringLiteral("CSV Files (*.csv)"));
}

QList<int> exportedColumns(const QString& pageName, int columnCount) {
    int first = 0;
    int end = columnCount;
    if (pageName == ORDER_QUERY_TAB)
        first = 1;
    else if (pageName == POSITION_QUERY_TAB)
        end = columnCount - 1;
    QList<int> columns;
    for (int c = first; c < end; ++c) columns << c;
    return columns;
}

QStringList exportedTitles(const QString& pageName, const QStringList& titles) {
    QStringList kept = titles;
    if (pageName == ORDER_QUERY_TAB && !kept.isEmpty())
        kept.removeFirst();
    else if (pageName == POSITION_QUERY_TAB && !kept.isEmpty())
        kept.removeLast();
    return kept;
}

void appendTableRows(QString& out, const QTableWidget& table, const QList<int>& columns, int firstRow,
                     int endRow) {
    for (int row = firstRow; row < endRow; ++row) {
        if (columns.isEmpty()) {
            out += QLatin1Char('\n');
            continue;
        }
        for (int i = 0; i < columns.size(); ++i) {
            const QTableWidgetItem* item = table.item(row, columns.at(i));
            Utils::appendCsvField(out, item ? item->text() : QString(), i == columns.size() - 1);
        }
    }
}

bool Writer::open(const QString& path, const QStringList& titles) {
    mFile.setFileName(path);
    // Text mode: each line feed becomes the platform's line end.
    if (!mFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        DialogSeam::critical(QStringLiteral("错误"), QStringLiteral("文件打开失败"));
        return false;
    }
    mFile.write("\xEF\xBB\xBF", 3);
    write(titles.join(QLatin1Char(',')) + QLatin1Char('\n'));
    return true;
}

void Writer::write(const QString& text) {
    mFile.write(text.toUtf8());
}

void Writer::finish() {
    mFile.close();
    DialogSeam::information(QStringLiteral("成功"), QStringLiteral("文件写入成功"));
}

void exportTable(const QTableWidget& table, const QString& pageName, const QStringList& titles) {
    const QString path = askFileName();
    if (path.isEmpty()) return;
    Writer writer;
    if (!writer.open(path, exportedTitles(pageName, titles))) return;

    const QList<int> columns = exportedColumns(pageName, table.columnCount());
    const int rows = table.rowCount();
    QString buffer;
    buffer.reserve(BUFFER_RESERVE);
    for (int first = 0; first < rows; first += TABLE_ROWS_PER_CHUNK) {
        appendTableRows(buffer, table, columns, first, qMin(rows, first + TABLE_ROWS_PER_CHUNK));
        writer.write(buffer);
        buffer.resize(0);  // keeps the reserved capacity
    }
    writer.finish();
}

}  // namespace CsvExport
