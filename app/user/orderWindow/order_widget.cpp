#include "user/orderWindow/order_widget.h"

#include <QButtonGroup>
#include <QDebug>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "basicControl/my_combo_box.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_spin_box.h"
#include "constants.h"
#include "moru_securities_api.h"
#include "user/orderWindow/account_holdings.h"
#include "user/orderWindow/form_layout.h"
#include "user/orderWindow/order_checks.h"
#include "user/orderWindow/order_feedback.h"
#include "user/orderWindow/order_quantities.h"
#include "user/orderWindow/order_records.h"
#include "user/orderWindow/quick_quantity_bar.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "utils/api_state.h"
#include "utils/desk_settings.h"
#include "utils/dialog_seam.h"
#include "utils/number_input.h"

namespace {
enum SideId { BuyId = 0, SellId = 1, PurchaseId = 2, RedeemId = 3 };
constexpr int kMaxInput = 2147483647;

QuoteFigures figuresOf(const ClientSecurityMarketDataLevel1& quote) {
    QuoteFigures f;
    f.last = quote.LastPrice;
    f.upperLimit = quote.UpperLimitPrice;
    f.lowerLimit = quote.LowerLimitPrice;
    return f;
}

bool isEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
}  // namespace

OrderWidget::OrderWidget(QWidget* parent)
    : QWidget(parent),
      mTitleLabel(new MyLabel(QStringLiteral("委托"), this)),
      mCodeName(new MyLabel(QStringLiteral("代码"), this)),
      mCodeEdit(new MyLineEdit(this)),
      mNameName(new MyLabel(QStringLiteral("名称"), this)),
      mNameLabel(new MyLabel(QStringLiteral(" "), this)),
      mSideGroup(new QButtonGroup(this)),
      mBuySellName(new MyLabel(QStringLiteral("买/卖"), this)),
      mBuyButton(new QRadioButton(QStringLiteral("买"), this)),
      mSellButton(new QRadioButton(QStringLiteral("卖"), this)),
      mPurchaseRedeemName(new MyLabel(QStringLiteral("申购/赎回"), this)),
      mPurchaseButton(new QRadioButton(QStringLiteral("申购"), this)),
      mRedeemButton(new QRadioButton(QStringLiteral("赎回"), this)),
      mTypeName(new MyLabel(QStringLiteral("报单类型"), this)),
      mTypeBox(new MyComboBox(this)),
      mQuantityName(new MyLabel(QStringLiteral("数量"), this)),
      mQuantityEdit(new MySpinBox(this)),
      mPriceName(new MyLabel(QStringLiteral("报价"), this)),
      mPriceEdit(new MyDoubleSpinBox(this)),
      mOrderButton(new MyPushButton(QStringLiteral("下单"), this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)) {
    qRegisterMetaType<CMoruRspOrderInsertField>("CMoruRspOrderInsertField");
    qRegisterMetaType<CMoruRtnOrderField>("CMoruRtnOrderField");
    qRegisterMetaType<CMoruRspInfo>("CMoruRspInfo");

    mSideGroup->addButton(mBuyButton, BuyId);
    mSideGroup->addButton(mSellButton, SellId);
    mSideGroup->addButton(mPurchaseButton, PurchaseId);
    mSideGroup->addButton(mRedeemButton, RedeemId);

    setupAdditions();
    buildLayout();
    makeConnections();
    connectAdditions();

    slotOrderType();
    slotClearClicked();
    mBuyButton->setChecked(true);
    mSide = '1';
    setTabOrder(mCodeEdit, mNameLabel);
    setTabOrder(mNameLabel, mBuyButton);
    setTabOrder(mBuyButton, mSellButton);
    setTabOrder(mSellButton, mPurchaseButton);
    setTabOrder(mPurchaseButton, mRedeemButton);
    setTabOrder(mRedeemButton, mQuantityEdit);
    setTabOrder(mQuantityEdit, mPriceEdit);
    setTabOrder(mPriceEdit, mOrderButton);
    setTabOrder(mOrderButton, mClearButton);
    mCodeEdit->setFocus();
    setFixedSize(323, 260);
}

