#include "user/queryWindow/csv_export.h"

#include <QDebug>
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
    mFailed = false;
    // Text mode: each line feed becomes the platform's line end.
    if (!mFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        DialogSeam::critical(QStringLiteral("错误"), QStringLiteral("文件打开失败"));
        return false;
    }
    if (mFile.write("\xEF\xBB\xBF", 3) != 3) noteFailure();
    write(titles.join(QLatin1Char(',')) + QLatin1Char('\n'));
    return true;
}

void Writer::write(const QString& text) {
    if (mFailed) return;
    const QByteArray bytes = text.toUtf8();
    if (mFile.write(bytes) != bytes.size()) noteFailure();
}

void Writer::noteFailure() {
    if (!mFailed) qWarning() << "CSV write failed:" << mFile.fileName() << mFile.errorString();
    mFailed = true;
}

bool Writer::finish() {
    // A full disk often shows only when the buffered rest is flushed.
    if (!mFailed && !mFile.flush()) noteFailure();
    mFile.close();
    if (!mFailed && mFile.error() != QFileDevice::NoError) noteFailure();
    if (mFailed) {
        DialogSeam::critical(QStringLiteral("错误"), QStringLiteral("文件写入失败"));
        return false;
    }
    DialogSeam::information(QStringLiteral("成功"), QStringLiteral("文件写入成功"));
    return true;
}

bool exportLines(const QStringList& titles, const std::function<int()>& count, const LineWriter& appendLine) {
    // Empty also when a link loss ended the session while the dialog was open.
    const QString path = askFileName();
    if (path.isEmpty()) return false;
    Writer writer;
    if (!writer.open(path, titles)) return false;
    const int lines = count();
    QString buffer;
    for (int first = 0; first < lines; first += TABLE_ROWS_PER_CHUNK) {
        const int end = qMin(lines, first + TABLE_ROWS_PER_CHUNK);
        for (int i = first; i < end; ++i) appendLine(buffer, i);
        writer.write(buffer);
        buffer.resize(0);  // keeps the capacity for the next chunk
    }
    return writer.finish();
}

void exportTable(const QTableWidget& table, const QString& pageName, const QStringList& titles) {
    const QList<int> columns = exportedColumns(pageName, table.columnCount());
    exportLines(
        exportedTitles(pageName, titles), [&table] { return table.rowCount(); },
        [&](QString& out, int row) { appendTableRows(out, table, columns, row, row + 1); });
}

}  // namespace CsvExport
