#include "journal/journal_config.h"

#include <QStandardPaths>

#include "utils/desk_settings.h"

JournalConfig JournalConfig::fromSettings(const DeskSettings& s) {
    JournalConfig c;
    c.enabled = s.flag(QStringLiteral("journal/enabled"), true);
    c.target.sqlitePath = s.text(QStringLiteral("journal/file"), QString());
    if (c.target.sqlitePath.isEmpty()) c.target.sqlitePath = defaultFile();
    c.target.server = s.text(QStringLiteral("journal/server"), QString());
    c.target.port = s.integer(QStringLiteral("journal/port"), 5432, 1, 65535);
    c.target.database = s.text(QStringLiteral("journal/database"), QStringLiteral("moru_journal"));
    c.target.user = s.text(QStringLiteral("journal/user"), QString());
    c.target.password = s.text(QStringLiteral("journal/password"), QString());
    c.retentionDays = s.integer(QStringLiteral("journal/retentionDays"), 0, 0, 36500);
    c.batchMs = s.integer(QStringLiteral("journal/batchMs"), 100, 1, 1000);
    return c;
}

QString JournalConfig::defaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/journal.sqlite");
}
