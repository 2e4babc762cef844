#pragma once

#include <QHash>

#include "moru_api_types.h"
#include "user/queryWindow/order_rows.h"
#include "user/queryWindow/paged_query.h"
#include "user/queryWindow/query_requests.h"
#include "user/queryWindow/query_window.h"

class MyLabel;
class MyLineEdit;
class MyPushButton;
class MyTimeEdit;
class QTimer;
class ReadApiConfig;

// The "委托查询" page: the day's orders, queried page by page and shown in blocks of 10000 rows, with
// tick boxes on the orders that can be cancelled, a batch cancel and both exports.
class OrderedWidget : public QueryWindow {
    Q_OBJECT
public:
    static constexpr int BLOCK_ROWS = 10000;
    // cancelMode: no batch waiting for its first answer, one order cancelled, several cancelled.
    enum CancelMode { CancelSeveral = 0, CancelOne = 1, CancelIdle = 2 };

    explicit OrderedWidget(QWidget* parent = nullptr);

    // Rows n .. min(n + 10000, records) - 1 of the received records, n being the rows shown.
    void additem();
    void AfterCancelOrder(const QString& msg, bool ok);

    MyLineEdit* codeEdit() const { return mCodeEdit; }
    MyLineEdit* orderNoEdit() const { return mOrderNoEdit; }
    MyTimeEdit* startTimeEdit() const { return mStartTime; }
    MyTimeEdit* endTimeEdit() const { return mEndTime; }
    MyPushButton* searchButton() const { return mSearchButton; }
    MyPushButton* moreButton() const { return mMoreButton; }
    MyPushButton* cancelButton() const { return mCancelButton; }
    MyPushButton* clearButton() const { return mClearButton; }
    MyPushButton* exportButton() const { return mExportButton; }
    MyPushButton* exportAllButton() const { return mExportAllButton; }
    QTimer* retryTimer() const { return mQuery->retryTimer(); }
    // Waits for the first answer of a batch cancel; tests shorten it.
    QTimer* cancelTimer() const { return mCancelTimer; }
    PagedRecords<CMoruRspQryOrderField>* query() const { return mQuery; }
    ReadApiConfig* apiConfig() const { return mApiConfig; }
    int recordCount() const { return mQuery->recordCount(); }
    int cancelMode() const { return mCancelMode; }

    // An order return: the stored record of that order and its row, if shown, follow it; an order not
    // seen by the last search is added. Off when [live] orderRows is off.
    void applyOrderReturn(const CMoruRtnOrderField& rtn, const CMoruRspInfo& info);

public slots:
    void slot_clicked();
    void slot_moreInfClicked();
    void slot_rspQryOrder(const CMoruRspQryOrderField& pRspField, const CMoruRspInfo& pRspInfo,
                          int nRequestID, bool bIsLast);
    void slot_cancelOrderClicked();
    void slot_HeadCheckBoxToggled(bool checked);
    void slot_rspCancelOrder(const CMoruRspOrderActionField& pRspField, const CMoruRspInfo& pRspInfo,
                             int nRequestID, bool bIsLast);
    void slot_clickedClear();
    void exportAllToCsv() override;
    // Called by the retry timer after a search that could not be sent.
    void slot_enableSearch();

protected:
    QList<XlsxExport::Kind> xlsxKinds() const override;
    XlsxExport::Rows allRecordRows() const override;

private:
    void initLayout();
    void fillRows(int first, int end);
    void fillRow(int row, OrderTexts& texts);
    // Index of the stored record of an order; -1 when the last search did not bring it.
    int recordIndexOf(quint32 orderSysId);
    // An order without error, not a cancellation: it gets a tick box and may be cancelled.
    bool rowIsEligible(int row) const;
    void cancelTimedOut();

    MyLineEdit* mCodeEdit;
    MyPushButton* mCancelButton;
    MyLabel* mOrderNoLabel;
    MyLineEdit* mOrderNoEdit;
    MyLabel* mStartLabel;
    MyTimeEdit* mStartTime;
    MyLabel* mEndLabel;
    MyTimeEdit* mEndTime;
    MyPushButton* mClearButton;
    MyPushButton* mSearchButton;
    MyPushButton* mMoreButton;
    MyPushButton* mExportButton;
    MyPushButton* mExportAllButton;
    QTimer* mCancelTimer;

    QueryFilter mFilter;
    int mCancelMode = CancelIdle;
    // The orders received for the current search, in arrival order (= table rows).
    PagedRecords<CMoruRspQryOrderField>* mQuery;
    // Order number -> record index, kept up to the records of the current search.
    QHash<quint32, int> mIndexBySysId;
    int mIndexedGeneration = -1;
    int mIndexedCount = 0;
    ReadApiConfig* mApiConfig;
};
