#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "journal/history_query.h"
#include "journal/journal_rows.h"
#include "journal/journal_target.h"
#include "utils/signal_interface.h"

class JournalStore;
class QTimer;

// Lives on the journal's own thread: hears the hub there (records queued straight from the
// trading library's threads, never through the GUI thread), turns them into rows and writes them in
// one transaction per batch. After the first failure it writes nothing more and says so once.
class JournalRecorder : public QObject {
    Q_OBJECT
public:
    JournalRecorder(const JournalTarget& target, int batchMs, int retentionDays);
    ~JournalRecorder() override;

    // Subscribes to the hub's record signals. Call before moving the recorder to its thread.
    void listenTo(SignalInterface* hub);

    qint64 rowsWritten() const { return m_written; }

public slots:
    // Opens (and migrates) the journal, drops days past retention; emits opened or failed.
    void open();
    void setSession(const QString& account, const QString& market);
    // Writes what is pending now.
    void flush();
    // Flushes, then closes the connection (on this thread, as it was opened).
    void close();
    void runQuery(const HistoryQuery& query);

    void recordReturn(const CMoruRtnOrderField& record, const CMoruRspInfo& info, int requestId, bool last);
    void recordOrder(const CMoruRspQryOrderField& record, const CMoruRspInfo& info, int requestId, bool last);
    void recordTrade(const CMoruRspQryTradeField& record, const CMoruRspInfo& info, int requestId, bool last);
    void recordPosition(const CMoruRspQryStockPositionField& record, const CMoruRspInfo& info, int requestId,
                        bool last);
    void recordInOut(const CMoruRspQryCapTransferRecordField& record, const CMoruRspInfo& info, int requestId,
                     bool last);
    void recordTransfer(const CMoruRspQryBTCapTransferManagerField& record, const CMoruRspInfo& info,
                        int requestId, bool last);

signals:
    void opened();
    // Once: the journal stopped recording. `newer` when it was written by a newer version.
    void failed(const QString& reason, bool newer);
    // After each committed batch, with the rows written since the start.
    void flushed(qint64 rowsWritten);
    void answered(const HistoryAnswer& answer);

private:
    JournalScope scopeNow() const;
    bool accepting(const CMoruRspInfo& info) const;
    void pendingGrew();
    void stop(const QString& reason, bool newer);

    JournalTarget m_target;
    int m_batchMs;
    int m_retentionDays;
    std::unique_ptr<JournalStore> m_store;
    QTimer* m_timer = nullptr;
    JournalBatch m_pending;
    QString m_account;
    QString m_market;
    bool m_stopped = false;
    qint64 m_written = 0;
};
