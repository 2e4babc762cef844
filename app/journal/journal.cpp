#include "journal/journal.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>
#include <cstdlib>

#include "journal/journal_recorder.h"
#include "utils/desk_settings.h"
#include "utils/dialog_seam.h"
#include "utils/signal_interface.h"

namespace {
void registerJournalTypes() {
    registerApiMetaTypes();
    qRegisterMetaType<JournalScope>("JournalScope");
    qRegisterMetaType<JournalTarget>("JournalTarget");
    qRegisterMetaType<HistoryQuery>("HistoryQuery");
    qRegisterMetaType<HistoryAnswer>("HistoryAnswer");
}

void stopAtExit() {
    // Closing the main window ends the process with exit(): the last batch is written first.
    if (QCoreApplication::instance()) Journal::instance()->stop();
}
}  // namespace

Journal* Journal::instance() {
    static Journal* journal = new Journal;
    return journal;
}

Journal::Journal() = default;

Journal::~Journal() {
    stop();
}

bool Journal::start(const JournalConfig& config) {
    stop();
    m_config = config;
    m_failed = false;
    if (!config.enabled) {
        qInfo() << "journal off";
        return false;
    }
    registerJournalTypes();
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("journal"));
    m_recorder = new JournalRecorder(config.target, config.batchMs, config.retentionDays);
    m_recorder->listenTo(SignalInterface::instance());
    m_recorder->moveToThread(m_thread);
    connect(m_thread, &QThread::started, m_recorder, &JournalRecorder::open);
    connect(m_recorder, &JournalRecorder::failed, this, &Journal::onFailed);
    connect(m_recorder, &JournalRecorder::answered, this, &Journal::answered);
    connect(m_recorder, &JournalRecorder::opened, this, [] {
        static bool registered = false;
        // Registered once the SQL module's own state exists, so it runs before that is torn down.
        if (!registered) registered = std::atexit(stopAtExit) == 0;
    });
    // The GUI thread comes first when both want a core: the journal only waits, nothing is lost.
    m_thread->start(QThread::IdlePriority);
    if (!m_account.isEmpty()) setSession(m_account, m_market.isEmpty() ? '0' : m_market.at(0).toLatin1());
    return true;
}

void Journal::stop() {
    if (!m_recorder) return;
    QMetaObject::invokeMethod(m_recorder, &JournalRecorder::close, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_recorder;
    m_recorder = nullptr;
    delete m_thread;
    m_thread = nullptr;
}

void Journal::setSession(const QString& account, char market) {
    m_account = account;
    m_market = QString(QLatin1Char(market));
    if (!m_recorder) return;
    m_recorder->setSession(m_account, m_market);
}

int Journal::ask(HistoryQuery query) {
    query.id = m_nextQuery++;
    if (query.account.isEmpty()) query.account = m_account;
    if (query.market.isEmpty()) query.market = m_market;
    if (!m_recorder) {
        HistoryAnswer answer;
        answer.id = query.id;
        answer.query = query;
        answer.error = QStringLiteral("journal off");
        QMetaObject::invokeMethod(
            this, [this, answer] { emit answered(answer); }, Qt::QueuedConnection);
        return query.id;
    }
    QMetaObject::invokeMethod(
        m_recorder, [r = m_recorder, query] { r->runQuery(query); }, Qt::QueuedConnection);
    return query.id;
}

void Journal::flushNow() {
    if (m_recorder)
        QMetaObject::invokeMethod(m_recorder, &JournalRecorder::flush, Qt::BlockingQueuedConnection);
}

void Journal::onFailed(const QString& reason, bool newer) {
    m_failed = true;
    qWarning() << reason;
    const QString text = newer
                             ? QStringLiteral("历史记录库由较新版本的程序写入，本程序未作改动，不再记录：%1")
                             : QStringLiteral("历史记录库无法写入，已停止记录，交易不受影响：%1");
    DialogSeam::warningFor(this, QStringLiteral("提示"), text.arg(m_config.target.describe()));
}

void startJournalFromSettings() {
    Journal::instance()->start(JournalConfig::fromSettings(DeskSettings::instance()));
}
