#pragma once

#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

#include "journal/history_query.h"
#include "journal/journal_rows.h"
#include "journal/journal_target.h"
#include "utils/signal_interface.h"

class JournalStore;
class QTimer;

// The journal's writer. The hub's record signals reach it directly on the thread that emits them (the
// trading library's): a record is only copied into the inbox there, under a lock held for that copy.
// On its own thread it empties the inbox every batch interval, turns the records into rows and writes
// them in one transaction. The GUI thread takes no part. After the first failure it writes nothing
// more and says so once.
class JournalRecorder : public QObject {
    Q_OBJECT
public:
    JournalRecorder(const JournalTarget& target, int batchMs, int retentionDays);
    ~JournalRecorder() override;

    // Subscribes to the hub's record signals.
    void listenTo(SignalInterface* hub);

    // Any thread.
    void recordReturn(const CMoruRtnOrderField& record, const CMoruRspInfo& info, int requestId, bool last);
    void recordOrder(const CMoruRspQryOrderField& record, const CMoruRspInfo& info, int requestId, bool last);
    void recordTrade(const CMoruRspQryTradeField& record, const CMoruRspInfo& info, int requestId, bool last);
    void recordPosition(const CMoruRspQryStockPositionField& record, const CMoruRspInfo& info, int requestId,
                        bool last);
    void recordInOut(const CMoruRspQryCapTransferRecordField& record, const CMoruRspInfo& info, int requestId,
                     bool last);
    void recordTransfer(const CMoruRspQryBTCapTransferManagerField& record, const CMoruRspInfo& info,
                        int requestId, bool last);
    // Who is logged in: records taken from now on are filed under them.
    void setSession(const QString& account, const QString& market);

public slots:
    // The rest runs on the recorder's thread.
    // Opens (and migrates) the journal, drops days past retention; emits opened or failed.
    void open();
    // Writes what has come in so far.
    void flush();
    // Flushes, then closes the connection (on this thread, as it was opened).
    void close();
    void runQuery(const HistoryQuery& query);

signals:
    void opened();
    // Once: the journal stopped recording. `newer` when it was written by a newer version.
    void failed(const QString& reason, bool newer);
    // After each committed batch, with the rows written since the start.
    void flushed(qint64 rowsWritten);
    void answered(const HistoryAnswer& answer);

private:
    enum class Kind : quint8 { Session, Return, Order, Trade, Position, InOut, Transfer };
    // A record as it came, in arrival order; the largest record fits.
    struct Raw {
        Kind kind;
        char bytes[sizeof(CMoruRspQryOrderField)];
    };

    // Every batch interval: writes what came in, or checkpoints once nothing has.
    void tick();
    template <typename T>
    void take(Kind kind, const T& record, const CMoruRspInfo& info);
    void convert(const std::vector<Raw>& raw, JournalBatch& batch);
    void stop(const QString& reason, bool newer);

    JournalTarget m_target;
    int m_batchMs;
    int m_retentionDays;
    std::unique_ptr<JournalStore> m_store;
    QTimer* m_timer = nullptr;

    QMutex m_inboxLock;
    std::vector<Raw> m_inbox;
    std::vector<Raw> m_draining;  // the recorder's thread only, as is m_batch
    JournalBatch m_batch;         // kept between flushes with its capacity
    std::atomic<bool> m_accepting{false};

    QString m_account;  // the recorder's thread only, from the session markers
    QString m_market;
    bool m_stopped = false;
    qint64 m_written = 0;
};
