#include "journal/journal_store.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>
#include <QStringList>
#include <QThread>
#include <QVariant>

#include "journal/journal_schema.h"

namespace {

const QStringList kScopeColumns = {QStringLiteral("account"), QStringLiteral("market"),
                                   QStringLiteral("trading_day")};

const QStringList kOrderColumns = {
    QStringLiteral("order_key"),    QStringLiteral("order_sys_id"), QStringLiteral("order_ref"),
    QStringLiteral("order_no"),     QStringLiteral("security_id"),  QStringLiteral("side"),
    QStringLiteral("limit_price"),  QStringLiteral("order_qty"),    QStringLiteral("order_type"),
    QStringLiteral("order_status"), QStringLiteral("msg_kind"),     QStringLiteral("security_type"),
    QStringLiteral("trade_qty"),    QStringLiteral("leaves_qty"),   QStringLiteral("trade_amount"),
    QStringLiteral("error_code"),   QStringLiteral("recv_time"),    QStringLiteral("order_text")};
// What a return does not carry; a return must not blank what a query answer wrote.
const QStringList kOrderQueryOnly = {QStringLiteral("order_no"), QStringLiteral("msg_kind"),
                                     QStringLiteral("security_type"), QStringLiteral("trade_amount"),
                                     QStringLiteral("error_code")};

const QStringList kTradeColumns = {QStringLiteral("trade_key"),
                                   QStringLiteral("order_sys_id"),
                                   QStringLiteral("order_no"),
                                   QStringLiteral("security_id"),
                                   QStringLiteral("side"),
                                   QStringLiteral("trade_price"),
                                   QStringLiteral("trade_qty"),
                                   QStringLiteral("leaves_qty"),
                                   QStringLiteral("trade_time"),
                                   QStringLiteral("order_type"),
                                   QStringLiteral("cash_replace_amount"),
                                   QStringLiteral("fee")};

const QStringList kPositionColumns = {
    QStringLiteral("security_id"),   QStringLiteral("today_buy_qty"),   QStringLiteral("today_sell_qty"),
    QStringLiteral("yesterday_qty"), QStringLiteral("total_qty"),       QStringLiteral("available_qty"),
    QStringLiteral("position_cost"), QStringLiteral("purchasable_qty"), QStringLiteral("redeemable_qty")};

const QStringList kFundColumns = {QStringLiteral("move_key"),   QStringLiteral("kind"),
                                  QStringLiteral("org_code"),   QStringLiteral("amount"),
                                  QStringLiteral("direction"),  QStringLiteral("oper_time"),
                                  QStringLiteral("error_code"), QStringLiteral("transfer_status")};

// Pages (4 KiB) the log may reach before SQLite copies it into the file during a burst.
constexpr int kLogPages = 8192;

// Rows per multi-row statement: one statement runs far fewer steps than as many single-row ones.
constexpr int kChunk = 16;

QStringList without(const QStringList& columns, const QStringList& dropped) {
    QStringList kept;
    for (const QString& c : columns) {
        if (!dropped.contains(c)) kept << c;
    }
    return kept;
}

// INSERT .. VALUES (..), .. ON CONFLICT .. DO UPDATE: SQLite and PostgreSQL both read it. The first
// data column is the row's key within its scope; a row seen again gets every other column anew.
QString upsertSql(const QString& table, const QStringList& columns, int rows) {
    const QStringList all = kScopeColumns + columns;
    QStringList marks;
    for (int i = 0; i < all.size(); ++i) marks << QStringLiteral("?");
    const QString tuple = QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    QStringList tuples;
    for (int i = 0; i < rows; ++i) tuples << tuple;
    QStringList updates;
    for (int i = 1; i < columns.size(); ++i) updates << QStringLiteral("%1 = excluded.%1").arg(columns.at(i));
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3 ON CONFLICT (%4, %5) DO UPDATE SET %6")
        .arg(table, all.join(QLatin1Char(',')), tuples.join(QLatin1Char(',')),
             kScopeColumns.join(QLatin1Char(',')), columns.first(), updates.join(QStringLiteral(", ")));
}

bool sameScope(const JournalScope& a, const JournalScope& b) {
    return a.day == b.day && a.account == b.account && a.market == b.market;
}

// Each binds a row's own columns (after its scope) from `at` on, in the order of its statement.
void bindReturn(QSqlQuery& q, int at, const JournalOrder& r) {
    q.bindValue(at++, r.key);
    q.bindValue(at++, r.orderSysId);
    q.bindValue(at++, r.orderRef);
    q.bindValue(at++, r.securityId);
    q.bindValue(at++, r.side);
    q.bindValue(at++, r.limitPrice);
    q.bindValue(at++, r.orderQty);
    q.bindValue(at++, r.orderType);
    q.bindValue(at++, r.orderStatus);
    q.bindValue(at++, r.tradeQty);
    q.bindValue(at++, r.leavesQty);
    q.bindValue(at++, r.recvTime);
    q.bindValue(at, r.text);
}

void bindAnswer(QSqlQuery& q, int at, const JournalOrder& r) {
    q.bindValue(at++, r.key);
    q.bindValue(at++, r.orderSysId);
    q.bindValue(at++, r.orderRef);
    q.bindValue(at++, r.orderNo);
    q.bindValue(at++, r.securityId);
    q.bindValue(at++, r.side);
    q.bindValue(at++, r.limitPrice);
    q.bindValue(at++, r.orderQty);
    q.bindValue(at++, r.orderType);
    q.bindValue(at++, r.orderStatus);
    q.bindValue(at++, r.msgKind);
    q.bindValue(at++, r.securityType);
    q.bindValue(at++, r.tradeQty);
    q.bindValue(at++, r.leavesQty);
    q.bindValue(at++, r.tradeAmount);
    q.bindValue(at++, r.errorCode);
    q.bindValue(at, r.recvTime);
}

void bindTrade(QSqlQuery& q, int at, const JournalTrade& r) {
    q.bindValue(at++, r.key);
    q.bindValue(at++, r.orderSysId);
    q.bindValue(at++, r.orderNo);
    q.bindValue(at++, r.securityId);
    q.bindValue(at++, r.side);
    q.bindValue(at++, r.price);
    q.bindValue(at++, r.qty);
    q.bindValue(at++, r.leavesQty);
    q.bindValue(at++, r.tradeTime);
    q.bindValue(at++, r.orderType);
    q.bindValue(at++, r.cashReplaceAmount);
    q.bindValue(at, r.hasFee ? QVariant(r.fee) : QVariant(QVariant::Double));
}

void bindPosition(QSqlQuery& q, int at, const JournalPosition& r) {
    q.bindValue(at++, r.securityId);
    q.bindValue(at++, r.todayBuyQty);
    q.bindValue(at++, r.todaySellQty);
    q.bindValue(at++, r.yesterdayQty);
    q.bindValue(at++, r.totalQty);
    q.bindValue(at++, r.availableQty);
    q.bindValue(at++, r.positionCost);
    q.bindValue(at++, r.purchasableQty);
    q.bindValue(at, r.redeemableQty);
}

void bindFund(QSqlQuery& q, int at, const JournalFundMove& r) {
    q.bindValue(at++, r.key);
    q.bindValue(at++, int(r.kind));
    q.bindValue(at++, r.orgCode);
    q.bindValue(at++, r.amount);
    q.bindValue(at++, r.direction);
    q.bindValue(at++, r.operTime);
    q.bindValue(at++, r.errorCode);
    q.bindValue(at, r.status);
}

// Never a null string for NOT NULL text.
QString text(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

JournalScope scopeOf(const QSqlQuery& q) {
    return {text(q.value(0)), text(q.value(1)), text(q.value(2))};
}

QString selectSql(const QString& table, const QStringList& columns, const QString& order) {
    return QStringLiteral(
               "SELECT %1 FROM %2 WHERE account = ? AND market = ? AND trading_day >= ? AND "
               "trading_day <= ? ORDER BY %3")
        .arg((kScopeColumns + columns).join(QLatin1Char(',')), table, order);
}

}  // namespace

JournalStore::JournalStore(const QString& connectionName) : m_name(connectionName) {}

JournalStore::~JournalStore() {
    close();
}

QSqlDatabase JournalStore::database() const {
    return QSqlDatabase::database(m_name, false);
}

void JournalStore::close() {
    for (Upsert* u : {&m_orderFromQuery, &m_orderFromReturn, &m_trade, &m_position, &m_fund}) *u = Upsert();
    m_open = false;
    m_checkpoints = false;
    m_unsynced = false;
    if (QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
}

bool JournalStore::fail(const QString& what) {
    m_error = what;
    return false;
}

JournalStore::OpenResult JournalStore::open(const JournalTarget& target, int schemaVersion) {
    close();
    m_error.clear();
    m_foundVersion = 0;
    const QString driver = target.isServer() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        fail(QStringLiteral("Qt SQL driver %1 is not installed").arg(driver));
        return OpenResult::Failed;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, m_name);
    if (target.isServer()) {
        db.setHostName(target.server);
        db.setPort(target.port);
        db.setDatabaseName(target.database);
        db.setUserName(target.user);
        db.setPassword(target.password);
        db.setConnectOptions(QStringLiteral("connect_timeout=5"));
    } else {
        QDir().mkpath(QFileInfo(target.sqlitePath).absolutePath());
        db.setDatabaseName(target.sqlitePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(target.busyTimeoutMs));
    }
    if (!db.open()) {
        fail(db.lastError().text());
        return OpenResult::Failed;
    }
    QSqlQuery pragma(db);
    if (!target.isServer()) {
        // WAL: a kill leaves the last committed batch whole and readers never wait for the writer;
        // NORMAL syncs at checkpoints, which is enough against a process that dies.
        if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !pragma.next() ||
            pragma.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
            fail(pragma.lastError().isValid() ? pragma.lastError().text()
                                              : QStringLiteral("WAL mode not available"));
            return OpenResult::Failed;
        }
        pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        // Copying the log into the file syncs both; mid-burst that I/O competes with the GUI thread for
        // a core, so checkpoint() does it once the writer is idle. SQLite still copies a log grown this far.
        pragma.exec(QStringLiteral("PRAGMA wal_autocheckpoint=%1").arg(kLogPages));
        m_checkpoints = true;
        if (target.maxPages > 0) pragma.exec(QStringLiteral("PRAGMA max_page_count=%1").arg(target.maxPages));
    }
    QString error;
    m_foundVersion = JournalSchema::versionOf(db, &error);
    if (m_foundVersion < 0) {
        fail(error);
        return OpenResult::Failed;
    }
    if (m_foundVersion > schemaVersion) {
        fail(
            QStringLiteral("schema version %1, this build writes %2").arg(m_foundVersion).arg(schemaVersion));
        db.close();
        return OpenResult::Newer;
    }
    if (!JournalSchema::migrate(db, schemaVersion, &error)) {
        fail(error);
        return OpenResult::Failed;
    }
    if (schemaVersion == JournalSchema::latestVersion() && !prepare()) return OpenResult::Failed;
    m_open = true;
    return OpenResult::Opened;
}

