#include "journal/journal_target.h"

QString JournalTarget::describe() const {
    if (!isServer()) return sqlitePath;
    return QStringLiteral("%1@%2:%3").arg(database, server).arg(port);
}
