#include "user/queryWindow/xlsx_export_job.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>

#include "utils/dialog_seam.h"

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
      mSheet(std::make_shared<XlsxExport::Sheet>(std::move(sheet))),
      mRows(std::move(rows)) {
    mSheet->rows.reserve(size_t(qMax(0, mRows.count)));
}

XlsxExportJob::~XlsxExportJob() {
    // A page closed while its workbook is written waits for the file to be whole.
    if (mThread) mThread->wait();
}

void XlsxExportJob::start() {
    buildSlice();
}

void XlsxExportJob::buildSlice() {
    QElapsedTimer clock;
    clock.start();
    while (mNext < mRows.count && clock.elapsed() < SLICE_MS) mSheet->rows.push_back(mRows.cells(mNext++));
    if (mNext < mRows.count)
        QTimer::singleShot(0, this, &XlsxExportJob::buildSlice);
    else
        writeOnThread();
}

void XlsxExportJob::writeOnThread() {
    mRows = {};  // what the rows were built from is no longer needed
    auto written = std::make_shared<bool>(false);
    mThread = QThread::create(
        [sheet = mSheet, path = mPath, written] { *written = XlsxExport::write(path, *sheet); });
    mThread->setParent(this);
    mSheet.reset();
    connect(mThread, &QThread::finished, this, [this, written] { report(*written); });
    mThread->start();
}

void XlsxExportJob::report(bool written) {
    // Gone before the box, with the rows it holds.
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
