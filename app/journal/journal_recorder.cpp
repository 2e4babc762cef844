#include "journal/journal_recorder.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDate>
#include <QDebug>
#include <QThread>
#include <QTimer>
#include <cstring>

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
    // Direct: the slot copies the record on the emitting thread; nothing is queued per record.
    connect(hub, &SignalInterface::signal_rtnOrder, this, &JournalRecorder::recordReturn,
            Qt::DirectConnection);
    connect(hub, &SignalInterface::signal_rspQryOrder, this, &JournalRecorder::recordOrder,
            Qt::DirectConnection);
    connect(hub, &SignalInterface::signal_rspQryTrade, this, &JournalRecorder::recordTrade,
            Qt::DirectConnection);
    connect(hub, &SignalInterface::signal_rspQryPosition, this, &JournalRecorder::recordPosition,
            Qt::DirectConnection);
    connect(hub, &SignalInterface::signal_rspQryInOutFundRecord, this, &JournalRecorder::recordInOut,
            Qt::DirectConnection);
    connect(hub, &SignalInterface::signal_rspQryBTFundTransferRecord, this, &JournalRecorder::recordTransfer,
            Qt::DirectConnection);
}

void JournalRecorder::open() {
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &JournalRecorder::tick);
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
    m_timer->start(m_batchMs);
    qInfo() << "journal opened" << m_target.describe();
    emit opened();
}

void JournalRecorder::stop(const QString& reason, bool newer) {
    if (m_stopped) return;
    m_stopped = true;
    m_accepting = false;
    {
        QMutexLocker lock(&m_inboxLock);
        m_inbox.clear();
    }
    if (m_timer) m_timer->stop();
    if (m_store) m_store->close();
    emit failed(reason, newer);
}

void JournalRecorder::setSession(const QString& account, const QString& market) {
    // A marker in the inbox: what came in before it keeps the previous login's scope.
    Raw raw{};
    raw.kind = Kind::Session;
    const QByteArray a = account.toUtf8().left(int(sizeof raw.bytes) - 2);
    std::memcpy(raw.bytes, a.constData(), size_t(a.size()));
    raw.bytes[sizeof raw.bytes - 1] = market.isEmpty() ? '\0' : market.at(0).toLatin1();
    QMutexLocker lock(&m_inboxLock);
    m_inbox.push_back(raw);
    m_accepting = !m_stopped && !account.isEmpty();
}

template <typename T>
void JournalRecorder::take(Kind kind, const T& record, const CMoruRspInfo& info) {
    static_assert(sizeof(T) <= sizeof(Raw::bytes), "record larger than the inbox slot");
    if (!m_accepting.load(std::memory_order_relaxed) || info.ErrorID != 0) return;
    bool full = false;
    {
        QMutexLocker lock(&m_inboxLock);
        m_inbox.emplace_back();
        Raw& raw = m_inbox.back();
        raw.kind = kind;
        std::memcpy(raw.bytes, &record, sizeof(T));
        full = m_inbox.size() == size_t(kMaxPending);
    }
    // A long burst is written without waiting for the timer, so it does not pile up in memory.
    if (full) QMetaObject::invokeMethod(this, &JournalRecorder::flush, Qt::QueuedConnection);
}

void JournalRecorder::recordReturn(const CMoruRtnOrderField& r, const CMoruRspInfo& info, int, bool) {
    take(Kind::Return, r, info);
}
void JournalRecorder::recordOrder(const CMoruRspQryOrderField& r, const CMoruRspInfo& info, int, bool) {
    take(Kind::Order, r, info);
}
void JournalRecorder::recordTrade(const CMoruRspQryTradeField& r, const CMoruRspInfo& info, int, bool) {
    take(Kind::Trade, r, info);
}
void JournalRecorder::recordPosition(const CMoruRspQryStockPositionField& r, const CMoruRspInfo& info, int,
                                     bool) {
    take(Kind::Position, r, info);
}
void JournalRecorder::recordInOut(const CMoruRspQryCapTransferRecordField& r, const CMoruRspInfo& info, int,
                                  bool) {
    take(Kind::InOut, r, info);
}
void JournalRecorder::recordTransfer(const CMoruRspQryBTCapTransferManagerField& r, const CMoruRspInfo& info,
                                     int, bool) {
    take(Kind::Transfer, r, info);
}