bool JournalStore::prepareUpsert(Upsert& u, const QString& table, const QStringList& columns) {
    const QSqlDatabase db = database();
    u.columns = kScopeColumns.size() + columns.size();
    u.bound = QVector<JournalScope>(kChunk + 1);
    u.one = std::make_unique<QSqlQuery>(db);
    u.many = std::make_unique<QSqlQuery>(db);
    if (!u.one->prepare(upsertSql(table, columns, 1))) return fail(u.one->lastError().text());
    if (!u.many->prepare(upsertSql(table, columns, kChunk))) return fail(u.many->lastError().text());
    return true;
}

bool JournalStore::prepare() {
    // A return leaves what only an answer carries as it was, an answer the return's own text; a
    // column a statement does not name is empty in a new row.
    const QString orders = QStringLiteral("orders");
    return prepareUpsert(m_orderFromQuery, orders, without(kOrderColumns, {QStringLiteral("order_text")})) &&
           prepareUpsert(m_orderFromReturn, orders, without(kOrderColumns, kOrderQueryOnly)) &&
           prepareUpsert(m_trade, QStringLiteral("trades"), kTradeColumns) &&
           prepareUpsert(m_position, QStringLiteral("positions"), kPositionColumns) &&
           prepareUpsert(m_fund, QStringLiteral("fund_moves"), kFundColumns);
}

