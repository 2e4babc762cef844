#pragma once

#include "moru_api_types.h"
#include "user/queryWindow/paged_query.h"
#include "user/queryWindow/query_requests.h"
#include "user/queryWindow/query_window.h"

class MyLabel;
class MyLineEdit;
class MyPushButton;
class MyTimeEdit;
class QTimer;

// The "成交查询" page: the day's trades, queried page by page and shown in blocks of 10000 rows, and
// both exports.
class TransactionWidget : public QueryWindow {
    Q_OBJECT
public:
    static constexpr int BLOCK_ROWS = 10000;

    explicit TransactionWidget(QWidget* parent = nullptr);

    MyLineEdit* codeEdit() const { return mCodeEdit; }
    MyLineEdit* orderNoEdit() const { return mOrderNoEdit; }
    MyTimeEdit* startTimeEdit() const { return mStartTime; }
    MyTimeEdit* endTimeEdit() const { return mEndTime; }
    MyPushButton* queryButton() const { return mQueryButton; }
    MyPushButton* moreButton() const { return mMoreButton; }
    MyPushButton* clearButton() const { return mClearButton; }
    MyPushButton* exportButton() const { return mExportButton; }
    MyPushButton* exportAllButton() const { return mExportAllButton; }
    QTimer* retryTimer() const { return mQuery->retryTimer(); }
    PagedRecords<CMoruRspQryTradeField>* query() const { return mQuery; }
    int recordCount() const { return mQuery->recordCount(); }

public slots:
    void slot_click();
    void slot_rspQryTrade(const CMoruRspQryTradeField& pRspField, const CMoruRspInfo& pRspInfo,
                          int nRequestID, bool bIsLast);
    void slot_clickedClear();
    void slot_moreInfClicked();
    void exportAllToCsv() override;
    // Called by the retry timer after a query that could not be sent.
    void slot_enableQuery();

protected:
    QList<XlsxExport::Kind> xlsxKinds() const override;
    XlsxExport::Rows allRecordRows() const override;

private:
    void initLayout();
    void fillRows(int first, int end);

    MyLineEdit* mCodeEdit;
    MyLabel* mOrderNoLabel;
    MyLineEdit* mOrderNoEdit;
    MyLabel* mStartLabel;
    MyTimeEdit* mStartTime;
    MyLabel* mEndLabel;
    MyTimeEdit* mEndTime;
    MyPushButton* mClearButton;
    MyPushButton* mQueryButton;
    MyPushButton* mMoreButton;
    MyPushButton* mExportButton;
    MyPushButton* mExportAllButton;

    QueryFilter mFilter;
    // The trades received for the current query, in arrival order.
    PagedRecords<CMoruRspQryTradeField>* mQuery;
};
