#include "user/orderWindow/exercise_of_warrants_widget.h"

#include <QVBoxLayout>

#include "basicControl/my_double_spin_box.h"
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

ExerciseOfWarrantsWidget::ExerciseOfWarrantsWidget(QWidget* parent)
    : QWidget(parent),
      mTitleLabel(new MyLabel(QStringLiteral("权证行权"), this)),
      mCodeName(new MyLabel(QStringLiteral("代码"), this)),
      mCodeEdit(new MyLineEdit(this)),
      mNameName(new MyLabel(QStringLiteral("名称"), this)),
      mNameLabel(new MyLabel(QStringLiteral(" "), this)),
      mQuantityName(new MyLabel(QStringLiteral("数量"), this)),
      mQuantityEdit(new MySpinBox(this)),
      mPriceName(new MyLabel(QStringLiteral("价格"), this)),
      mPriceEdit(new MyDoubleSpinBox(this)),
      mOrderButton(new MyPushButton(QStringLiteral("下单"), this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)) {
    qRegisterMetaType<CMoruRspWarrantExerciseOrderField>("CMoruRspWarrantExerciseOrderField");

    buildLayout();

    connect(mCodeEdit, &QLineEdit::textChanged, this, &ExerciseOfWarrantsWidget::slotChangeName);
    connect(mOrderButton, &QPushButton::clicked, this, &ExerciseOfWarrantsWidget::slotOrderClicked);
    connect(mClearButton, &QPushButton::clicked, this, &ExerciseOfWarrantsWidget::slotClearClicked);
    connect(SignalInterface::instance(), &SignalInterface::signal_rspWarrantExerciseOrder, this,
            &ExerciseOfWarrantsWidget::slotRspWarrantExerciseOrder);

    slotClearClicked();
    setTabOrder(mCodeEdit, mNameLabel);
    setTabOrder(mNameLabel, mQuantityEdit);
    setTabOrder(mQuantityEdit, mPriceEdit);
    setTabOrder(mPriceEdit, mOrderButton);
    setTabOrder(mOrderButton, mClearButton);
    mCodeEdit->setFocus();
    setFixedSize(323, 260);
}

void ExerciseOfWarrantsWidget::buildLayout() {
    mTitleLabel->setRedTitleStyle();
    mCodeEdit->setPlaceholderText(tr("证券代码"));
    mCodeEdit->setFixedWidth(158);
    mCodeEdit->setMaxLength(6);
    mNameName->setFixedWidth(32);
    mNameLabel->setFixedSize(158, 20);
    mPriceEdit->setFixedWidth(158);
    mPriceEdit->setRange(0, 2147483647);
    mQuantityEdit->setFixedWidth(158);
    mQuantityEdit->setRange(0, 2147483647);
    mClearButton->setGreenStyle();
    mOrderButton->setRedStyle();
    mClearButton->setFixedSize(82, 22);
    mOrderButton->setFixedSize(82, 22);

    auto* column = new QVBoxLayout(this);
    addFormRow(column, {mTitleLabel});
    column->addSpacing(35);
    addFormRow(column, {mCodeName, 74, mCodeEdit});
    addFormRow(column, {mNameName, 68, mNameLabel});
    addFormRow(column, {mQuantityName, 74, mQuantityEdit});
    addFormRow(column, {mPriceName, 74, mPriceEdit});
    addButtonRow(column, mOrderButton, mClearButton);
}

void ExerciseOfWarrantsWidget::setQuotesClient(QuotesTcpClient* client) {
    mQuotesClient = client;
}

void ExerciseOfWarrantsWidget::slotChangeName(QString code) {
    mNameLabel->setText(mQuotesClient ? quoteSecurityName(mQuotesClient->getMarketData(code)) : QString());
}

void ExerciseOfWarrantsWidget::slotClicketOrder(QString code) {
    mCodeEdit->setText(code);
}

void ExerciseOfWarrantsWidget::slotClearClicked() {
    mCodeEdit->clear();
    mPriceEdit->setValue(0);
    mQuantityEdit->setValue(0);
}

void ExerciseOfWarrantsWidget::slotOrderClicked() {
    const QString code = mCodeEdit->text();
    const double price = mPriceEdit->value();
    const int quantity = mQuantityEdit->value();
    const QString problem = checkWarrantExercise(code, price, quantity);
    if (!problem.isEmpty()) {
        DialogSeam::warning(QStringLiteral("错误"), problem);
        return;
    }
    // The reference is used up even when the trade is not confirmed.
    const CMoruReqWarrantExerciseOrderField req = makeWarrantExercise(takeOrderRef(), code, price, quantity);
    if (!confirmTrade()) return;
    if (reqWarrantExerciseOrder(&req, takeRequestId(), entryNo) != 0)
        reportNotSent(QStringLiteral("权证行权请求失败"));
}

void ExerciseOfWarrantsWidget::slotRspWarrantExerciseOrder(CMoruRspWarrantExerciseOrderField,
                                                           CMoruRspInfo pRspInfo, int, bool) {
    reportResponse(this, pRspInfo, QStringLiteral("权证行权发送成功"), QStringLiteral("权证行权发送失败"));
}
