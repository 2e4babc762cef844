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
    // SQLite: copies what the batches since the last call left in the log into the file. For when the
    // writer is idle; a server keeps its own log.
    void checkpoint();
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
    // One upsert, prepared twice: for a single row and for kChunk rows in one statement.
    struct Upsert {
        std::unique_ptr<QSqlQuery> one;
        std::unique_ptr<QSqlQuery> many;
        int columns = 0;  // per row, with the scope
        // The scope last bound in each row of `many`, then in `one`: bound values stay between runs.
        QVector<JournalScope> bound;
    };

    bool prepare();
    bool prepareUpsert(Upsert& u, const QString& table, const QStringList& columns);
    bool fail(const QString& what);
    template <typename Row, typename Bind, typename Key>
    bool writeRows(Upsert& u, const Row* rows, int count, Bind bind, Key key);
    bool writeOrders(const QVector<JournalOrder>& rows);

    QString m_name;
    bool m_open = false;
    QString m_error;
    int m_foundVersion = 0;
    bool m_checkpoints = false;  // an SQLite file
    bool m_unsynced = false;     // written since the last checkpoint
    Upsert m_orderFromQuery;
    Upsert m_orderFromReturn;
    Upsert m_trade;
    Upsert m_position;
    Upsert m_fund;
};
