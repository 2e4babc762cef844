// Records a burst of order returns into a journal, for the kill test: prints "committed N" after each
// batch reaches the file, so the test can kill it in the middle of the burst.
//   journal_writer_helper FILE RETURNS BATCH_MS
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "journal/journal.h"
#include "journal/journal_recorder.h"
#include "utils/api_client_utils.h"
#include "utils/signal_interface.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) return 2;
    JournalConfig config;
    config.target.sqlitePath = QString::fromLocal8Bit(argv[1]);
    const int returns = std::atoi(argv[2]);
    config.batchMs = std::atoi(argv[3]);

    Journal* journal = Journal::instance();
    journal->setSession(QStringLiteral("10880001"), '1');
    if (!journal->start(config)) return 3;
    QObject::connect(
        journal->recorder(), &JournalRecorder::flushed, journal->recorder(),
        [](qint64 rows) {
            std::printf("committed %lld\n", static_cast<long long>(rows));
            std::fflush(stdout);
        },
        Qt::DirectConnection);
    QObject::connect(
        journal->recorder(), &JournalRecorder::failed, journal->recorder(),
        [](const QString& reason, bool) {
            std::printf("failed %s\n", qPrintable(reason));
            std::fflush(stdout);
            std::_Exit(4);
        },
        Qt::DirectConnection);

    // Returns arrive on a thread of their own, as from the trading library: 100 every 5 ms.
    std::thread feeder([returns] {
        CMoruRspInfo ok{};
        for (int i = 0; i < returns; ++i) {
            CMoruRtnOrderField r{};
            r.OrderRef = i + 1;
            r.OrderSysID = uint32_t(i + 1);
            std::memcpy(r.SecurityID, "600000", 6);
            r.Side = '1';
            r.LimitPrice = 10.5;
            r.OrderQty = 100;
            r.OrderStatus = '2';
            std::memcpy(r.RecvTime, "093000000", 9);
            ApiClientUtils::onRtnOrder(&r, &ok, 0, true);
            if (i % 100 == 99) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    QMetaObject::invokeMethod(
        &app,
        [&] {
            feeder.join();
            journal->flushNow();
            std::printf("done\n");
            std::fflush(stdout);
            journal->stop();
            app.quit();
        },
        Qt::QueuedConnection);
    return app.exec();
}
