#include "user/orderWindow/order_window.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QShortcut>
#include <QTabWidget>

#include "basicControl/tab_style.h"
#include "user/orderWindow/exercise_of_warrants_widget.h"
#include "user/orderWindow/level_widget.h"
#include "user/orderWindow/order_origin.h"
#include "user/orderWindow/order_widget.h"
#include "user/orderWindow/tender_offer_widget.h"
#include "utils/api_state.h"
#include "utils/desk_settings.h"
#include "utils/signal_interface.h"

namespace {
enum Tab { TradeTab = 0, TenderOfferTab = 1, ExerciseTab = 2 };

QWidget* pageOf(QWidget* parent, std::initializer_list<QWidget*> widgets) {
    auto* page = new QWidget(parent);
    auto* layout = new QHBoxLayout(page);
    for (QWidget* w : widgets) layout->addWidget(w);
    return page;
}
}  // namespace

OrderWindow::OrderWindow(QWidget* parent)
    : QDialog(parent),
      mTabWidget(new QTabWidget(this)),
      mOrderWidget(new OrderWidget(this)),
      mLevelWidget(new LevelWidget(this)) {
    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
    buildTabs();

    connect(mOrderWidget, &OrderWidget::signalSecurityIdChanged, mLevelWidget,
            &LevelWidget::slot_beginShowLevel);
    connect(SignalInterface::instance(), &SignalInterface::signal_clicketOrder, this,
            &OrderWindow::slotBringUp);
    connect(mLevelWidget, &LevelWidget::signal_sendPrice, mOrderWidget, &OrderWidget::slotChangePrice);
    connect(mTabWidget, &QTabWidget::currentChanged, this, &OrderWindow::slotTabChanged);

    mPrepareOnOpen = DeskSettings::instance().flag(QStringLiteral("keys/enabled"), true);
    connect(mOrderWidget, &OrderWidget::signalCodeEntered, mLevelWidget, &LevelWidget::slot_releaseData);
}

void OrderWindow::openForEntry(bool sell) {
    if (!mPrepareOnOpen) {
        show();
        return;
    }
    slotBringUp();
    mTabWidget->setCurrentIndex(TradeTab);
    mOrderWidget->prepareEntry(sell, false);
}

void OrderWindow::setHideKey(const QKeySequence& key) {
    delete mHideShortcut;
    mHideShortcut = nullptr;
    if (key.isEmpty()) return;
    mHideShortcut = new QShortcut(key, this);
    connect(mHideShortcut, &QShortcut::activated, this, &QWidget::hide);
}

void OrderWindow::buildTabs() {
    mTabWidget->insertTab(TradeTab, pageOf(mTabWidget, {mOrderWidget, mLevelWidget}), tr("买卖/申赎"));
    mTenderOfferWidget = new TenderOfferWidget(this);
    mTabWidget->insertTab(TenderOfferTab, pageOf(mTabWidget, {mTenderOfferWidget}), tr("要约收购"));
    mExerciseWidget = new ExerciseOfWarrantsWidget(this);
    mTabWidget->insertTab(ExerciseTab, pageOf(mTabWidget, {mExerciseWidget}), tr("权证行权"));

    mTabWidget->setStyleSheet(tabBarStyle(TabGradient::WhiteFromHalf));

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(mTabWidget);
    setFixedSize(593, 333);
}

void OrderWindow::initDataClass(QuotesTcpClient* client) {
    qInfo() << "initDataClass";
    mLevelWidget->setQuotesClient(client);
    mOrderWidget->setQuotesClient(client);
    if (mTenderOfferWidget) mTenderOfferWidget->setQuotesClient(client);
    if (mExerciseWidget) mExerciseWidget->setQuotesClient(client);
}

void OrderWindow::slotTabChanged(int index) {
    if (index == TradeTab) {
        mLevelWidget->show();
        setFixedSize(573, 333);
    } else if (index == TenderOfferTab || index == ExerciseTab) {
        mLevelWidget->hide();
        setFixedSize(343, 333);
    }
}

void OrderWindow::slotBringUp() {
    show();
    raise();
    activateWindow();
    // From a table: its code is already in the form.
    if (mPrepareOnOpen && sender() == SignalInterface::instance()) {
        mTabWidget->setCurrentIndex(TradeTab);
        mOrderWidget->prepareEntry(OrderOrigin::takePositionRow(), true);
    }
}

void OrderWindow::showEvent(QShowEvent* event) {
    if (mFirstShow) {
        mFirstShow = false;
        // One exchange per login: only its own special-order tab stays, for the life of the window.
        const char market = currentMarket.load();
        if (market == '1')
            mTabWidget->removeTab(ExerciseTab);
        else if (market == '2')
            mTabWidget->removeTab(TenderOfferTab);
    }
    QDialog::showEvent(event);
}
