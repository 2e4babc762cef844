#include "user/live/live_updates.h"

#include <QTime>
#include <QTimer>

#include "user/live/return_notices.h"
#include "user/live/today_returns_widget.h"
#include "utils/desk_settings.h"
#include "utils/error_msg.h"

LiveUpdates::LiveUpdates(QWidget* workspace, OrderReturnTracker::NameOf nameOf)
    : QObject(workspace),
      mTracker(std::move(nameOf)),
      mRefreshTimer(new QTimer(this)),
      mShowNotices(DeskSettings::instance().flag(QStringLiteral("live/notices"), true)),
      mFollowFills(DeskSettings::instance().flag(QStringLiteral("live/followFills"), true)) {
    if (DeskSettings::instance().flag(QStringLiteral("live/todayReturns"), true))
        mList = new TodayReturnsWidget(workspace);
    if (mShowNotices) mNotices = new ReturnNotices(workspace);
    mRefreshTimer->setSingleShot(true);
    connect(mRefreshTimer, &QTimer::timeout, this, &LiveUpdates::refreshNow);
}

void LiveUpdates::slot_rtnOrder(const CMoruRtnOrderField& rtn, const CMoruRspInfo& info, int, bool) {
    const int errorId = int(info.ErrorID);
    const QString errorText = errorId != 0 ? ErrorMsg::instance()->getErrorMsg(info) : QString();
    ReturnEvent event;
    if (!mTracker.take(rtn, errorId, errorText, event)) return;
    if (mList) mList->add(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")), event.text);
    if (mNotices && event.notify) mNotices->notify(event.text);
    if (event.filled && mFollowFills) scheduleRefresh();
}

void LiveUpdates::scheduleRefresh() {
    if (mRefreshTimer->isActive()) return;  // a burst of fills: one refresh
    const qint64 since = mSinceRefresh.isValid() ? mSinceRefresh.elapsed() : REFRESH_GAP_MS;
    mRefreshTimer->start(int(qBound<qint64>(0, REFRESH_GAP_MS - since, REFRESH_GAP_MS)));
}

void LiveUpdates::refreshNow() {
    mSinceRefresh.start();
    if (mAfterFills) mAfterFills();
}
