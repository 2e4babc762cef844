#include "user/queryWindow/paged_query.h"

#include <QAbstractButton>
#include <QDebug>
#include <QLabel>
#include <QTime>
#include <QTimer>

#include "basicControl/base_table_widget.h"
#include "user/queryWindow/pending_query.h"
#include "user/queryWindow/query_window.h"
#include "utils/api_state.h"
#include "utils/rsp_error_text.h"

namespace {
const QString ERROR_TITLE = QStringLiteral("错误");
const QString QUERY_FAILED = QStringLiteral("查询出错");
}  // namespace

PagedQuery::PagedQuery(QueryWindow* page, QAbstractButton* search, QAbstractButton* more,
                       const PagedQueryOptions& options, Sender send, RowFiller fillRows)
    : QObject(page),
      mPage(page),
      mSearch(search),
      mMore(more),
      mOptions(options),
      mSend(std::move(send)),
      mFillRows(std::move(fillRows)),
      mRetryTimer(new QTimer(this)),
      mPending(new PendingQuery(this)) {
    mRetryTimer->setSingleShot(true);
    mRetryTimer->setInterval(RETRY_DELAY_MS);
    connect(mRetryTimer, &QTimer::timeout, this, &PagedQuery::enableSearch);
    connect(mPending, &PendingQuery::timedOut, this,
            [this] { stop("query given up, no answer in time:", QStringLiteral("查询超时")); });
}

void PagedQuery::showBox(DialogSeam::Kind kind, const QString& text) {
    DialogSeam::showBoxFor(mPage, kind, ERROR_TITLE, text);
}

void PagedQuery::enableSearch() {
    mSearch->setEnabled(true);
}

void PagedQuery::search() {
    mSearch->setEnabled(false);
    const int requestId = takeRequestId();
    if (mSend(0, requestId) != 0) {
        if (mOptions.sendFailedLog) qWarning() << mOptions.sendFailedLog;
        showBox(mOptions.sendFailedBox, QUERY_FAILED);
        mRetryTimer->start();
        return;
    }
    mPending->sent(requestId);
    mQueryPosition = 0;
    if (mOptions.moreOffOnSearch) mMore->setEnabled(false);
    mPage->tableWidget()->setRowCount(0);
    clearRecords();
    ++mGeneration;
    mSearchedOnce = true;
}

bool PagedQuery::takeAnswer(const CMoruRspInfo& info, int requestId) {
    if (!mPending->isCurrent(requestId)) {
        qInfo() << "answer of an earlier query dropped:" << mPage->windowName() << requestId;
        return false;
    }
    if (info.ErrorID != 0) {
        mSearch->setEnabled(true);
        mPending->done();
        const QString text = rspErrorText(info);
        qWarning() << mOptions.errorLog.arg(text);
        showBox(DialogSeam::Kind::Warning, text);
        return false;
    }
    if (recordCount() >= mRecordCap) {
        stop("query stopped at its record cap:", QStringLiteral("查询记录超过%1条，已停止").arg(mRecordCap));
        return false;
    }
    return true;
}

void PagedQuery::recordStored(bool isLast, const PageEnd& end) {
    mPending->answered();
    const int count = recordCount();
    if (count == mOptions.blockRows)
        showRows();
    else if (count > mOptions.blockRows)
        mMore->setEnabled(true);

    if (!isLast) return;
    if (count < mOptions.blockRows) showRows();
    if (!mOptions.followPages || !end.hasMore) {
        mPending->done();
        mSearch->setEnabled(true);
        if (mStamp)
            mStamp->setText(
                QStringLiteral("更新于 %1").arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
        emit finished();
        return;
    }
    // A counter that keeps saying "more" from the same place would be asked forever.
    if (end.nextPosition <= mQueryPosition) {
        stop("query stopped, the next page would not move on:", QStringLiteral("分页查询无进展，已停止"));
        return;
    }
    if (count >= mRecordCap) {
        stop("query stopped at its record cap:", QStringLiteral("查询记录超过%1条，已停止").arg(mRecordCap));
        return;
    }
    if (mOptions.moreWhenPagesFollow) mMore->setEnabled(true);
    requestNextPage(end.nextPosition);
}

void PagedQuery::requestNextPage(int32_t queryPosition) {
    const int requestId = takeRequestId();
    if (mSend(queryPosition, requestId) != 0) {
        if (mOptions.nextPageFailedLog) qWarning() << mOptions.nextPageFailedLog;
        mPending->done();
        mSearch->setEnabled(true);
        showBox(mOptions.nextPageFailedBox, QUERY_FAILED);
        return;
    }
    mPending->sent(requestId);
    mQueryPosition = queryPosition;
}

void PagedQuery::stop(const char* log, const QString& text) {
    mPending->drop();
    if (recordCount() < mOptions.blockRows) showRows();
    mSearch->setEnabled(true);
    qWarning() << log << mPage->windowName() << recordCount();
    showBox(DialogSeam::Kind::Warning, text);
}

void PagedQuery::showRows() {
    BaseTableWidget* table = mPage->tableWidget();
    const int first = table->rowCount();
    const int end = qMin(first + mOptions.blockRows, recordCount());
    if (end <= first) return;
    // One repaint for the whole block instead of one per cell.
    table->setUpdatesEnabled(false);
    table->setRowCount(end);
    mFillRows(first, end);
    table->setUpdatesEnabled(true);
}

void PagedQuery::showMore() {
    showRows();
    if (mPage->tableWidget()->rowCount() == recordCount()) mMore->setEnabled(false);
}
