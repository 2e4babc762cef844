#include "journal/journal_recorder.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDate>
#include <QDebug>
#include <QTimer>

#include "journal/journal_schema.h"
#include "journal/journal_store.h"

namespace {
// Past this many rows a batch is written without waiting for the timer, so a long burst does not
// pile up in memory.
constexpr int kMaxPending = 20000;

QString connectionName() {
    static QAtomicInt next;
    return QStringLiteral("moru-journal-%1").arg(next.fetchAndAddRelaxed(1));
}
}  // namespace

JournalRecorder::JournalRecorder(const JournalTarget& target, int batchMs, int retentionDays)
    : m_target(target), m_batchMs(batchMs), m_retentionDays(retentionDays) {}

JournalRecorder::~JournalRecorder() = default;

void JournalRecorder::listenTo(SignalInterface* hub) {
    connect(hub, &SignalInterface::signal_rtnOrder, this, &JournalRecorder::recordReturn);
    connect(hub, &SignalInterface::signal_rspQryOrder, this, &JournalRecorder::recordOrder);
    connect(hub, &SignalInterface::signal_rspQryTrade, this, &JournalRecorder::recordTrade);
    connect(hub, &SignalInterface::signal_rspQryPosition, this, &JournalRecorder::recordPosition);
    connect(hub, &SignalInterface::signal_rspQryInOutFundRecord, this, &JournalRecorder::recordInOut);
    connect(hub, &SignalInterface::signal_rspQryBTFundTransferRecord, this, &JournalRecorder::recordTransfer);
}

void JournalRecorder::open() {
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &JournalRecorder::flush);
    m_store = std::make_unique<JournalStore>(connectionName());
    const auto result = m_store->open(m_target, JournalSchema::latestVersion());
    if (result == JournalStore::OpenResult::Newer) {
        stop(QStringLiteral("journal %1 has schema version %2, newer than this program's %3")
                 .arg(m_target.describe())
                 .arg(m_store->foundVersion())
                 .arg(JournalSchema::latestVersion()),
             true);
        return;
    }
    if (result != JournalStore::OpenResult::Opened) {
        stop(QStringLiteral("journal %1 cannot be opened: %2").arg(m_target.describe(), m_store->error()),
             false);
        return;
    }
    if (!m_store->applyRetention(QDate::currentDate(), m_retentionDays)) {
        stop(QStringLiteral("journal %1: old days cannot be removed: %2")
                 .arg(m_target.describe(), m_store->error()),
             false);
        return;
    }
    qInfo() << "journal opened" << m_target.describe();
    emit opened();
}

void JournalRecorder::stop(const QString& reason, bool newer) {
    if (m_stopped) return;
    m_stopped = true;
    m_pending.clear();
    if (m_timer) m_timer->stop();
    if (m_store) m_store->close();
    emit failed(reason, newer);
}

void JournalRecorder::setSession(const QString& account, const QString& market) {
    // Rows of the previous login keep the scope they were received under.
    flush();
    m_account = account;
    m_market = market;
}

JournalScope JournalRecorder::scopeNow() const {
    return {m_account, m_market, QDate::currentDate().toString(Qt::ISODate)};
}

bool JournalRecorder::accepting(const CMoruRspInfo& info) const {
    return !m_stopped && m_store && m_timer && !m_account.isEmpty() && info.ErrorID == 0;
}

void JournalRecorder::pendingGrew() {
    if (m_pending.size() >= kMaxPending)
        flush();
    else if (!m_timer->isActive())
        m_timer->start(m_batchMs);
}

void JournalRecorder::flush() {
    if (m_timer) m_timer->stop();
    if (m_stopped || !m_store || m_pending.isEmpty()) return;
    const int rows = m_pending.size();
    if (!m_store->write(m_pending)) {
        stop(QStringLiteral("journal %1 cannot be written: %2").arg(m_target.describe(), m_store->error()),
             false);
        return;
    }
    m_pending.clear();
    m_written += rows;
    emit flushed(m_written);
}

void JournalRecorder::close() {
    flush();
    if (m_store) m_store->close();
    m_store.reset();
    if (SignalInterface* hub = SignalInterface::instance()) hub->disconnect(this);
    delete m_timer;
    m_timer = nullptr;
    // Handed back so that the GUI thread can delete it once this thread has ended.
    QCoreApplication* app = QCoreApplication::instance();
    if (app && thread() != app->thread()) moveToThread(app->thread());
}

void JournalRecorder::recordReturn(const CMoruRtnOrderField& record, const CMoruRspInfo& info, int, bool) {
    if (!accepting(info)) return;
    JournalOrder row;
    if (!JournalRows::fromReturn(record, scopeNow(), row)) return;
    m_pending.orders.append(row);
    pendingGrew();
}

void JournalRecorder::recordOrder(const CMoruRspQryOrderField& record, const CMoruRspInfo& info, int, bool) {
    if (!accepting(info)) return;
    JournalOrder row;
    if (!JournalRows::fromQuery(record, scopeNow(), row)) return;
    m_pending.orders.append(row);
    pendingGrew();
}

void JournalRecorder::recordTrade(const CMoruRspQryTradeField& record, const CMoruRspInfo& info, int, bool) {
    if (!accepting(info)) return;
    JournalTrade row;
    if (!JournalRows::fromTrade(record, scopeNow(), row)) return;
    m_pending.trades.append(row);
    pendingGrew();
}

void JournalRecorder::recordPosition(const CMoruRspQryStockPositionField& record, const CMoruRspInfo& info,
                                     int, bool) {
    if (!accepting(info)) return;
    JournalPosition row;
    if (!JournalRows::fromPosition(record, scopeNow(), row)) return;
    m_pending.positions.append(row);
    pendingGrew();
}

void JournalRecorder::recordInOut(const CMoruRspQryCapTransferRecordField& record, const CMoruRspInfo& info,
                                  int, bool) {
    if (!accepting(info)) return;
    JournalFundMove row;
    if (!JournalRows::fromInOut(record, scopeNow(), row)) return;
    m_pending.funds.append(row);
    pendingGrew();
}

void JournalRecorder::recordTransfer(const CMoruRspQryBTCapTransferManagerField& record,
                                     const CMoruRspInfo& info, int, bool) {
    if (!accepting(info)) return;
    JournalFundMove row;
    if (!JournalRows::fromTransfer(record, scopeNow(), row)) return;
    m_pending.funds.append(row);
    pendingGrew();
}

void JournalRecorder::runQuery(const HistoryQuery& query) {
    HistoryAnswer answer;
    answer.id = query.id;
    answer.query = query;
    flush();
    if (m_stopped || !m_store || !m_store->isOpen()) {
        answer.error = QStringLiteral("journal not open");
        emit answered(answer);
        return;
    }
    const QString first = historyFirstDay(query);
    switch (query.kind) {
        case HistoryQuery::Orders:
            answer.orders = m_store->orders(query.account, query.market, first, query.to);
            break;
        case HistoryQuery::Trades:
        case HistoryQuery::ProfitByDay:
        case HistoryQuery::ProfitByCode:
            answer.trades = m_store->trades(query.account, query.market, first, query.to);
            break;
        case HistoryQuery::Funds:
            answer.funds = m_store->funds(query.account, query.market, first, query.to);
            break;
        case HistoryQuery::Statement:
            answer.trades = m_store->trades(query.account, query.market, first, query.to);
            answer.funds = m_store->funds(query.account, query.market, first, query.to);
            break;
    }
    emit answered(answer);
}
