#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The query a page waits for: the request id its answers carry, and how long the page waits for the
// next answer. Answers to any other request belong to an earlier query and are dropped; a query that
// stays silent for the whole wait is given up, and whatever it still sends is dropped too.
class PendingQuery : public QObject {
    Q_OBJECT
public:
    static constexpr int DEFAULT_TIMEOUT_MS = 30000;

    explicit PendingQuery(QObject* parent = nullptr);

    // The request went out: its answers are the page's from now on, and the wait starts.
    void sent(int requestId);
    bool isCurrent(int requestId) const { return requestId == mRequestId; }
    // An answer came: while still waiting, the wait starts afresh.
    void answered();
    // Nothing more is awaited; late answers to the same request are still taken.
    void done();
    // Forget the request: its later answers are dropped.
    void drop();
    bool waiting() const { return mTimer.isActive(); }

    // Tests shorten the wait.
    void setTimeoutInterval(int ms) {
        mInterval = ms;
        mTimer.setInterval(ms);
    }
    int timeoutInterval() const { return mInterval; }

signals:
    // The wait ran out; the request is forgotten by then.
    void timedOut();

private:
    void expired();

    QTimer mTimer;
    // Restarting the timer for every answer costs more than taking the answer: the timer only checks,
    // when it runs out, how long the query has really been silent.
    QElapsedTimer mSinceAnswer;
    int mInterval = DEFAULT_TIMEOUT_MS;
    int mRequestId = -1;
};
