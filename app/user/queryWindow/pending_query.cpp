#include "user/queryWindow/pending_query.h"

PendingQuery::PendingQuery(QObject* parent) : QObject(parent) {
    mTimer.setSingleShot(true);
    mTimer.setInterval(DEFAULT_TIMEOUT_MS);
    connect(&mTimer, &QTimer::timeout, this, [this] {
        mRequestId = -1;
        emit timedOut();
    });
}

void PendingQuery::sent(int requestId) {
    mRequestId = requestId;
    mTimer.start();
}

void PendingQuery::answered() {
    if (mTimer.isActive()) mTimer.start();
}

void PendingQuery::done() {
    mTimer.stop();
}

void PendingQuery::drop() {
    mTimer.stop();
    mRequestId = -1;
}
