#include "user/queryWindow/pending_query.h"

PendingQuery::PendingQuery(QObject* parent) : QObject(parent) {
    mTimer.setSingleShot(true);
    mTimer.setInterval(mInterval);
    connect(&mTimer, &QTimer::timeout, this, &PendingQuery::expired);
}

void PendingQuery::sent(int requestId) {
    mRequestId = requestId;
    mSinceAnswer.start();
    mTimer.start(mInterval);
}

void PendingQuery::answered() {
    if (mTimer.isActive()) mSinceAnswer.start();
}

void PendingQuery::expired() {
    const qint64 silent = mSinceAnswer.elapsed();
    if (silent < mInterval) {
        mTimer.start(int(mInterval - silent));
        return;
    }
    mRequestId = -1;
    emit timedOut();
}

void PendingQuery::done() {
    mTimer.stop();
}

void PendingQuery::drop() {
    mTimer.stop();
    mRequestId = -1;
}