// In arrival order. A chunk ends early at a change of scope and before a key it already holds:
// PostgreSQL does not update one row twice in a statement, and the later record must win.
template <typename Row, typename Bind, typename Key>
bool JournalStore::writeRows(Upsert& u, const Row* rows, int count, Bind bind, Key key) {
    const int scopeColumns = kScopeColumns.size();
    auto bindRow = [&](QSqlQuery& q, int slot, const Row& r) {
        const int at = slot == kChunk ? 0 : slot * u.columns;
        JournalScope& bound = u.bound[slot];
        if (bound.account.isNull() || !sameScope(bound, r.scope)) {
            q.bindValue(at, r.scope.account);
            q.bindValue(at + 1, r.scope.market);
            q.bindValue(at + 2, r.scope.day);
            bound = r.scope;
        }
        bind(q, at + scopeColumns, r);
    };
    auto run = [&](QSqlQuery& q) {
        if (q.exec()) {
            // The journal's thread runs at idle priority, yet the kernel may hand the core it
            // computes on to a waiting thread (the GUI's) only at its next tick, up to 4 ms later: a
            // yield after each statement hands it over at once and costs next to nothing otherwise.
            QThread::yieldCurrentThread();
            return true;
        }
        u.bound.fill(JournalScope());  // unknown after a failure: bound afresh next time
        return fail(q.lastError().text());
    };
    int i = 0;
    while (i < count) {
        int n = 1;
        for (; n < kChunk && i + n < count; ++n) {
            const Row& next = rows[i + n];
            if (!sameScope(next.scope, rows[i].scope)) break;
            const QString& k = key(next);
            bool repeated = false;
            for (int j = i; j < i + n && !repeated; ++j) repeated = key(rows[j]) == k;
            if (repeated) break;
        }
        if (n == kChunk) {
            for (int slot = 0; slot < kChunk; ++slot) bindRow(*u.many, slot, rows[i + slot]);
            if (!run(*u.many)) return false;
        } else {
            for (int j = i; j < i + n; ++j) {
                bindRow(*u.one, kChunk, rows[j]);
                if (!run(*u.one)) return false;
            }
        }
        i += n;
    }
    return true;
}

