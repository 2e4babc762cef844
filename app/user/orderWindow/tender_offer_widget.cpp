#include "user/orderWindow/tender_offer_widget.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_spin_box.h"
#include "moru_securities_api.h"
#include "user/orderWindow/form_layout.h"
#include "user/orderWindow/order_checks.h"
#include "user/orderWindow/order_feedback.h"
#include "user/orderWindow/order_records.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"

namespace {
enum ChoiceId { AcceptId = 0, WithdrawId = 1 };
}

TenderOfferWidget::TenderOfferWidget(QWidget* parent)
    : QWidget(parent),
      mTitleLabel(new MyLabel(QStringLiteral("要约收购"), this)),
      mCodeName(new MyLabel(QStringLiteral("代码"), this)),
      mCodeEdit(new MyLineEdit(this)),
      mNameName(new MyLabel(QStringLiteral("名称"), this)),
      mNameLabel(new MyLabel(QStringLiteral(" "), this)),
      mChoiceGroup(new QButtonGroup(this)),
      mChoiceName(new MyLabel(QStringLiteral("要约收购"), this)),
      mAcceptButton(new QRadioButton(QStringLiteral("要约预受"), this)),
      mWithdrawButton(new QRadioButton(QStringLiteral("要约撤销"), this)),
      mQuantityName(new MyLabel(QStringLiteral("数量"), this)),
      mQuantityEdit(new MySpinBox(this)),
      mOfferorName(new MyLabel(QStringLiteral("收购人编码"), this)),
      mOfferorEdit(new MyLineEdit(this)),
      mOrderButton(new MyPushButton(QStringLiteral("下单"), this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)) {
    qRegisterMetaType<CMoruRspTenderOfferOrderField>("CMoruRspTenderOfferOrderField");

    mChoiceGroup->addButton(mAcceptButton, AcceptId);
    mChoiceGroup->addButton(mWithdrawButton, WithdrawId);
    buildLayout();

    connect(mCodeEdit, &QLineEdit::textChanged, this, &TenderOfferWidget::slotChangeName);
    connect(mChoiceGroup, &QButtonGroup::idClicked, this, &TenderOfferWidget::slotButtionClient);
    connect(mOrderButton, &QPushButton::clicked, this, &TenderOfferWidget::slotOrderClicked);
    connect(mClearButton, &QPushButton::clicked, this, &TenderOfferWidget::slotClearClicked);
    connect(SignalInterface::instance(), &SignalInterface::signal_rspTenderOfferOrder, this,
            &TenderOfferWidget::slotRspTenderOfferOrder);

    slotClearClicked();
    mAcceptButton->setChecked(true);
    mSide = '7';
    setTabOrder(mCodeEdit, mNameLabel);
    setTabOrder(mNameLabel, mAcceptButton);
    setTabOrder(mAcceptButton, mWithdrawButton);
    setTabOrder(mWithdrawButton, mQuantityEdit);
    setTabOrder(mQuantityEdit, mOfferorEdit);
    setTabOrder(mOfferorEdit, mOrderButton);
    setTabOrder(mOrderButton, mClearButton);
    mCodeEdit->setFocus();
    setFixedSize(323, 260);
}

void TenderOfferWidget::buildLayout() {
    mTitleLabel->setRedTitleStyle();
    mCodeEdit->setPlaceholderText(tr("正股代码"));
    mCodeEdit->setFixedWidth(158);
    mCodeEdit->setMaxLength(6);
    mNameName->setFixedWidth(32);
    mNameLabel->setFixedSize(158, 20);
    mChoiceName->setFixedWidth(70);
    mQuantityEdit->setFixedWidth(158);
    mQuantityEdit->setRange(0, 2147483647);
    mOfferorEdit->setPlaceholderText(tr("要约收购人编码"));
    mOfferorEdit->setFixedWidth(158);
    mOfferorEdit->setMaxLength(6);
    mClearButton->setGreenStyle();
    mOrderButton->setRedStyle();
    mClearButton->setFixedSize(82, 22);
    mOrderButton->setFixedSize(82, 22);

    auto* column = new QVBoxLayout(this);
    addFormRow(column, {mTitleLabel});
    column->addSpacing(20);
    addFormRow(column, {mCodeName, 74, mCodeEdit});
    addFormRow(column, {mNameName, 68, mNameLabel});
    addFormRow(column, {mChoiceName, 30, mAcceptButton, 12, mWithdrawButton});
    addFormRow(column, {mQuantityName, 74, mQuantityEdit});
    addFormRow(column, {mOfferorName, 35, mOfferorEdit});
    addButtonRow(column, mOrderButton, mClearButton);
}

void TenderOfferWidget::setQuotesClient(QuotesTcpClient* client) {
    mQuotesClient = client;
}

void TenderOfferWidget::slotButtionClient(int id) {
    mSide = id == WithdrawId ? '8' : '7';
}

void TenderOfferWidget::slotChangeName(QString code) {
    mNameLabel->setText(mQuotesClient ? quoteSecurityName(mQuotesClient->getMarketData(code)) : QString());
}

void TenderOfferWidget::slotClicketOrder(QString code) {
    mCodeEdit->setText(code);
}

void TenderOfferWidget::slotClearClicked() {
    mCodeEdit->clear();
    mQuantityEdit->setValue(0);
    mOfferorEdit->clear();
}

void TenderOfferWidget::slotOrderClicked() {
    const QString code = mCodeEdit->text();
    const int quantity = mQuantityEdit->value();
    const QString offeror = mOfferorEdit->text();
    const QString problem = checkTenderOffer(code, quantity, offeror);
    if (!problem.isEmpty()) {
        DialogSeam::warning(QStringLiteral("错误"), problem);
        return;
    }
    // The reference is used up even when the trade is not confirmed.
    const CMoruReqTenderOfferOrderField req = makeTenderOffer(takeOrderRef(), code, mSide, quantity, offeror);
    if (!confirmTrade()) return;
    if (reqTenderOfferOrder(&req, takeRequestId(), entryNo) != 0)
        reportNotSent(QStringLiteral("要约请求失败"));
}

void TenderOfferWidget::slotRspTenderOfferOrder(CMoruRspTenderOfferOrderField, CMoruRspInfo pRspInfo, int,
                                                bool) {
    reportResponse(this, pRspInfo, QStringLiteral("要约发送成功"), QStringLiteral("要约发送失败"));
}
