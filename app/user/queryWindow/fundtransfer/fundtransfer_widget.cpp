#include "user/queryWindow/fundtransfer/fundtransfer_widget.h"

#include <QHBoxLayout>

#include "constants.h"
#include "user/queryWindow/fundtransfer/fundtransfer_operation_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_table_widget.h"

FundTransferWidget::FundTransferWidget(QWidget* parent)
    : QDialog(parent),
      mOperation(new FundTransferOperationWidget(this)),
      mTable(new FundTransferTableWidget(this)) {
    setMinimumSize(924, 265);
    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("沪深资金调拨"));
    mTable->setTableHeader(FUND_TRANSFER_HEADERS.size(), FUND_TRANSFER_HEADERS);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(mOperation);
    layout->addWidget(mTable);
}
