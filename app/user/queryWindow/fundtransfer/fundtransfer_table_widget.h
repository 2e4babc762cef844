#pragma once

#include "moru_api_types.h"
#include "user/queryWindow/query_window.h"

class MyPushButton;
class PendingQuery;

// The right side of the transfer dialog: the account's transfer records.
class FundTransferTableWidget : public QueryWindow {
    Q_OBJECT
public:
    explicit FundTransferTableWidget(QWidget* parent = nullptr);

    MyPushButton* refreshButton() const { return mRefreshButton; }
    // Whether a click on "刷新" sends a query now (not while one is answered).
    bool refreshArmed() const { return bool(mRefreshConnection); }
    int rowCount() const { return mRowCount; }
    PendingQuery* pendingQuery() const { return mPending; }

public slots:
    void slot_clicked();
    void slot_rspQryBTFundTransferRecord(const CMoruRspQryBTCapTransferManagerField& pRspField,
                                         const CMoruRspInfo& pRspInfo, int nRequestID, bool bIsLast);

protected:
    QList<XlsxExport::Kind> xlsxKinds() const override;

private:
    void armRefresh();
    void queryTimedOut();

    MyPushButton* mRefreshButton;
    PendingQuery* mPending;
    QMetaObject::Connection mRefreshConnection;
    int mRowCount = 0;
};
