#pragma once

#include <QMetaType>
#include <QString>

// Where the journal lives: an SQLite file, or a PostgreSQL server when `server` is set (a host name,
// or the folder of its Unix socket).
struct JournalTarget {
    QString sqlitePath;
    QString server;
    int port = 5432;
    QString database;
    QString user;
    QString password;
    // How long a write waits for another process that holds the file.
    int busyTimeoutMs = 2000;
    // SQLite only, 0 = no limit: a file that may not grow past this many pages fills up as a full disk
    // would.
    int maxPages = 0;

    bool isServer() const { return !server.isEmpty(); }
    // For log lines and messages: the file, or database@server; never the password.
    QString describe() const;
};

Q_DECLARE_METATYPE(JournalTarget)
