#pragma once

#include <QSqlDatabase>
#include <QString>

// The journal's tables, one migration per version from 1 on. The same statements run on SQLite and
// on PostgreSQL.
namespace JournalSchema {

// The version this build writes.
int latestVersion();

// 0 for an empty database; -1 when it cannot be read.
int versionOf(const QSqlDatabase& db, QString* error = nullptr);

// Brings the database from its version up to `target`, each step in its own transaction. Refuses a
// database written by a newer version. False with a reason in `error` when a step failed.
bool migrate(QSqlDatabase& db, int target, QString* error);

}  // namespace JournalSchema
