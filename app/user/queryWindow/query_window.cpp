#include "user/queryWindow/query_window.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_label.h"
#include "user/queryWindow/csv_export.h"
#include "utils/signal_interface.h"

QueryWindow::QueryWindow(const QString& name, QWidget* parent)
    : QWidget(parent),
      mTable(new BaseTableWidget),
      mToolLayout(new QHBoxLayout),
      mTitleLabel(new MyLabel(name, nullptr)),
      mName(name) {
    registerRecordTypes();

    setMinimumWidth(640);
    mTitleLabel->setStyleSheet(QStringLiteral(
        "MyLabel{border-radius: 3px;font-family:'Microsoft YaHei';font:bold 16px;color:#CD2626;}"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mTitleLabel, 0, Qt::AlignLeft);
    layout->addLayout(mToolLayout);
    layout->addWidget(mTable);
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

void QueryWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(211, 211, 211));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}
