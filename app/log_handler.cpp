#include "log_handler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QTextStream>

namespace {

QDateTime systemClock() {
    return QDateTime::currentDateTime();
}

std::atomic<LogClock> g_clock{&systemClock};

QMutex& logMutex() {
    // Never destroyed: messages may still arrive from other threads while statics are torn down.
    static QMutex* mutex = new QMutex;
    return *mutex;
}

// Set while this thread is inside the handler: anything Qt logs from the file or stream classes
// meanwhile is dropped instead of deadlocking on the non-recursive mutex.
thread_local bool t_inHandler = false;

QString levelWord(QtMsgType type) {
    switch (type) {
        case QtDebugMsg:
            return QStringLiteral("DEBUG     ");
        case QtWarningMsg:
            return QStringLiteral("WARNING  ");
        case QtInfoMsg:
            return QStringLiteral("INFO     ");
        case QtCriticalMsg:
        case QtFatalMsg:
            break;
    }
    return QString();
}

// Never destroyed, as the log mutex.
struct LogDirChoice {
    QMutex mutex;
    QString dir;
};
LogDirChoice& logDirChoice() {
    static auto* choice = new LogDirChoice;
    return *choice;
}

}  // namespace

QString logDirectory() {
    LogDirChoice& choice = logDirChoice();
    QMutexLocker lock(&choice.mutex);
    return choice.dir.isEmpty() ? QDir::currentPath() + QStringLiteral("/log") : choice.dir;
}

void setLogDirectory(const QString& dir) {
    LogDirChoice& choice = logDirChoice();
    QMutexLocker lock(&choice.mutex);
    choice.dir = dir;
}

QString formatLogLine(const QDateTime& now, QtMsgType type, const QMessageLogContext& context,
                      const QString& message, qint64 pid) {
    QString file = QString::fromUtf8(context.file ? context.file : "");
    const int slash = file.lastIndexOf(QLatin1Char('\\'));
    if (slash >= 0) file = file.mid(slash + 1);
    const QString location = QStringLiteral("%1:%2").arg(file, QString::number(context.line));

    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QStringLiteral("   "), levelWord(type),
             location.rightJustified(37, QLatin1Char(' ')) + QStringLiteral("   "),
             QStringLiteral("%1").arg(pid, 8, 10, QLatin1Char('0')) + QStringLiteral("   "), message);
}

QString logFileName(const QString& logDir, const QDate& date) {
    return QStringLiteral("%0/Moru-Desk-%1.log").arg(logDir, date.toString(QStringLiteral("yyyyMMdd")));
}

void setLogClock(LogClock clock) {
    g_clock.store(clock ? clock : &systemClock);
}

void logMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (t_inHandler) return;
    t_inHandler = true;
    {
        QMutexLocker lock(&logMutex());
        const LogClock clock = g_clock.load();
        const QString line =
            formatLogLine(clock(), type, context, message, QCoreApplication::applicationPid());

        const QString logDir = logDirectory();
        QDir dir(logDir);
        if (!dir.exists()) dir.mkdir(logDir);

        // The date is read again: a message at midnight may carry yesterday's time in today's file.
        QFile file(logFileName(logDir, clock().date()));
        if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            QTextStream stream(&file);
            stream.setCodec("UTF-8");
            stream << line << "\r\n";
            stream.flush();
            file.close();
        }
    }
    t_inHandler = false;
}
