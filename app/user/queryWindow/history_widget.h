#pragma once

#include <QStringList>
#include <QVector>

#include "journal/history_query.h"
#include "user/queryWindow/query_window.h"

class MyLabel;
class MyPushButton;
class QComboBox;
class QDateEdit;

// The "历史查询" tab: what the journal kept, for a range of days and one kind (orders, fills, fund
// movements, the daily statement, realised profit by day or by code), shown in blocks like the day's
// pages and exported with the same CSV writer.
class HistoryWidget : public QueryWindow {
    Q_OBJECT
public:
    static constexpr int ROWS_PER_BLOCK = 10000;

    explicit HistoryWidget(QWidget* parent = nullptr);

    QDateEdit* fromEdit() const { return mFrom; }
    QDateEdit* toEdit() const { return mTo; }
    QComboBox* kindBox() const { return mKind; }
    MyPushButton* searchButton() const { return mSearch; }
    MyPushButton* moreButton() const { return mMore; }
    int rowCount() const { return mRows.size(); }

public slots:
    void slot_search();
    void slot_more();
    void slot_answered(const HistoryAnswer& answer);
    void exportAllToCsv() override;

private:
    void showBlock();
    HistoryQuery::Kind currentKind() const;

    MyLabel* mFromLabel;
    QDateEdit* mFrom;
    MyLabel* mToLabel;
    QDateEdit* mTo;
    QComboBox* mKind;
    MyPushButton* mSearch;
    MyPushButton* mMore;
    MyPushButton* mExport;
    MyPushButton* mExportAll;
    int mPendingId = 0;
    QStringList mTitles;
    QVector<QStringList> mRows;
};
