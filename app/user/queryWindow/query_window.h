#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "user/queryWindow/stockQuotes/market_data_level1.h"
#include "user/queryWindow/xlsx_export.h"

class BaseTableWidget;
class MyLabel;
class QAction;
class QHBoxLayout;
class QMenu;
class QPoint;
class QPushButton;

// The common frame of every table page: red title, a tool row for the page's own controls, the
// styled table, a thin border and the CSV export of what the table shows. Pages that give their
// columns' kinds also get a context menu on the table with the workbook exports.
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
    // Ends the tool row with "导出" and "全部导出" at the far right, wired to the two CSV exports.
    void addExportButtons(QPushButton* shown, QPushButton* all);
    // "导出Excel" and "全部导出Excel"; shown on the table's context menu request.
    QMenu* exportMenu() const { return mExportMenu; }

public slots:
    virtual void exportToCsv();
    virtual void exportAllToCsv();
    // The rows shown, or every record received, to a workbook.
    void exportToXlsx();
    void exportAllToXlsx();

protected:
    void paintEvent(QPaintEvent* event) override;
    // How each column the CSV export writes goes into a workbook; empty (the default) means the page
    // has no workbook export.
    virtual QList<XlsxExport::Kind> xlsxKinds() const;
    // Every record received, as the cells of those columns; the default is the table's rows. The rows
    // are built after this returns, while records may arrive: take a copy of what they come from.
    virtual XlsxExport::Rows allRecordRows() const;
    // The table's rows as shown, in those columns.
    XlsxExport::Rows shownRows() const;

private:
    static void registerRecordTypes();
    void showExportMenu(const QPoint& pos);
    void startXlsxExport(bool allRecords);

    int mColumnCount = 0;
    QStringList mHeaderTitles;
    BaseTableWidget* mTable;
    QHBoxLayout* mToolLayout;
    MyLabel* mTitleLabel;
    QString mName;
    QMenu* mExportMenu;
    QAction* mExportShownAction;
    QAction* mExportAllAction;
    bool mXlsxExportRunning = false;
};
