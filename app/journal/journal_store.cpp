#include "journal/journal_store.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>
#include <QStringList>
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

// INSERT .. ON CONFLICT .. DO UPDATE: SQLite and PostgreSQL both read it. The first data column is
// the row's key within its scope.
QString upsertSql(const QString& table, const QStringList& columns, const QStringList& keep) {
    const QStringList all = kScopeColumns + columns;
    QStringList marks;
    for (int i = 0; i < all.size(); ++i) marks << QStringLiteral("?");
    QStringList updates;
    for (int i = 1; i < columns.size(); ++i) {
        if (!keep.contains(columns.at(i))) updates << QStringLiteral("%1 = excluded.%1").arg(columns.at(i));
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%4, %5) DO UPDATE SET %6")
        .arg(table, all.join(QLatin1Char(',')), marks.join(QLatin1Char(',')),
             kScopeColumns.join(QLatin1Char(',')), columns.first(), updates.join(QStringLiteral(", ")));
}

void bindScope(QSqlQuery& q, const JournalScope& scope) {
    q.bindValue(0, scope.account);
    q.bindValue(1, scope.market);
    q.bindValue(2, scope.day);
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
    m_orderFromQuery.reset();
    m_orderFromReturn.reset();
    m_trade.reset();
    m_position.reset();
    m_fund.reset();
    m_open = false;
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

bool JournalStore::prepare() {
    const QSqlDatabase db = database();
    auto make = [&](std::unique_ptr<QSqlQuery>& q, const QString& sql) {
        q = std::make_unique<QSqlQuery>(db);
        if (q->prepare(sql)) return true;
        fail(q->lastError().text());
        return false;
    };
    return make(m_orderFromQuery,
                upsertSql(QStringLiteral("orders"), kOrderColumns, {QStringLiteral("order_text")})) &&
           make(m_orderFromReturn, upsertSql(QStringLiteral("orders"), kOrderColumns, kOrderQueryOnly)) &&
           make(m_trade, upsertSql(QStringLiteral("trades"), kTradeColumns, {})) &&
           make(m_position, upsertSql(QStringLiteral("positions"), kPositionColumns, {})) &&
           make(m_fund, upsertSql(QStringLiteral("fund_moves"), kFundColumns, {}));
}

bool JournalStore::writeOrder(const JournalOrder& r) {
    QSqlQuery& q = r.fromReturn ? *m_orderFromReturn : *m_orderFromQuery;
    bindScope(q, r.scope);
    int i = 3;
    q.bindValue(i++, r.key);
    q.bindValue(i++, r.orderSysId);
    q.bindValue(i++, r.orderRef);
    q.bindValue(i++, r.fromReturn ? QVariant(QVariant::String) : QVariant(r.orderNo));
    q.bindValue(i++, r.securityId);
    q.bindValue(i++, r.side);
    q.bindValue(i++, r.limitPrice);
    q.bindValue(i++, r.orderQty);
    q.bindValue(i++, r.orderType);
    q.bindValue(i++, r.orderStatus);
    q.bindValue(i++, r.fromReturn ? QVariant(QVariant::Int) : QVariant(r.msgKind));
    q.bindValue(i++, r.fromReturn ? QVariant(QVariant::Int) : QVariant(r.securityType));
    q.bindValue(i++, r.tradeQty);
    q.bindValue(i++, r.leavesQty);
    q.bindValue(i++, r.fromReturn ? QVariant(QVariant::Double) : QVariant(r.tradeAmount));
    q.bindValue(i++, r.fromReturn ? QVariant(QVariant::Int) : QVariant(r.errorCode));
    q.bindValue(i++, r.recvTime);
    q.bindValue(i++, r.fromReturn ? QVariant(r.text) : QVariant(QVariant::String));
    return q.exec() || fail(q.lastError().text());
}

bool JournalStore::writeTrade(const JournalTrade& r) {
    QSqlQuery& q = *m_trade;
    bindScope(q, r.scope);
    int i = 3;
    q.bindValue(i++, r.key);
    q.bindValue(i++, r.orderSysId);
    q.bindValue(i++, r.orderNo);
    q.bindValue(i++, r.securityId);
    q.bindValue(i++, r.side);
    q.bindValue(i++, r.price);
    q.bindValue(i++, r.qty);
    q.bindValue(i++, r.leavesQty);
    q.bindValue(i++, r.tradeTime);
    q.bindValue(i++, r.orderType);
    q.bindValue(i++, r.cashReplaceAmount);
    q.bindValue(i++, r.hasFee ? QVariant(r.fee) : QVariant(QVariant::Double));
    return q.exec() || fail(q.lastError().text());
}

bool JournalStore::writePosition(const JournalPosition& r) {
    QSqlQuery& q = *m_position;
    bindScope(q, r.scope);
    int i = 3;
    q.bindValue(i++, r.securityId);
    q.bindValue(i++, r.todayBuyQty);
    q.bindValue(i++, r.todaySellQty);
    q.bindValue(i++, r.yesterdayQty);
    q.bindValue(i++, r.totalQty);
    q.bindValue(i++, r.availableQty);
    q.bindValue(i++, r.positionCost);
    q.bindValue(i++, r.purchasableQty);
    q.bindValue(i++, r.redeemableQty);
    return q.exec() || fail(q.lastError().text());
}

bool JournalStore::writeFund(const JournalFundMove& r) {
    QSqlQuery& q = *m_fund;
    bindScope(q, r.scope);
    int i = 3;
    q.bindValue(i++, r.key);
    q.bindValue(i++, int(r.kind));
    q.bindValue(i++, r.orgCode);
    q.bindValue(i++, r.amount);
    q.bindValue(i++, r.direction);
    q.bindValue(i++, r.operTime);
    q.bindValue(i++, r.errorCode);
    q.bindValue(i++, r.status);
    return q.exec() || fail(q.lastError().text());
}

bool JournalStore::write(const JournalBatch& batch) {
    if (!m_open) return fail(QStringLiteral("journal not open"));
    if (batch.isEmpty()) return true;
    QSqlDatabase db = database();
    if (!db.transaction()) return fail(db.lastError().text());
    bool ok = true;
    for (const JournalOrder& r : batch.orders) ok = ok && writeOrder(r);
    for (const JournalTrade& r : batch.trades) ok = ok && writeTrade(r);
    for (const JournalPosition& r : batch.positions) ok = ok && writePosition(r);
    for (const JournalFundMove& r : batch.funds) ok = ok && writeFund(r);
    if (ok && db.commit()) return true;
    if (ok) fail(db.lastError().text());
    db.rollback();
    return false;
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
bool runSelect(QSqlQuery& q, const QString& sql, const QString& account, const QString& market,
               const QString& from, const QString& to) {
    q.setForwardOnly(true);
    if (!q.prepare(sql)) return false;
    q.bindValue(0, account);
    q.bindValue(1, market);
    q.bindValue(2, from);
    q.bindValue(3, to);
    return q.exec();
}
}  // namespace

QVector<JournalOrder> JournalStore::orders(const QString& account, const QString& market, const QString& from,
                                           const QString& to) {
    QVector<JournalOrder> out;
    QSqlQuery q(database());
    if (!runSelect(q,
                   selectSql(QStringLiteral("orders"), kOrderColumns,
                             QStringLiteral("trading_day, recv_time, order_sys_id")),
                   account, market, from, to)) {
        fail(q.lastError().text());
        return out;
    }
    while (q.next()) {
        JournalOrder r;
        r.scope = scopeOf(q);
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
        out.append(r);
    }
    return out;
}

QVector<JournalTrade> JournalStore::trades(const QString& account, const QString& market, const QString& from,
                                           const QString& to) {
    QVector<JournalTrade> out;
    QSqlQuery q(database());
    if (!runSelect(q,
                   selectSql(QStringLiteral("trades"), kTradeColumns,
                             QStringLiteral("trading_day, trade_time, order_sys_id, trade_key")),
                   account, market, from, to)) {
        fail(q.lastError().text());
        return out;
    }
    while (q.next()) {
        JournalTrade r;
        r.scope = scopeOf(q);
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
        out.append(r);
    }
    return out;
}

QVector<JournalPosition> JournalStore::positions(const QString& account, const QString& market,
                                                 const QString& from, const QString& to) {
    QVector<JournalPosition> out;
    QSqlQuery q(database());
    if (!runSelect(q,
                   selectSql(QStringLiteral("positions"), kPositionColumns,
                             QStringLiteral("trading_day, security_id")),
                   account, market, from, to)) {
        fail(q.lastError().text());
        return out;
    }
    while (q.next()) {
        JournalPosition r;
        r.scope = scopeOf(q);
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
        out.append(r);
    }
    return out;
}

QVector<JournalFundMove> JournalStore::funds(const QString& account, const QString& market,
                                             const QString& from, const QString& to) {
    QVector<JournalFundMove> out;
    QSqlQuery q(database());
    if (!runSelect(q,
                   selectSql(QStringLiteral("fund_moves"), kFundColumns,
                             QStringLiteral("trading_day, oper_time, move_key")),
                   account, market, from, to)) {
        fail(q.lastError().text());
        return out;
    }
    while (q.next()) {
        JournalFundMove r;
        r.scope = scopeOf(q);
        int i = 3;
        r.key = text(q.value(i++));
        r.kind = JournalFundMove::Kind(q.value(i++).toInt());
        r.orgCode = text(q.value(i++));
        r.amount = q.value(i++).toDouble();
        r.direction = text(q.value(i++));
        r.operTime = text(q.value(i++));
        r.errorCode = q.value(i++).toInt();
        r.status = text(q.value(i++));
        out.append(r);
    }
    return out;
}
