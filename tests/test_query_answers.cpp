#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QtTest>
#include <cstring>

#include "user/queryWindow/pending_query.h"
#include "utils/gathered_records.h"

// Query answers on their way to a page: records handed over from the library's threads, the wait for
// the next answer, and the cells they end up in.
class TestQueryAnswers : public QObject {
    Q_OBJECT
private slots:
    void recordsArriveInOrderInTheHomeThread();
    void answersKeepTheWaitGoingAndSilenceEndsIt();
};

namespace {
CMoruRspQryOrderField numbered(int n) {
    CMoruRspQryOrderField r;
    std::memset(&r, 0, sizeof r);
    r.OrderSysID = quint32(n);
    return r;
}
}  // namespace

void TestQueryAnswers::recordsArriveInOrderInTheHomeThread() {
    constexpr int SENT = 3000;
    QObject home;
    QList<int> seen;
    bool wrongThread = false;
    int nested = 0;
    GatheredRecords<CMoruRspQryOrderField> records(
        &home, [&](const CMoruRspQryOrderField& r, const CMoruRspInfo& info, int requestId, bool isLast) {
            wrongThread |= QThread::currentThread() != home.thread();
            seen << int(r.OrderSysID);
            QCOMPARE(requestId, int(r.OrderSysID) + 1);
            QCOMPARE(isLast, int(r.OrderSysID) % 100 == 0);
            QCOMPARE(info.ErrorID, 0);
            // As a box would: an event loop of its own while records keep coming.
            if (r.OrderSysID % 500 == 1 && nested++ < 3) {
                QEventLoop loop;
                QTimer::singleShot(5, &loop, &QEventLoop::quit);
                loop.exec();
            }
        });

    QThread* library = QThread::create([&] {
        CMoruRspInfo ok;
        std::memset(&ok, 0, sizeof ok);
        for (int n = 1; n <= SENT; ++n) records.push(numbered(n), ok, n + 1, n % 100 == 0);
    });
    library->start();
    QElapsedTimer clock;
    clock.start();
    while (seen.size() < SENT && clock.elapsed() < 10000) QCoreApplication::processEvents();
    QVERIFY(library->wait(10000));
    delete library;
    QCoreApplication::processEvents();

    // One from this thread comes at once, after any still waiting.
    CMoruRspInfo ok;
    std::memset(&ok, 0, sizeof ok);
    records.push(numbered(SENT + 1), ok, SENT + 2, false);

    QVERIFY(!wrongThread);
    QCOMPARE(seen.size(), SENT + 1);
    for (int i = 0; i < seen.size(); ++i) QCOMPARE(seen[i], i + 1);
    QVERIFY(nested > 0);
}

void TestQueryAnswers::answersKeepTheWaitGoingAndSilenceEndsIt() {
    PendingQuery pending;
    pending.setTimeoutInterval(400);
    QSignalSpy timedOut(&pending, &PendingQuery::timedOut);
    pending.sent(7);
    QElapsedTimer clock;
    clock.start();
    // Answers every 20 ms for two and a half waits' time; a late answer may be late by a lot.
    while (clock.elapsed() < 1000) {
        QTest::qWait(20);
        pending.answered();
    }
    QCOMPARE(timedOut.count(), 0);
    QVERIFY(pending.isCurrent(7));

    QElapsedTimer silence;
    silence.start();
    QVERIFY(timedOut.wait(2000));
    QVERIFY(silence.elapsed() >= 390);
    QVERIFY(!pending.isCurrent(7));
    QCOMPARE(pending.timeoutInterval(), 400);
}

QTEST_MAIN(TestQueryAnswers)
#include "test_query_answers.moc"
