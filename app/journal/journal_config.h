#pragma once

#include <QString>

#include "journal/journal_target.h"

class DeskSettings;

// The [journal] section of moru-desk.ini:
//   enabled=true            journal on or off
//   file=                   the SQLite file; empty = journal.sqlite in the user's data folder
//   server=                 a PostgreSQL host (or socket folder); set = the desk's shared journal
//   port=5432  database=moru_journal  user=  password=
//   retentionDays=0         days kept; 0 = forever
//   batchMs=100             how long rows wait to be written together
struct JournalConfig {
    bool enabled = true;
    JournalTarget target;
    int retentionDays = 0;
    int batchMs = 100;

    static JournalConfig fromSettings(const DeskSettings& settings);
    // journal.sqlite under the user's data folder (XDG_DATA_HOME, ~/.local/share/Moru-Desk).
    static QString defaultFile();
};