namespace {
template <typename T>
T recordOf(const char* bytes) {
    T record;
    std::memcpy(&record, bytes, sizeof(T));
    return record;
}
}  // namespace

void JournalRecorder::convert(const std::vector<Raw>& raw, JournalBatch& batch) {
    JournalScope scope{m_account, m_market, QDate::currentDate().toString(Qt::ISODate)};
    batch.orders.reserve(int(raw.size()));
    int done = 0;
    for (const Raw& r : raw) {
        if (++done % 1024 == 0) QThread::yieldCurrentThread();  // as the writer does, see JournalStore
        switch (r.kind) {
            case Kind::Session:
                m_account = QString::fromUtf8(r.bytes);
                m_market = r.bytes[sizeof r.bytes - 1] ? QString(QLatin1Char(r.bytes[sizeof r.bytes - 1]))
                                                       : QString();
                scope.account = m_account;
                scope.market = m_market;
                break;
            case Kind::Return: {
                JournalOrder row;
                if (JournalRows::fromReturn(recordOf<CMoruRtnOrderField>(r.bytes), scope, row))
                    batch.orders.append(std::move(row));
                break;
            }
            case Kind::Order: {
                JournalOrder row;
                if (JournalRows::fromQuery(recordOf<CMoruRspQryOrderField>(r.bytes), scope, row))
                    batch.orders.append(std::move(row));
                break;
            }
            case Kind::Trade: {
                JournalTrade row;
                if (JournalRows::fromTrade(recordOf<CMoruRspQryTradeField>(r.bytes), scope, row))
                    batch.trades.append(std::move(row));
                break;
            }
            case Kind::Position: {
                JournalPosition row;
                if (JournalRows::fromPosition(recordOf<CMoruRspQryStockPositionField>(r.bytes), scope, row))
                    batch.positions.append(std::move(row));
                break;
            }
            case Kind::InOut: {
                JournalFundMove row;
                if (JournalRows::fromInOut(recordOf<CMoruRspQryCapTransferRecordField>(r.bytes), scope, row))
                    batch.funds.append(std::move(row));
                break;
            }
            case Kind::Transfer: {
                JournalFundMove row;
                if (JournalRows::fromTransfer(recordOf<CMoruRspQryBTCapTransferManagerField>(r.bytes), scope,
                                              row))
                    batch.funds.append(std::move(row));
                break;
            }
        }
    }
}

void JournalRecorder::flush() {
    // Two buffers trade places and keep their capacity: a burst does not reallocate the inbox (and map
    // fresh memory) under the lock again and again.
    {
        QMutexLocker lock(&m_inboxLock);
        m_inbox.swap(m_draining);
    }
    if (m_stopped || !m_store || m_draining.empty()) {
        m_draining.clear();
        return;
    }
    m_batch.clear();
    convert(m_draining, m_batch);
    m_draining.clear();
    const int rows = m_batch.size();
    const bool written = m_store->write(m_batch);
    m_batch.clear();
    if (!written) {
        stop(QStringLiteral("journal %1 cannot be written: %2").arg(m_target.describe(), m_store->error()),
             false);
        return;
    }
    m_written += rows;
    emit flushed(m_written);
}

void JournalRecorder::tick() {
    const qint64 before = m_written;
    flush();
    // Nothing new since the last tick: the log is copied into the file now rather than mid-burst.
    if (m_written == before && m_store && !m_stopped) m_store->checkpoint();
}

void JournalRecorder::close() {
    if (SignalInterface* hub = SignalInterface::instance()) hub->disconnect(this);
    m_accepting = false;
    flush();
    if (m_store) m_store->close();
    m_store.reset();
    delete m_timer;
    m_timer = nullptr;
    // Handed back so that the GUI thread can delete it once this thread has ended.
    QCoreApplication* app = QCoreApplication::instance();
    if (app && thread() != app->thread()) moveToThread(app->thread());
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
