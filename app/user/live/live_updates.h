#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <functional>

#include "moru_api_types.h"
#include "user/live/order_return_events.h"

class QTimer;
class QWidget;
class ReturnNotices;
class TodayReturnsWidget;

// The workspace's live additions: each order return becomes a line of the day's list and, for fills,
// refusals and cancellations, a notice; after a fill the pages that follow fills are refreshed, at
// most once a second however many fills come. Each part has its switch in moru-desk.ini [live].
class LiveUpdates : public QObject {
    Q_OBJECT
public:
    // `workspace` hosts the notices; the list is handed to the workspace to place.
    LiveUpdates(QWidget* workspace, OrderReturnTracker::NameOf nameOf);

    TodayReturnsWidget* todayList() const { return mList; }
    ReturnNotices* notices() const { return mNotices; }

    // Called (GUI thread) at most once a second after fills.
    void setAfterFills(std::function<void()> refresh) { mAfterFills = std::move(refresh); }

    static constexpr int REFRESH_GAP_MS = 1000;

public slots:
    void slot_rtnOrder(const CMoruRtnOrderField& rtn, const CMoruRspInfo& info, int requestId, bool last);

private:
    void scheduleRefresh();
    void refreshNow();

    OrderReturnTracker mTracker;
    ReturnNotices* mNotices = nullptr;
    TodayReturnsWidget* mList = nullptr;
    QTimer* mRefreshTimer;
    QElapsedTimer mSinceRefresh;
    std::function<void()> mAfterFills;
    bool mShowNotices;
    bool mFollowFills;
};
