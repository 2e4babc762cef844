#include "journal/journal_schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace JournalSchema {

namespace {

// Each entry takes the database from the version before it to its own number.
QStringList stepStatements(int version) {
    switch (version) {
        case 1:
            return {
                QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
                QStringLiteral("INSERT INTO schema_version (version) VALUES (0)"),
                QStringLiteral(
                    "CREATE TABLE orders (account TEXT NOT NULL, market TEXT NOT NULL, trading_day TEXT NOT "
                    "NULL, order_key TEXT NOT NULL, order_sys_id BIGINT, order_ref BIGINT, order_no TEXT, "
                    "security_id TEXT, side TEXT, limit_price DOUBLE PRECISION, order_qty BIGINT, order_type "
                    "TEXT, order_status TEXT, msg_kind INTEGER, security_type INTEGER, trade_qty BIGINT, "
                    "leaves_qty BIGINT, trade_amount DOUBLE PRECISION, error_code INTEGER, recv_time TEXT, "
                    "order_text TEXT, PRIMARY KEY (account, market, trading_day, order_key))"),
                QStringLiteral(
                    "CREATE TABLE trades (account TEXT NOT NULL, market TEXT NOT NULL, trading_day TEXT NOT "
                    "NULL, trade_key TEXT NOT NULL, order_sys_id BIGINT, order_no TEXT, security_id TEXT, "
                    "side "
                    "TEXT, trade_price DOUBLE PRECISION, trade_qty BIGINT, leaves_qty BIGINT, trade_time "
                    "TEXT, "
                    "order_type TEXT, cash_replace_amount DOUBLE PRECISION, "
                    "PRIMARY KEY (account, market, trading_day, trade_key))"),
                QStringLiteral(
                    "CREATE TABLE positions (account TEXT NOT NULL, market TEXT NOT NULL, trading_day TEXT "
                    "NOT "
                    "NULL, security_id TEXT NOT NULL, today_buy_qty BIGINT, today_sell_qty BIGINT, "
                    "yesterday_qty BIGINT, total_qty BIGINT, available_qty BIGINT, position_cost DOUBLE "
                    "PRECISION, purchasable_qty BIGINT, redeemable_qty BIGINT, "
                    "PRIMARY KEY (account, market, trading_day, security_id))"),
                QStringLiteral(
                    "CREATE TABLE fund_moves (account TEXT NOT NULL, market TEXT NOT NULL, trading_day TEXT "
                    "NOT "
                    "NULL, move_key TEXT NOT NULL, kind INTEGER, org_code TEXT, amount DOUBLE PRECISION, "
                    "direction TEXT, oper_time TEXT, error_code INTEGER, transfer_status TEXT, "
                    "PRIMARY KEY (account, market, trading_day, move_key))"),
            };
        case 2:
            // Fees per fill, for a counter that reports them; empty until one does.
            return {QStringLiteral("ALTER TABLE trades ADD COLUMN fee DOUBLE PRECISION")};
        default:
            return {};
    }
}

bool hasVersionTable(const QSqlDatabase& db) {
    return db.tables().contains(QStringLiteral("schema_version"));
}

}  // namespace

int latestVersion() {
    return 2;
}

int versionOf(const QSqlDatabase& db, QString* error) {
    if (!hasVersionTable(db)) return 0;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !query.next()) {
        if (error) *error = query.lastError().text();
        return -1;
    }
    return query.value(0).toInt();
}

bool migrate(QSqlDatabase& db, int target, QString* error) {
    const int current = versionOf(db, error);
    if (current < 0) return false;
    if (current > target) {
        if (error) *error = QStringLiteral("schema version %1 is newer than %2").arg(current).arg(target);
        return false;
    }
    for (int version = current + 1; version <= target; ++version) {
        if (!db.transaction()) {
            if (error) *error = db.lastError().text();
            return false;
        }
        QSqlQuery query(db);
        QStringList statements = stepStatements(version);
        statements << QStringLiteral("UPDATE schema_version SET version = %1").arg(version);
        for (const QString& sql : statements) {
            if (!query.exec(sql)) {
                if (error) *error = query.lastError().text();
                db.rollback();
                return false;
            }
        }
        if (!db.commit()) {
            if (error) *error = db.lastError().text();
            db.rollback();
            return false;
        }
    }
    return true;
}

}  // namespace JournalSchema
