#pragma once

#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QThread>
#include <atomic>
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
        mIncoming.push_back({record, info, requestId, isLast});
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
        if (mWakePending.load(std::memory_order_relaxed)) return;
        mWakePending.store(true, std::memory_order_relaxed);
        QMetaObject::invokeMethod(
            mHome, [this] { takeAll(); }, Qt::QueuedConnection);
    }

    // Takes the records there now; later ones wait for the next call, as posted events would, so the
    // GUI is not held for as long as the library keeps sending. The incoming buffer is taken whole
    // under the lock, so the library's thread and this one do not meet on every record.
    void takeAll() {
        std::size_t count;
        {
            QMutexLocker lock(&mMutex);
            mWakePending.store(false, std::memory_order_relaxed);
            count = mTaken.size() - mHead + mIncoming.size();
        }
        for (; count > 0; --count) {
            if (mHead == mTaken.size()) {
                QMutexLocker lock(&mMutex);
                mTaken.clear();
                // A large batch does not keep its memory.
                if (mTaken.capacity() > KEPT_CAPACITY) std::vector<Item>().swap(mTaken);
                mTaken.swap(mIncoming);
                mHead = 0;
                if (mTaken.empty()) return;  // taken by a nested call
            }
            // A copy: a nested call may swap the buffer.
            const Item item = mTaken[mHead++];
            // A handler that runs an event loop (a box) gets the rest in there, still in order.
            if (mHead < mTaken.size() && !mWakePending.load(std::memory_order_relaxed)) {
                QMutexLocker lock(&mMutex);
                wakeLocked();
            }
            mHandler(item.record, item.info, item.requestId, item.isLast);
        }
        if (mHead == mTaken.size() && mTaken.capacity() > KEPT_CAPACITY) {
            std::vector<Item>().swap(mTaken);
            mHead = 0;
        }
    }

    static constexpr std::size_t KEPT_CAPACITY = 4096;

    QObject* mHome;
    Handler mHandler;
    QMutex mMutex;
    // Filled by the library's threads under the lock.
    std::vector<Item> mIncoming;
    // Only home's thread touches these: the records being handed over, from mHead on.
    std::vector<Item> mTaken;
    std::size_t mHead = 0;
    // Written under the lock; home's thread also reads it without.
    std::atomic<bool> mWakePending{false};
};
