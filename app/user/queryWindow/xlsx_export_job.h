#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "user/queryWindow/xlsx_export.h"

class QThread;

// One workbook export of a page after the user has chosen the file. The rows are built and made
// ready on this thread a slice at a time, so the window keeps answering, and handed as they come to
// a thread of its own that writes the workbook meanwhile; the same closing box as the CSV export
// tells the outcome. Destroying the job (its page closed) finishes the workbook first, without a box.
class XlsxExportJob : public QObject {
    Q_OBJECT
public:
    // Longest stretch of row building between two turns of the event loop.
    static constexpr int SLICE_MS = 5;

    // The save dialog; ".xlsx" is added to a name without it. Empty when the user cancelled.
    static QString askFileName();
    // Opens the file for writing as the CSV export does; shows its box when that fails.
    static bool canOpen(const QString& path);

    // `sheet` holds the name, titles and kinds; its rows come from `rows`.
    XlsxExportJob(const QString& path, XlsxExport::Sheet sheet, XlsxExport::Rows rows, QObject* parent);
    ~XlsxExportJob() override;

    void start();

signals:
    // Before the closing box.
    void finished(bool written);

private:
    struct Handover;

    void buildSlice();
    void hand(bool last);
    void report(bool written);

    QString mPath;
    XlsxExport::Sheet mSheet;
    XlsxExport::Rows mRows;
    int mNext = 0;
    std::vector<int> mWidths;
    XlsxExport::Prepared mPrepared;
    std::shared_ptr<Handover> mHandover;
    QThread* mThread = nullptr;
};