void OrderWidget::buildLayout() {
    mTitleLabel->setRedTitleStyle();
    mCodeEdit->setPlaceholderText(tr("证券代码"));
    mCodeEdit->setFixedWidth(158);
    mCodeEdit->setMaxLength(6);
    mNameName->setFixedWidth(32);
    mNameLabel->setFixedSize(158, 20);
    for (MyLabel* label : {mBuySellName, mPurchaseRedeemName, mTypeName}) label->setFixedWidth(70);
    mPriceEdit->setFixedSize(158, 25);
    mPriceEdit->setRange(0, kMaxInput);
    mTypeBox->setFixedSize(158, 25);
    mTypeBox->setCurrentText(PRICE_TYPE_LIMIT);
    mTypeBox->setCompactStyle();
    mQuantityEdit->setFixedSize(158, 25);
    mQuantityEdit->setRange(0, kMaxInput);
    mClearButton->setGreenStyle();
    mOrderButton->setRedStyle();
    mClearButton->setFixedSize(82, 22);
    mOrderButton->setFixedSize(82, 22);

    auto* column = new QVBoxLayout(this);
    addFormRow(column, {mTitleLabel});
    addFormRow(column, {mCodeName, 74, mCodeEdit});
    addFormRow(column, {mNameName, 68, mNameLabel});
    addFormRow(column, {mBuySellName, 30, mBuyButton, 12, mSellButton});
    addFormRow(column, {mPurchaseRedeemName, 30, mPurchaseButton, mRedeemButton});
    addFormRow(column, {mTypeName, 29, mTypeBox});
    addFormRow(column, {mQuantityName, 74, mQuantityEdit});
    if (mQuickBar) {
        // The added row fits in the form's fixed height once the rows sit a little closer.
        column->setSpacing(3);
        column->setContentsMargins(9, 4, 9, 4);
        addFormRow(column, {mQuickBar});
    }
    addFormRow(column, {mPriceName, 74, mPriceEdit});
    addButtonRow(column, mOrderButton, mClearButton);
}

void OrderWidget::makeConnections() {
    connect(mCodeEdit, &QLineEdit::textChanged, this, &OrderWidget::slotStockCodeChange);
    connect(mCodeEdit, &QLineEdit::textChanged, this, &OrderWidget::slotChangeName);
    connect(mSideGroup, &QButtonGroup::idClicked, this, &OrderWidget::slotButtionClient);
    connect(mPriceEdit, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &OrderWidget::slotMoneyChange);
    connect(mQuantityEdit, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &OrderWidget::slotQuantityChange);
    connect(mOrderButton, &QPushButton::clicked, this, &OrderWidget::slotOrderClicked);
    connect(mClearButton, &QPushButton::clicked, this, &OrderWidget::slotClearClicked);
    SignalInterface* hub = SignalInterface::instance();
    connect(hub, &SignalInterface::signal_rspInsertOrder, this, &OrderWidget::slotRspInsertOrder);
    connect(hub, &SignalInterface::signal_rspErrInsertOrder, this, &OrderWidget::slotRspErrInsertOrder);
    connect(hub, &SignalInterface::signal_rtnOrder, this, &OrderWidget::slotRtnOrder);
    connect(hub, &SignalInterface::signal_clicketOrder, this, &OrderWidget::slotClicketOrder);
    connect(hub, &SignalInterface::signal_rspSuccessLogin, this, &OrderWidget::slotOrderType);
    // The chosen item's text, as the text-carrying index signal would give it.
    connect(mTypeBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int index) { slotChangeOrderType(mTypeBox->itemText(index)); });
}

void OrderWidget::setupAdditions() {
    const DeskSettings& settings = DeskSettings::instance();
    mClock.start();
    mEnterMoves = settings.flag(QStringLiteral("keys/enabled"), true);
    mConfirmDetail = settings.flag(QStringLiteral("keys/confirmDetail"), true);
    if (mEnterMoves) {
        for (QObject* o : std::initializer_list<QObject*>{mCodeEdit, mQuantityEdit, mPriceEdit, mOrderButton})
            o->installEventFilter(this);
    }
    if (!settings.flag(QStringLiteral("keys/quickQuantities"), true)) return;
    mQuickBar = new QuickQuantityBar(this);
    mHoldings = new AccountHoldings(this);
}

void OrderWidget::connectAdditions() {
    if (!mQuickBar) return;
    // After the form's own connections: the figure reads the side the form has just stored.
    connect(mQuickBar, &QuickQuantityBar::divisorChosen, this, &OrderWidget::fillQuickQuantity);
    connect(mHoldings, &AccountHoldings::changed, this, &OrderWidget::updateQuickFigure);
    connect(mCodeEdit, &QLineEdit::textChanged, this, &OrderWidget::updateQuickFigure);
    connect(mPriceEdit, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &OrderWidget::updateQuickFigure);
    connect(mSideGroup, &QButtonGroup::idClicked, this, &OrderWidget::updateQuickFigure);
    // A fill changes funds and position.
    connect(SignalInterface::instance(), &SignalInterface::signal_rtnOrder, mHoldings,
            &AccountHoldings::refresh);
}

