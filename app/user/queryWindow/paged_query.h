#pragma once

#include <QAbstractButton>
#include <QObject>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>

#include "moru_api_types.h"
#include "utils/dialog_seam.h"

class PendingQuery;
class QLabel;

class QTimer;
class QueryWindow;

// How the query pages differ in their paged search.
struct PagedQueryOptions {
    // Rows added to the table at a time: the first block when that many records are in (or at the
    // end of a page with fewer), the next ones on "更多".
    int blockRows = 10000;
    // Ask for the next page when a page's last record says more exist.
    bool followPages = true;
    // "更多" comes on as soon as a page says more exist.
    bool moreWhenPagesFollow = false;
    // A new search turns "更多" off; otherwise it keeps its state.
    bool moreOffOnSearch = false;
    // The boxes when the first page or a later one could not be asked for.
    DialogSeam::Kind sendFailedBox = DialogSeam::Kind::Warning;
    DialogSeam::Kind nextPageFailedBox = DialogSeam::Kind::Warning;
    // Warnings logged with them; none when null.
    const char* sendFailedLog = nullptr;
    const char* nextPageFailedLog = nullptr;
    // The warning logged with a refused query; %1 is "[error number]text".
    QString errorLog;
};

// What the last record of a page says about the pages after it.
struct PageEnd {
    bool hasMore = false;
    int32_t nextPosition = 0;
};

// One search of a query page: the request for each page, the records of the current search, the rows
// shown in blocks and "更多", the search button's state. Answers to any request but the last one sent
// are dropped; a next page is asked for only when the counter's position moved forward, a search
// stops at a cap on its records, and one that goes silent is given up after a wait. The records
// received stay in every case. Boxes go through the page, one at a time.
class PagedQuery : public QObject {
    Q_OBJECT
signals:
    // The last page of a search came in whole.
    void finished();

public:
    static constexpr int RECORD_CAP = 1000000;
    static constexpr int RETRY_DELAY_MS = 1000;

    // Sends the request for the page starting at `queryPosition`; 0 when sent.
    using Sender = std::function<int(int32_t queryPosition, int requestId)>;
    // Fills rows [firstRow, endRow) from records of the same indexes; the table has the rows already.
    using RowFiller = std::function<void(int firstRow, int endRow)>;

    PagedQuery(QueryWindow* page, QAbstractButton* search, QAbstractButton* more,
               const PagedQueryOptions& options, Sender send, RowFiller fillRows);

    void search();
    // The next block of rows.
    void showRows();
    // "更多": the next block; off once every record is shown.
    void showMore();
    void enableSearch();

    virtual int recordCount() const = 0;

    // A search has been started this session; one runs now (its button waits).
    bool searchedOnce() const { return mSearchedOnce; }
    bool searching() const { return !mSearch->isEnabled(); }
    // Counts the searches that replaced the records.
    int generation() const { return mGeneration; }

    // A label that shows when the last search finished ("更新于 10:31:05"); none by default.
    void setStampLabel(QLabel* label) { mStamp = label; }

    QTimer* retryTimer() const { return mRetryTimer; }
    PendingQuery* pending() const { return mPending; }
    void setRecordCap(int cap) { mRecordCap = cap; }

protected:
    // Whether an answer is a record of this search to keep; a refusal is reported here.
    bool takeAnswer(const CMoruRspInfo& info, int requestId);
    // After a record was kept.
    void recordStored(bool isLast, const PageEnd& end);
    virtual void clearRecords() = 0;

private:
    void requestNextPage(int32_t queryPosition);
    // Stops the search with the rows received so far.
    void stop(const char* log, const QString& text);
    void showBox(DialogSeam::Kind kind, const QString& text);

    QueryWindow* mPage;
    QAbstractButton* mSearch;
    QAbstractButton* mMore;
    PagedQueryOptions mOptions;
    Sender mSend;
    RowFiller mFillRows;
    QTimer* mRetryTimer;
    PendingQuery* mPending;
    int32_t mQueryPosition = 0;
    int mRecordCap = RECORD_CAP;
    int mGeneration = 0;
    QLabel* mStamp = nullptr;
    bool mSearchedOnce = false;
};

// The records of one search, kept in arrival order.
template <typename Record>
class PagedRecords : public PagedQuery {
public:
    using PagedQuery::PagedQuery;

    void answer(const Record& record, const CMoruRspInfo& info, int requestId, bool isLast,
                const PageEnd& end = {}) {
        if (!takeAnswer(info, requestId)) return;
        mRecords.push_back(record);
        recordStored(isLast, end);
    }

    int recordCount() const override { return int(mRecords.size()); }
    const Record& record(int index) const { return mRecords[std::size_t(index)]; }
    // Every record; an export that runs across events takes a copy.
    const std::deque<Record>& records() const { return mRecords; }
    // Live changes between searches; the next search replaces them with the counter's answer.
    Record& recordToChange(int index) { return mRecords[std::size_t(index)]; }
    void appendRecord(const Record& record) { mRecords.push_back(record); }

private:
    void clearRecords() override { std::deque<Record>().swap(mRecords); }

    std::deque<Record> mRecords;
};
