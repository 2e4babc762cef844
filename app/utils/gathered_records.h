#pragma once

#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QThread>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "moru_api_types.h"

// Records from the trading library's threads handed to a handler in the thread of `home`, in arrival
// order. A queued signal costs an event and a heap copy of every argument per record; here the
// records wait in one buffer and the first of a batch posts the single call that takes them all.
// A record pushed from home's own thread is handled at once, after those still waiting.
template <typename Record>
class GatheredRecords {
public:
    using Handler = std::function<void(const Record&, const CMoruRspInfo&, int requestId, bool isLast)>;

    GatheredRecords(QObject* home, Handler handler) : mHome(home), mHandler(std::move(handler)) {}
    Q_DISABLE_COPY(GatheredRecords)

    // Safe from any thread.
    void push(const Record& record, const CMoruRspInfo& info, int requestId, bool isLast) {
        if (QThread::currentThread() == mHome->thread()) {
            takeAll();
            mHandler(record, info, requestId, isLast);
            return;
        }
        QMutexLocker lock(&mMutex);
        mItems.push_back({record, info, requestId, isLast});
        wakeLocked();
    }

private:
    struct Item {
        Record record;
        CMoruRspInfo info;
        int requestId;
        bool isLast;
    };

    void wakeLocked() {
        if (mWakePending) return;
        mWakePending = true;
        QMetaObject::invokeMethod(
            mHome, [this] { takeAll(); }, Qt::QueuedConnection);
    }

    // Takes the records there now; later ones wait for the next call, as posted events would, so the
    // GUI is not held for as long as the library keeps sending.
    void takeAll() {
        std::size_t count;
        {
            QMutexLocker lock(&mMutex);
            mWakePending = false;
            count = mItems.size() - mHead;
        }
        for (; count > 0; --count) {
            Item item;
            {
                QMutexLocker lock(&mMutex);
                if (mHead == mItems.size()) break;  // taken by a nested call
                item = mItems[mHead++];
                // A handler that runs an event loop (a box) gets the rest in there, still in order.
                if (mHead < mItems.size()) wakeLocked();
            }
            mHandler(item.record, item.info, item.requestId, item.isLast);
        }
        QMutexLocker lock(&mMutex);
        if (mHead == mItems.size()) {
            // A large batch does not keep its memory.
            if (mItems.capacity() > KEPT_CAPACITY) std::vector<Item>().swap(mItems);
            mItems.clear();
            mHead = 0;
        } else if (mHead > mItems.size() / 2) {
            // The library outpaces the handler: the records taken go before the buffer grows further.
            mItems.erase(mItems.begin(), mItems.begin() + std::ptrdiff_t(mHead));
            mHead = 0;
        }
    }

    static constexpr std::size_t KEPT_CAPACITY = 4096;

    QObject* mHome;
    Handler mHandler;
    QMutex mMutex;
    std::vector<Item> mItems;  // taken from mHead on
    std::size_t mHead = 0;
    bool mWakePending = false;
};