bool OrderWidget::eventFilter(QObject* watched, QEvent* event) {
    if (!isEnter(event)) return QWidget::eventFilter(watched, event);
    if (watched == mOrderButton) {
        mOrderButton->click();
        return true;
    }
    if (watched == mCodeEdit) {
        slotChangeName(mCodeEdit->text());
        emit signalCodeEntered(mCodeEdit->text());
        mQuantityEdit->setFocus();
        mQuantityEdit->selectAll();
    } else if (watched == mQuantityEdit) {
        mQuantityEdit->interpretText();
        if (mPriceEdit->isEnabled()) {
            mPriceEdit->setFocus();
            mPriceEdit->selectAll();
        } else {
            mOrderButton->setFocus();
        }
    } else if (watched == mPriceEdit) {
        mPriceEdit->interpretText();
        mOrderButton->setFocus();
    } else {
        return QWidget::eventFilter(watched, event);
    }
    return true;
}

void OrderWidget::setSide(int id) {
    if (QAbstractButton* b = mSideGroup->button(id)) b->setChecked(true);
    slotButtionClient(id);
    updateQuickFigure();
}

void OrderWidget::prepareEntry(bool sell, bool codeGiven) {
    setSide(sell ? SellId : BuyId);
    if (mHoldings) mHoldings->refresh();
    if (codeGiven) {
        mQuantityEdit->setFocus();
        mQuantityEdit->selectAll();
    } else {
        mCodeEdit->setFocus();
        mCodeEdit->selectAll();
    }
}

BoardRule OrderWidget::currentRule() const {
    return boardRuleOf(currentMarket.load(), mCodeEdit->text());
}

qint64 OrderWidget::quickAvailable() const {
    if (!mHoldings) return -1;
    const QString code = mCodeEdit->text();
    if (mSide == '2') return code.size() == 6 ? mHoldings->availableQuantity(code) : -1;
    if (mSide != '1') return -1;
    double price = mPriceEdit->value();
    if (price <= 0 && mQuotesClient) price = mQuotesClient->getMarketData(code).LastPrice;
    if (mHoldings->availableFunds() < 0 || price <= 0) return -1;
    return maxBuyQuantity(mHoldings->availableFunds(), price, currentRule());
}

void OrderWidget::updateQuickFigure() {
    if (mQuickBar) mQuickBar->showFigure(mSide == '2', quickAvailable());
}

void OrderWidget::fillQuickQuantity(int divisor) {
    const qint64 available = quickAvailable();
    if (available < 0) return;
    const qint64 quantity = quickQuantity(available, divisor, mSide == '2', currentRule());
    mQuantityEdit->setValue(int(qMin<qint64>(quantity, kMaxInput)));
}

void OrderWidget::setQuotesClient(QuotesTcpClient* client) {
    mQuotesClient = client;
}

QRadioButton* OrderWidget::sideButton(int id) const {
    return qobject_cast<QRadioButton*>(mSideGroup->button(id));
}

void OrderWidget::slotOrderType() {
    mPriceTypes = priceTypesFor(currentMarket.load());
    mTypeBox->setPriceTypes(mPriceTypes);
}

void OrderWidget::slotChangeOrderType(QString str) {
    mPriceEdit->setEnabled(true);
    if (!mPriceTypes.contains(str)) return;
    if (!priceTakenFor(currentMarket.load(), mPriceTypes.value(str))) {
        mPriceEdit->setEnabled(false);
        mPriceEdit->setValue(0);
    }
    if (QLineEdit* edit = mTypeBox->lineEdit()) edit->setCursorPosition(0);
}

void OrderWidget::slotButtionClient(int id) {
    switch (id) {
        case SellId:
            mSide = '2';
            break;
        case PurchaseId:
            mSide = '3';
            break;
        case RedeemId:
            mSide = '4';
            break;
        default:
            mSide = '1';
            break;
    }
}

void OrderWidget::slotStockCodeChange(QString str) {
    mCode = str;
    emit signalSecurityIdChanged(str);
}

void OrderWidget::slotChangeName(QString code) {
    mNameLabel->setText(mQuotesClient ? quoteSecurityName(mQuotesClient->getMarketData(code)) : QString());
}

void OrderWidget::slotChangePrice(QString price) {
    if (price.isEmpty() || price == QLatin1String("-")) return;
    // The box would clamp a price it cannot hold ("inf", "nan") to its maximum.
    const std::optional<double> value = NumberInput::priceFromText(price, mPriceEdit->maximum());
    if (!value) {
        DialogSeam::warning(QStringLiteral("错误"), QStringLiteral("填写正确的价格!"));
        return;
    }
    mPriceEdit->setValue(*value);
}

