#include "user/queryWindow/depositandwithdrawal_dialog.h"

#include <QVBoxLayout>

#include "constants.h"
#include "user/queryWindow/depositandwithdrawal_widget.h"

DepositAndWithdrawalDialog::DepositAndWithdrawalDialog(QWidget* parent)
    : QDialog(parent), mPage(new DepositAndWithdrawalWidget(this)) {
    setMinimumSize(660, 265);
    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("出入金"));
    mPage->setTableHeader(IN_OUT_FUND_HEADERS.size(), IN_OUT_FUND_HEADERS);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mPage);
}
