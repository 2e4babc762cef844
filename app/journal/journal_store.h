#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVector>
#include <memory>

#include "journal/journal_rows.h"
#include "journal/journal_target.h"

// One connection to the journal, used from one thread: opens and migrates it, writes batches in one
// transaction each, drops old days and reads rows back for the history page.
class JournalStore {
public:
    enum class OpenResult { Opened, Failed, Newer };

    explicit JournalStore(const QString& connectionName);
    ~JournalStore();
    JournalStore(const JournalStore&) = delete;
    JournalStore& operator=(const JournalStore&) = delete;

    OpenResult open(const JournalTarget& target, int schemaVersion);
    bool isOpen() const { return m_open; }
    void close();
    // Why the last call failed; for Newer, the version found.
    QString error() const { return m_error; }
    int foundVersion() const { return m_foundVersion; }

    // All or nothing: a failed write leaves the journal as it was.
    bool write(const JournalBatch& batch);
    // Removes days before today - days + 1; 0 keeps every day.
    bool applyRetention(const QDate& today, int days);

    // Rows of one account and market, days from .. to inclusive (dates "yyyy-MM-dd"), in time order.
    QVector<JournalOrder> orders(const QString& account, const QString& market, const QString& from,
                                 const QString& to);
    QVector<JournalTrade> trades(const QString& account, const QString& market, const QString& from,
                                 const QString& to);
    QVector<JournalPosition> positions(const QString& account, const QString& market, const QString& from,
                                       const QString& to);
    QVector<JournalFundMove> funds(const QString& account, const QString& market, const QString& from,
                                   const QString& to);

    // Rows in a table, for tests and the log.
    qint64 count(const QString& table);
    QSqlDatabase database() const;

private:
    bool prepare();
    bool fail(const QString& what);
    bool writeOrder(const JournalOrder& row);
    bool writeTrade(const JournalTrade& row);
    bool writePosition(const JournalPosition& row);
    bool writeFund(const JournalFundMove& row);

    QString m_name;
    bool m_open = false;
    QString m_error;
    int m_foundVersion = 0;
    std::unique_ptr<QSqlQuery> m_orderFromQuery;
    std::unique_ptr<QSqlQuery> m_orderFromReturn;
    std::unique_ptr<QSqlQuery> m_trade;
    std::unique_ptr<QSqlQuery> m_position;
    std::unique_ptr<QSqlQuery> m_fund;
};