void OrderWidget::slotClicketOrder(QString code) {
    mCodeEdit->setText(code);
}

void OrderWidget::slotMoneyChange(double money) {
    mPrice = money;
}

void OrderWidget::slotQuantityChange(int quantity) {
    mQuantity = quantity;
}

void OrderWidget::slotClearClicked() {
    mCodeEdit->clear();
    mPriceEdit->setValue(0);
    mQuantityEdit->setValue(0);
    // Choosing the item (not only its text) also frees a price a market type had disabled.
    const int limit = mTypeBox->findText(PRICE_TYPE_LIMIT);
    if (limit >= 0) mTypeBox->setCurrentIndex(limit);
    mTypeBox->setCurrentText(PRICE_TYPE_LIMIT);
}

void OrderWidget::slotOrderClicked() {
    OrderEntry entry;
    entry.code = mCodeEdit->text();
    entry.price = mPriceEdit->value();
    entry.quantity = mQuantityEdit->value();
    entry.typeText = mTypeBox->currentText();
    entry.side = mSide;
    const QString problem = checkOrderEntry(entry, mPriceTypes, currentMarket.load());
    if (!problem.isEmpty()) {
        DialogSeam::warning(QStringLiteral("错误"), problem);
        return;
    }
    if (!passesPretradeChecks(entry)) return;
    // The reference is used up even when the trade is not confirmed.
    const CMoruReqOrderInsertField req =
        makeOrderInsert(takeOrderRef(), entry.code, entry.side, entry.price, entry.quantity,
                        char(mPriceTypes.value(entry.typeText)));
    if (!confirmTrade(mConfirmDetail ? confirmationDetail(entry) : QString())) return;
    if (reqInsertOrder(&req, takeRequestId(), entryNo) != 0)
        reportNotSent(QStringLiteral("报单请求失败"));
    else
        mFlow.note(mClock.elapsed());
}

bool OrderWidget::passesPretradeChecks(const OrderEntry& entry) {
    const PretradeLimits limits = PretradeLimits::fromSettings();
    if (!limits.enabled) return true;
    PretradeOrder order;
    order.market = currentMarket.load();
    order.code = entry.code;
    order.side = entry.side;
    order.orderType = mPriceTypes.value(entry.typeText);
    order.price = entry.price;
    order.quantity = entry.quantity;
    const QuoteFigures quote =
        mQuotesClient ? figuresOf(mQuotesClient->getMarketData(entry.code)) : QuoteFigures();
    QString refusal = exchangeRuleRefusal(order, quote);
    if (refusal.isEmpty()) refusal = sizeLimitRefusal(order, quote, limits);
    if (refusal.isEmpty() && !mFlow.allows(mClock.elapsed(), limits.ordersPerSecond))
        refusal = flowRefusal(limits.ordersPerSecond);
    if (!refusal.isEmpty()) {
        DialogSeam::warning(QStringLiteral("错误"), refusal);
        return false;
    }
    const QString question = priceDeviationQuestion(order, quote, limits);
    return question.isEmpty() ||
           DialogSeam::choose(DialogSeam::Kind::Warning, QStringLiteral("提示"), question,
                              {QStringLiteral("继续"), QStringLiteral("取消")}) == 0;
}

QString OrderWidget::confirmationDetail(const OrderEntry& entry) const {
    return tradeDetailText(entry.code, mNameLabel->text().trimmed(), entry.side, entry.typeText,
                           entry.quantity, entry.price);
}

void OrderWidget::slotRspInsertOrder(CMoruRspOrderInsertField, CMoruRspInfo pRspInfo, int, bool) {
    reportResponse(this, pRspInfo, QStringLiteral("报单发送成功"), QStringLiteral("报单发送失败"));
}

void OrderWidget::slotRspErrInsertOrder(CMoruRspOrderInsertField, CMoruRspInfo pRspInfo, int, bool) {
    reportResponse(this, pRspInfo, QStringLiteral("报单发送成功"), QStringLiteral("报单发送失败"));
}

void OrderWidget::slotRtnOrder(CMoruRtnOrderField pRspField, CMoruRspInfo pRspInfo, int, bool) {
    const QString line = orderReturnLogText(orderReturnText(pRspField), pRspInfo);
    if (pRspInfo.ErrorID == 0)
        qInfo() << line;
    else
        qWarning() << line;
}
