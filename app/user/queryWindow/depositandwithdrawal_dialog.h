#pragma once

#include <QDialog>

class DepositAndWithdrawalWidget;

// The "出入金" window of the workspace; the page inside does the work.
class DepositAndWithdrawalDialog : public QDialog {
    Q_OBJECT
public:
    explicit DepositAndWithdrawalDialog(QWidget* parent = nullptr);

    DepositAndWithdrawalWidget* page() const { return mPage; }

private:
    DepositAndWithdrawalWidget* mPage;
};