bool JournalStore::writeOrders(const QVector<JournalOrder>& rows) {
    const auto key = [](const JournalOrder& r) -> const QString& { return r.key; };
    // Runs of returns and of answers, each through its own statement, in arrival order.
    int i = 0;
    while (i < rows.size()) {
        const bool fromReturn = rows.at(i).fromReturn;
        int end = i + 1;
        while (end < rows.size() && rows.at(end).fromReturn == fromReturn) ++end;
        const bool ok = fromReturn
                            ? writeRows(m_orderFromReturn, rows.constData() + i, end - i, bindReturn, key)
                            : writeRows(m_orderFromQuery, rows.constData() + i, end - i, bindAnswer, key);
        if (!ok) return false;
        i = end;
    }
    return true;
}

bool JournalStore::write(const JournalBatch& batch) {
    if (!m_open) return fail(QStringLiteral("journal not open"));
    if (batch.isEmpty()) return true;
    QSqlDatabase db = database();
    if (!db.transaction()) return fail(db.lastError().text());
    const auto key = [](const auto& r) -> const QString& { return r.key; };
    const auto code = [](const JournalPosition& r) -> const QString& { return r.securityId; };
    const bool ok =
        writeOrders(batch.orders) &&
        writeRows(m_trade, batch.trades.constData(), batch.trades.size(), bindTrade, key) &&
        writeRows(m_position, batch.positions.constData(), batch.positions.size(), bindPosition, code) &&
        writeRows(m_fund, batch.funds.constData(), batch.funds.size(), bindFund, key);
    if (ok && db.commit()) {
        m_unsynced = true;
        return true;
    }
    if (ok) fail(db.lastError().text());
    db.rollback();
    return false;
}

void JournalStore::checkpoint() {
    if (!m_open || !m_checkpoints || !m_unsynced) return;
    QSqlQuery q(database());
    // Passive: a reader in the way only leaves part of the log for the next time.
    if (q.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"))) m_unsynced = false;
}

bool JournalStore::applyRetention(const QDate& today, int days) {
    if (!m_open) return false;
    if (days <= 0) return true;
    const QString first = today.addDays(-(days - 1)).toString(Qt::ISODate);
    QSqlDatabase db = database();
    if (!db.transaction()) return fail(db.lastError().text());
    QSqlQuery q(db);
    for (const char* table : {"orders", "trades", "positions", "fund_moves"}) {
        q.prepare(QStringLiteral("DELETE FROM %1 WHERE trading_day < ?").arg(QLatin1String(table)));
        q.bindValue(0, first);
        if (!q.exec()) {
            fail(q.lastError().text());
            db.rollback();
            return false;
        }
    }
    return db.commit() || fail(db.lastError().text());
}

qint64 JournalStore::count(const QString& table) {
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)) || !q.next()) return -1;
    return q.value(0).toLongLong();
}

