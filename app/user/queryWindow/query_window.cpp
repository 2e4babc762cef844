#include "user/queryWindow/query_window.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_label.h"
#include "user/queryWindow/csv_export.h"
#include "user/queryWindow/xlsx_export_job.h"
#include "utils/signal_interface.h"

QueryWindow::QueryWindow(const QString& name, QWidget* parent)
    : QWidget(parent),
      mTable(new BaseTableWidget),
      mToolLayout(new QHBoxLayout),
      mTitleLabel(new MyLabel(name, nullptr)),
      mName(name),
      mExportMenu(new QMenu(this)),
      mExportShownAction(mExportMenu->addAction(QStringLiteral("导出Excel"))),
      mExportAllAction(mExportMenu->addAction(QStringLiteral("全部导出Excel"))) {
    registerRecordTypes();

    setMinimumWidth(640);
    mTitleLabel->setStyleSheet(QStringLiteral(
        "MyLabel{border-radius: 3px;font-family:'Microsoft YaHei';font:bold 16px;color:#CD2626;}"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mTitleLabel, 0, Qt::AlignLeft);
    layout->addLayout(mToolLayout);
    layout->addWidget(mTable);

    mTable->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mTable, &QWidget::customContextMenuRequested, this, &QueryWindow::showExportMenu);
    connect(mExportShownAction, &QAction::triggered, this, &QueryWindow::exportToXlsx);
    connect(mExportAllAction, &QAction::triggered, this, &QueryWindow::exportAllToXlsx);
}

void QueryWindow::registerRecordTypes() {
    // Queued delivery to the pages needs these by name; registering again is harmless.
    qRegisterMetaType<CMoruRspQryStockClientAccountField>("CMoruRspQryStockClientAccountField");
    qRegisterMetaType<CMoruRspQryStockPositionField>("CMoruRspQryStockPositionField");
    qRegisterMetaType<CMoruRspQryTradeField>("CMoruRspQryTradeField");
    qRegisterMetaType<CMoruRspQryStockSecuritiesField>("CMoruRspQryStockSecuritiesField");
    qRegisterMetaType<CMoruRspQryOrderField>("CMoruRspQryOrderField");
    qRegisterMetaType<CMoruRspQryCapTransferRecordField>("CMoruRspQryCapTransferRecordField");
    qRegisterMetaType<CMoruRspCapTransferField>("CMoruRspCapTransferField");
    qRegisterMetaType<CMoruRspQryBTCapTransferManagerField>("CMoruRspQryBTCapTransferManagerField");
    qRegisterMetaType<CMoruRspOrderActionField>("CMoruRspOrderActionField");
    qRegisterMetaType<CMoruRspInfo>("CMoruRspInfo");
}

void QueryWindow::setTableHeader(int columnCount, const QStringList& titles) {
    mColumnCount = columnCount;
    mHeaderTitles = titles;
    mTable->initTableHeader(columnCount, titles);
}

void QueryWindow::updateQuoteRow(const QMap<QString, ClientSecurityMarketDataLevel1>&, const QString&) {}

QString QueryWindow::windowName() const {
    return mName;
}

QStringList QueryWindow::headerLabels() const {
    return mHeaderTitles;
}

void QueryWindow::exportToCsv() {
    CsvExport::exportTable(*mTable, mName, mHeaderTitles);
}

void QueryWindow::exportAllToCsv() {}

QList<XlsxExport::Kind> QueryWindow::xlsxKinds() const {
    return {};
}

XlsxExport::Rows QueryWindow::allRecordRows() const {
    return shownRows();
}

XlsxExport::Rows QueryWindow::shownRows() const {
    // Copied now: a search may empty the table while the rows are built.
    auto rows = std::make_shared<std::vector<QStringList>>();
    const QList<int> columns = CsvExport::exportedColumns(mName, mTable->columnCount());
    rows->reserve(size_t(mTable->rowCount()));
    for (int row = 0; row < mTable->rowCount(); ++row) {
        QStringList cells;
        cells.reserve(columns.size());
        for (const int column : columns) {
            const QTableWidgetItem* item = mTable->item(row, column);
            cells << (item ? item->text() : QString());
        }
        rows->push_back(cells);
    }
    return {int(rows->size()), [rows](int index) { return rows->at(size_t(index)); }};
}

void QueryWindow::showExportMenu(const QPoint& pos) {
    if (xlsxKinds().isEmpty()) return;
    mExportMenu->popup(mTable->viewport()->mapToGlobal(pos));
}

void QueryWindow::exportToXlsx() {
    startXlsxExport(false);
}

void QueryWindow::exportAllToXlsx() {
    startXlsxExport(true);
}

void QueryWindow::startXlsxExport(bool allRecords) {
    const QList<XlsxExport::Kind> kinds = xlsxKinds();
    if (kinds.isEmpty() || mXlsxExportRunning) return;
    const QString path = XlsxExportJob::askFileName();
    if (path.isEmpty() || !XlsxExportJob::canOpen(path)) return;
    XlsxExport::Sheet sheet;
    sheet.name = mName;
    sheet.titles = CsvExport::exportedTitles(mName, mHeaderTitles);
    sheet.kinds = kinds;
    // Taken once the file is chosen, as the CSV export does: records may arrive while the dialog is open.
    auto* job = new XlsxExportJob(path, sheet, allRecords ? allRecordRows() : shownRows(), this);
    mXlsxExportRunning = true;
    mExportShownAction->setEnabled(false);
    mExportAllAction->setEnabled(false);
    connect(job, &XlsxExportJob::finished, this, [this] {
        mXlsxExportRunning = false;
        mExportShownAction->setEnabled(true);
        mExportAllAction->setEnabled(true);
    });
    job->start();
}

void QueryWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(211, 211, 211));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

void QueryWindow::addExportButtons(QPushButton* shown, QPushButton* all) {
    mToolLayout->addStretch();
    mToolLayout->addWidget(shown, 0, Qt::AlignRight);
    mToolLayout->addWidget(all, 0, Qt::AlignRight);
    connect(shown, &QPushButton::clicked, this, &QueryWindow::exportToCsv);
    connect(all, &QPushButton::clicked, this, &QueryWindow::exportAllToCsv);
}
