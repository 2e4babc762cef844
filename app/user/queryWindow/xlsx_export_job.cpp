#include "user/queryWindow/xlsx_export_job.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "user/queryWindow/xlsx_sheet_writer.h"
#include "utils/dialog_seam.h"

namespace {

// Rows handed over at a time: the writer starts on the first ones at once.
constexpr int BATCH_ROWS = 512;

}  // namespace

// What passes from the building thread to the writing one.
struct XlsxExportJob::Handover {
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<XlsxExport::Prepared> batches;
    std::vector<int> widths;  // set with `last`
    bool last = false;
    bool failed = false;  // told back so building stops early
};

QString XlsxExportJob::askFileName() {
    QString path = DialogSeam::getSaveFileName(nullptr, QStringLiteral("Save Excel"), QString(),
                                               QStringLiteral("Excel Files (*.xlsx)"));
    if (!path.isEmpty() && !path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        path += QLatin1String(".xlsx");
    return path;
}

bool XlsxExportJob::canOpen(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return true;
    qWarning() << "workbook not opened:" << path << file.errorString();
    DialogSeam::critical(QStringLiteral("错误"), QStringLiteral("文件打开失败"));
    return false;
}

XlsxExportJob::XlsxExportJob(const QString& path, XlsxExport::Sheet sheet, XlsxExport::Rows rows,
                             QObject* parent)
    : QObject(parent),
      mPath(path),
      mSheet(std::move(sheet)),
      mRows(std::move(rows)),
      mWidths(XlsxExport::titleWidths(mSheet.titles)),
      mHandover(std::make_shared<Handover>()) {}

XlsxExportJob::~XlsxExportJob() {
    if (!mThread) return;
    // The page is closing (a link loss ends the session): the rows are copies, so the file the user
    // chose is still written whole, here and now; only the closing box goes with the page.
    disconnect(mThread, nullptr, this, nullptr);
    while (mNext < mRows.count) {
        XlsxExport::prepareRow(mRows.cells(mNext), quint32(mNext + 1), mSheet.kinds, &mPrepared, &mWidths);
        if (++mNext % BATCH_ROWS == 0) hand(false);
    }
    hand(true);
    mThread->wait();
}

void XlsxExportJob::start() {
    auto written = std::make_shared<bool>(false);
    mThread = QThread::create([handover = mHandover, path = mPath, sheet = mSheet, written] {
        XlsxSheetWriter writer(path, sheet);
        bool ok = true;
        for (;;) {
            XlsxExport::Prepared batch;
            {
                std::unique_lock<std::mutex> lock(handover->mutex);
                handover->ready.wait(lock, [&] { return handover->last || !handover->batches.empty(); });
                if (handover->batches.empty()) break;
                batch = std::move(handover->batches.front());
                handover->batches.pop_front();
            }
            ok = writer.add(batch);
            if (!ok) {
                std::lock_guard<std::mutex> lock(handover->mutex);
                handover->failed = true;
                return;
            }
        }
        *written = writer.finish(handover->widths);
    });
    mThread->setParent(this);
    connect(mThread, &QThread::finished, this, [this, written] { report(*written); });
    mThread->start();
    // After a turn of the event loop: the page may just have spent its own time copying the rows.
    QTimer::singleShot(0, this, &XlsxExportJob::buildSlice);
}

void XlsxExportJob::buildSlice() {
    if (!mThread) return;  // reported already
    QElapsedTimer clock;
    clock.start();
    while (mNext < mRows.count && clock.elapsed() < SLICE_MS) {
        XlsxExport::prepareRow(mRows.cells(mNext), quint32(mNext + 1), mSheet.kinds, &mPrepared, &mWidths);
        if (++mNext % BATCH_ROWS == 0) hand(false);
    }
    if (mNext < mRows.count) {
        hand(false);
        QTimer::singleShot(0, this, &XlsxExportJob::buildSlice);
    } else {
        mRows = {};  // what the rows were built from is no longer needed
        hand(true);
    }
}

void XlsxExportJob::hand(bool last) {
    {
        std::lock_guard<std::mutex> lock(mHandover->mutex);
        if (mHandover->failed) mNext = mRows.count;  // nothing more will be written
        if (!mPrepared.cells.empty()) mHandover->batches.push_back(std::move(mPrepared));
        if (last) {
            mHandover->widths = mWidths;
            mHandover->last = true;
        }
    }
    mPrepared = {};
    mHandover->ready.notify_one();
}

void XlsxExportJob::report(bool written) {
    mThread->wait();
    delete mThread;
    mThread = nullptr;
    emit finished(written);
    if (written)
        DialogSeam::information(QStringLiteral("成功"), QStringLiteral("文件写入成功"));
    else
        DialogSeam::critical(QStringLiteral("错误"), QStringLiteral("文件写入失败"));
    deleteLater();
}
