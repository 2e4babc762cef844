#pragma once

#include <QDialog>

class FundTransferOperationWidget;
class FundTransferTableWidget;

// The "沪深资金调拨" window: the transfer form on the left, the transfer records on the right.
class FundTransferWidget : public QDialog {
    Q_OBJECT
public:
    explicit FundTransferWidget(QWidget* parent = nullptr);

    FundTransferOperationWidget* operationWidget() const { return mOperation; }
    FundTransferTableWidget* tableWidget() const { return mTable; }

private:
    FundTransferOperationWidget* mOperation;
    FundTransferTableWidget* mTable;
};
