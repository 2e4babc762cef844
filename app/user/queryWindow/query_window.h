#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "user/queryWindow/stockQuotes/market_data_level1.h"

class BaseTableWidget;
class MyLabel;
class QHBoxLayout;

// The common frame of every table page: red title, a tool row for the page's own controls, the
// styled table, a thin border and the CSV export of what the table shows.
class QueryWindow : public QWidget {
    Q_OBJECT
public:
    QueryWindow(const QString& name, QWidget* parent);

    virtual void setTableHeader(int columnCount, const QStringList& titles);
    // Only the quote display has a use for it.
    virtual void updateQuoteRow(const QMap<QString, ClientSecurityMarketDataLevel1>& quotes,
                                const QString& code);
    virtual QString windowName() const;
    virtual QStringList headerLabels() const;

    BaseTableWidget* tableWidget() const { return mTable; }
    QHBoxLayout* toolLayout() const { return mToolLayout; }

public slots:
    virtual void exportToCsv();
    virtual void exportAllToCsv();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static void registerRecordTypes();

    int mColumnCount = 0;
    QStringList mHeaderTitles;
    BaseTableWidget* mTable;
    QHBoxLayout* mToolLayout;
    MyLabel* mTitleLabel;
    QString mName;
};
