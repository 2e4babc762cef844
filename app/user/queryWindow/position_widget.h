#pragma once

#include <QMap>

#include "moru_api_types.h"
#include "user/queryWindow/paged_query.h"
#include "user/queryWindow/query_window.h"

class MyLineEdit;
class MyPushButton;
class QTimer;

// The "持仓查询" page: the account's positions, 20 rows at a time, each with a "下单" button that
// opens order entry for its security, and both exports.
class PositionWidget : public QueryWindow {
    Q_OBJECT
public:
    static constexpr int BLOCK_ROWS = 20;

    explicit PositionWidget(QWidget* parent = nullptr);

    MyLineEdit* codeEdit() const { return mCodeEdit; }
    MyPushButton* searchButton() const { return mSearchButton; }
    MyPushButton* moreButton() const { return mMoreButton; }
    MyPushButton* clearButton() const { return mClearButton; }
    MyPushButton* exportButton() const { return mExportButton; }
    MyPushButton* exportAllButton() const { return mExportAllButton; }
    MyPushButton* orderButton(int row) const;
    QTimer* retryTimer() const { return mQuery->retryTimer(); }
    PagedRecords<CMoruRspQryStockPositionField>* query() const { return mQuery; }
    int recordCount() const { return mQuery->recordCount(); }

public slots:
    void slot_rspQryPosition(const CMoruRspQryStockPositionField& pRspField, const CMoruRspInfo& pRspInfo,
                             int nRequestID, bool bIsLast);
    void slot_check();
    void slot_clickOrder();
    void slot_clickedClear();
    void slot_clickMore();
    void exportAllToCsv() override;
    // Called by the retry timer after a search that could not be sent.
    void slot_enableSearch();

protected:
    QList<XlsxExport::Kind> xlsxKinds() const override;
    XlsxExport::Rows allRecordRows() const override;

private:
    void fillRows(int first, int end);
    void placeOrderButton(int row);

    MyLineEdit* mCodeEdit;
    MyPushButton* mSearchButton;
    MyPushButton* mMoreButton;
    MyPushButton* mClearButton;
    MyPushButton* mExportButton;
    MyPushButton* mExportAllButton;

    QMap<QObject*, int> mButtonToRow;
    // The positions received for the current search, in arrival order.
    PagedRecords<CMoruRspQryStockPositionField>* mQuery;
};
