#pragma once

#include <QObject>
#include <QString>

#include "journal/history_query.h"
#include "journal/journal_config.h"

class JournalRecorder;
class QThread;

// The GUI thread's handle on the journal: starts the recorder on a thread of its own, tells it who is
// logged in, passes the history page's questions on and reports a failure once. Off until start() is
// called: the program calls it from main, the test suites only where they mean to.
class Journal : public QObject {
    Q_OBJECT
public:
    static Journal* instance();
    ~Journal() override;

    // Starts recording to the configured journal (nothing when disabled). False when not started.
    bool start(const JournalConfig& config);
    // Writes what is pending and ends the thread. Safe when not started.
    void stop();
    bool isRunning() const { return m_recorder != nullptr; }
    // Recording stopped after a failure (the thread may still run to answer with errors).
    bool hasFailed() const { return m_failed; }
    QString location() const { return m_config.target.describe(); }

    // Who is logged in; rows received from now on are filed under them.
    void setSession(const QString& account, char market);
    QString account() const { return m_account; }
    QString market() const { return m_market; }

    // Asks the journal; the answer comes through `answered` with the same id.
    int ask(HistoryQuery query);
    // For tests and the exit: everything received so far is written when this returns.
    void flushNow();

    JournalRecorder* recorder() const { return m_recorder; }

signals:
    void answered(const HistoryAnswer& answer);

private:
    Journal();
    void onFailed(const QString& reason, bool newer);

    JournalConfig m_config;
    QThread* m_thread = nullptr;
    JournalRecorder* m_recorder = nullptr;
    QString m_account;
    QString m_market;
    int m_nextQuery = 1;
    bool m_failed = false;
};

// main: the journal of moru-desk.ini, written until the process ends.
void startJournalFromSettings();
