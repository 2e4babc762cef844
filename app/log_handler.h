#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// The daily log file: one line per Qt message, under log/ of the working directory. The file stays
// open between messages and is opened anew when the date changes or the file is gone.

// Installed with qInstallMessageHandler; safe from any thread.
void logMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);

// One log line without its CR LF.
QString formatLogLine(const QDateTime& now, QtMsgType type, const QMessageLogContext& context,
                      const QString& message, qint64 pid);

// The folder of the daily files: log/ under the working directory as it is at each message, unless
// start-up chose another (an installed program logs into the user's state folder).
QString logDirectory();
void setLogDirectory(const QString& dir);

// "<dir>/Moru-Desk-yyyyMMdd.log".
QString logFileName(const QString& logDir, const QDate& date);

// The handler reads the clock (ms since the epoch) through this; tests replace it to cross midnight.
using LogClock = qint64 (*)();
void setLogClock(LogClock clock);
