#include "user/orderWindow/account_holdings.h"

#include <QDebug>
#include <QTimer>

#include "moru_securities_api.h"
#include "user/account_records.h"
#include "user/queryWindow/query_requests.h"
#include "utils/api_state.h"
#include "utils/private_requests.h"
#include "utils/record_text.h"
#include "utils/signal_interface.h"

AccountHoldings::AccountHoldings(QObject* parent) : QObject(parent), mLater(new QTimer(this)) {
    mLater->setSingleShot(true);
    connect(mLater, &QTimer::timeout, this, &AccountHoldings::send);
    SignalInterface* hub = SignalInterface::instance();
    connect(hub, &SignalInterface::signal_personalInfo, this, &AccountHoldings::slotFund);
    connect(hub, &SignalInterface::signal_rspQryPosition, this, &AccountHoldings::slotPosition);
}

AccountHoldings::~AccountHoldings() {
    for (int id : qAsConst(mRequests)) PrivateRequests::remove(id);
}

qint64 AccountHoldings::availableQuantity(const QString& code) const {
    return mPositionsKnown ? mAvailable.value(code, 0) : -1;
}

void AccountHoldings::refresh() {
    if (mLater->isActive()) return;
    const qint64 since = mLastSent.isValid() ? mLastSent.elapsed() : kMinIntervalMs;
    if (since >= kMinIntervalMs)
        send();
    else
        mLater->start(int(kMinIntervalMs - since));
}

void AccountHoldings::send() {
    mLastSent.start();
    const CMoruReqQryStockClientAccountField fund = AccountRecords::fundQuery(currentAccount);
    if (reqQryFund(&fund, takeRequestId(), entryNo) != 0) qWarning() << "资金查询请求失败";
    CMoruReqQryStockPositionField position = positionQueryRequest(currentAccount, QString());
    const int id = takeRequestId();
    // Listed before sending: the answer may be on its way before the call returns.
    PrivateRequests::add(id);
    mRequests.insert(id);
    if (reqQryPosition(&position, id, entryNo) != 0) {
        qWarning() << "持仓查询请求失败";
        return;
    }
    mPositionRequest = id;
    mIncoming.clear();
}

void AccountHoldings::slotFund(const CMoruRspQryStockClientAccountField& record) {
    mFunds = record.AvailableCapital;
    emit changed();
}

void AccountHoldings::slotPosition(const CMoruRspQryStockPositionField& record, const CMoruRspInfo& info,
                                   int requestId, bool isLast) {
    if (requestId != mPositionRequest) return;
    const QString code = fieldText(record.SecurityID);
    if (info.ErrorID == 0 && !code.isEmpty()) mIncoming.insert(code, qint64(record.AvailableQty));
    if (!isLast) return;
    // An error answer (no positions at all, for one) leaves an empty list.
    mAvailable = mIncoming;
    mIncoming.clear();
    mPositionsKnown = true;
    emit changed();
}