namespace {

// The rows of one scope between two days, ordered; `read` fills a row from column 3 on (0 .. 2 are the
// scope). False, with the query's error left in `q`, when the select fails.
template <typename Row, typename Read>
bool selectRows(QSqlQuery& q, const QString& sql, const QString& account, const QString& market,
                const QString& from, const QString& to, QVector<Row>& out, Read read) {
    q.setForwardOnly(true);
    if (!q.prepare(sql)) return false;
    q.bindValue(0, account);
    q.bindValue(1, market);
    q.bindValue(2, from);
    q.bindValue(3, to);
    if (!q.exec()) return false;
    while (q.next()) {
        Row r;
        r.scope = scopeOf(q);
        read(q, r);
        out.append(r);
    }
    return true;
}

void readOrder(const QSqlQuery& q, JournalOrder& r) {
    int i = 3;
    r.key = text(q.value(i++));
    r.orderSysId = q.value(i++).toLongLong();
    r.orderRef = q.value(i++).toLongLong();
    r.orderNo = text(q.value(i++));
    r.securityId = text(q.value(i++));
    r.side = text(q.value(i++));
    r.limitPrice = q.value(i++).toDouble();
    r.orderQty = q.value(i++).toLongLong();
    r.orderType = text(q.value(i++));
    r.orderStatus = text(q.value(i++));
    const QVariant kind = q.value(i++);
    r.msgKind = kind.isNull() ? 0x65 : kind.toInt();
    r.securityType = q.value(i++).toInt();
    r.tradeQty = q.value(i++).toLongLong();
    r.leavesQty = q.value(i++).toLongLong();
    r.tradeAmount = q.value(i++).toDouble();
    r.errorCode = q.value(i++).toInt();
    r.recvTime = text(q.value(i++));
    r.text = text(q.value(i++));
}

void readTrade(const QSqlQuery& q, JournalTrade& r) {
    int i = 3;
    r.key = text(q.value(i++));
    r.orderSysId = q.value(i++).toLongLong();
    r.orderNo = text(q.value(i++));
    r.securityId = text(q.value(i++));
    r.side = text(q.value(i++));
    r.price = q.value(i++).toDouble();
    r.qty = q.value(i++).toLongLong();
    r.leavesQty = q.value(i++).toLongLong();
    r.tradeTime = text(q.value(i++));
    r.orderType = text(q.value(i++));
    r.cashReplaceAmount = q.value(i++).toDouble();
    const QVariant fee = q.value(i++);
    r.hasFee = !fee.isNull();
    r.fee = fee.toDouble();
}

void readPosition(const QSqlQuery& q, JournalPosition& r) {
    int i = 3;
    r.securityId = text(q.value(i++));
    r.todayBuyQty = q.value(i++).toLongLong();
    r.todaySellQty = q.value(i++).toLongLong();
    r.yesterdayQty = q.value(i++).toLongLong();
    r.totalQty = q.value(i++).toLongLong();
    r.availableQty = q.value(i++).toLongLong();
    r.positionCost = q.value(i++).toDouble();
    r.purchasableQty = q.value(i++).toLongLong();
    r.redeemableQty = q.value(i++).toLongLong();
}

void readFundMove(const QSqlQuery& q, JournalFundMove& r) {
    int i = 3;
    r.key = text(q.value(i++));
    r.kind = JournalFundMove::Kind(q.value(i++).toInt());
    r.orgCode = text(q.value(i++));
    r.amount = q.value(i++).toDouble();
    r.direction = text(q.value(i++));
    r.operTime = text(q.value(i++));
    r.errorCode = q.value(i++).toInt();
    r.status = text(q.value(i++));
}

}  // namespace

QVector<JournalOrder> JournalStore::orders(const QString& account, const QString& market, const QString& from,
                                           const QString& to) {
    QVector<JournalOrder> out;
    QSqlQuery q(database());
    if (!selectRows(q,
                    selectSql(QStringLiteral("orders"), kOrderColumns,
                              QStringLiteral("trading_day, recv_time, order_sys_id")),
                    account, market, from, to, out, readOrder))
        fail(q.lastError().text());
    return out;
}

QVector<JournalTrade> JournalStore::trades(const QString& account, const QString& market, const QString& from,
                                           const QString& to) {
    QVector<JournalTrade> out;
    QSqlQuery q(database());
    if (!selectRows(q,
                    selectSql(QStringLiteral("trades"), kTradeColumns,
                              QStringLiteral("trading_day, trade_time, order_sys_id, trade_key")),
                    account, market, from, to, out, readTrade))
        fail(q.lastError().text());
    return out;
}

QVector<JournalPosition> JournalStore::positions(const QString& account, const QString& market,
                                                 const QString& from, const QString& to) {
    QVector<JournalPosition> out;
    QSqlQuery q(database());
    if (!selectRows(q,
                    selectSql(QStringLiteral("positions"), kPositionColumns,
                              QStringLiteral("trading_day, security_id")),
                    account, market, from, to, out, readPosition))
        fail(q.lastError().text());
    return out;
}

QVector<JournalFundMove> JournalStore::funds(const QString& account, const QString& market,
                                             const QString& from, const QString& to) {
    QVector<JournalFundMove> out;
    QSqlQuery q(database());
    if (!selectRows(q,
                    selectSql(QStringLiteral("fund_moves"), kFundColumns,
                              QStringLiteral("trading_day, oper_time, move_key")),
                    account, market, from, to, out, readFundMove))
        fail(q.lastError().text());
    return out;
}
