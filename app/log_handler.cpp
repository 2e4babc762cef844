#include "log_handler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#endif

namespace {

std::atomic<LogClock> g_clock{&QDateTime::currentMSecsSinceEpoch};

QMutex& logMutex() {
    // Never destroyed: messages may still arrive from other threads while statics are torn down.
    static QMutex* mutex = new QMutex;
    return *mutex;
}

// Set while this thread is inside the handler: anything Qt logs from the file classes meanwhile is
// dropped instead of deadlocking on the non-recursive mutex.
thread_local bool t_inHandler = false;

// Where the day's file goes; asked again whenever the file has to be opened anew.
QString logFolder() {
    return logDirectory();
}

const char* levelWord(QtMsgType type) {
    switch (type) {
        case QtDebugMsg:
            return "DEBUG     ";
        case QtWarningMsg:
            return "WARNING  ";
        case QtInfoMsg:
            return "INFO     ";
        case QtCriticalMsg:
        case QtFatalMsg:
            break;
    }
    return "";
}

bool isAscii(const char* s, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
    return true;
}

void appendBlanks(QByteArray& out, int n) {
    if (n > 0) out.append(n, ' ');
}

// The timestamp field, "yyyy-MM-dd hh:mm:ss" in local time.
QByteArray stampOf(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1();
}

// The process id field: at least 8 digits, zero-padded.
QByteArray pidField(qint64 pid) {
    return QStringLiteral("%1").arg(pid, 8, 10, QLatin1Char('0')).toLatin1();
}

// The line after its timestamp: level word, location field, process id and message, then CR LF.
void appendLineBody(QByteArray& out, QtMsgType type, const QMessageLogContext& context,
                    const QString& message, const QByteArray& pid) {
    out.append("    ").append(levelWord(type)).append(' ');

    // Only what follows the last backslash; the field is 37 characters wide, counted as Qt counts them.
    const char* file = context.file ? context.file : "";
    if (const char* slash = std::strrchr(file, '\\')) file = slash + 1;
    // ":" and the line number, written from the end of the buffer.
    char lineBuf[16];
    char* lineNo = lineBuf + sizeof lineBuf;
    unsigned n = context.line < 0 ? 0u - unsigned(context.line) : unsigned(context.line);
    do {
        *--lineNo = char('0' + n % 10);
        n /= 10;
    } while (n);
    if (context.line < 0) *--lineNo = '-';
    *--lineNo = ':';
    const int lineLen = int(lineBuf + sizeof lineBuf - lineNo);
    const size_t fileLen = std::strlen(file);
    if (isAscii(file, fileLen)) {
        appendBlanks(out, 37 - int(fileLen) - lineLen);
        out.append(file, int(fileLen));
    } else {
        const QString name = QString::fromUtf8(file, int(fileLen));
        appendBlanks(out, 37 - name.size() - lineLen);
        out.append(name.toUtf8());
    }
    out.append(lineNo, lineLen).append("    ");

    out.append(pid).append("    ");

    // Plain ASCII text is copied as it stands; anything else goes through the UTF-8 encoder.
    const QChar* chars = message.constData();
    const int size = message.size();
    int i = 0;
    while (i < size && chars[i].unicode() < 0x80) ++i;
    if (i == size) {
        const int at = out.size();
        out.resize(at + size);
        char* dst = out.data() + at;
        for (int k = 0; k < size; ++k) dst[k] = char(chars[k].unicode());
    } else {
        out.append(message.toUtf8());
    }
    out.append("\r\n");
}

// The open day's file and what is needed to tell, cheaply, that another one is due.
struct DayFile {
    QFile file;
    qint64 dayStart = 0;  // the local day the file belongs to, in ms since the epoch
    qint64 dayEnd = 0;
    QByteArray pid;           // read at each opening: a system call per line is a sizeable share of its cost
    qint64 stampSecond = -1;  // the second `stamp` shows
    QByteArray stamp;
    QByteArray line;  // kept between messages so its memory is reused
#ifdef Q_OS_LINUX
    int notifyFd = -1;
    int watch = -1;
#endif

    DayFile() {
        line.reserve(512);
    }

    // Still ours: open, and neither deleted nor moved away from its name. After a write, asking the
    // file system about the file costs more than the write; a watch on the folder costs one read.
    bool usable() {
        if (!file.isOpen()) return false;
#ifdef Q_OS_LINUX
        if (watch >= 0) {
            alignas(inotify_event) char events[4096];
            return ::read(notifyFd, events, sizeof events) < 0 && errno == EAGAIN;
        }
#endif
#ifdef Q_OS_UNIX
        struct stat st;
        return ::fstat(file.handle(), &st) == 0 && st.st_nlink > 0;
#else
        return file.exists();
#endif
    }

    void open(qint64 now) {
        file.close();
        pid = pidField(QCoreApplication::applicationPid());
        const QDate day = QDateTime::fromMSecsSinceEpoch(now).date();
        dayStart = QDateTime(day, QTime(0, 0)).toMSecsSinceEpoch();
        dayEnd = QDateTime(day.addDays(1), QTime(0, 0)).toMSecsSinceEpoch();
        const QString folder = logFolder();
        QDir().mkpath(folder);  // the state folder of an installed copy may not exist yet
        watchFolder(folder);
        file.setFileName(logFileName(folder, day));
        // Unbuffered: each line is one write to the system, so a crash loses nothing already logged.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) dayEnd = dayStart;
    }

    // Any removal or move in the folder, or of the folder itself, makes the next message open the
    // file anew. Without a watch every message asks after the file instead.
    void watchFolder(const QString& folder) {
#ifdef Q_OS_LINUX
        if (notifyFd < 0) notifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (notifyFd < 0) return;
        if (watch >= 0) inotify_rm_watch(notifyFd, watch);
        alignas(inotify_event) char events[4096];
        while (::read(notifyFd, events, sizeof events) > 0) {
        }
        watch = inotify_add_watch(
            notifyFd, QFile::encodeName(folder).constData(),
            IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
#else
        Q_UNUSED(folder);
#endif
    }

    const QByteArray& stampFor(qint64 now) {
        const qint64 second = now >= 0 ? now / 1000 : (now - 999) / 1000;
        if (second != stampSecond) {
            stamp = stampOf(QDateTime::fromMSecsSinceEpoch(now));
            stampSecond = second;
        }
        return stamp;
    }
};

// The whole line in one write. Past the device layer on Unix: its bookkeeping is a tenth of the cost
// of a line, and nothing here reads the file's position.
void writeLine(QFile& file, const QByteArray& line) {
#ifdef Q_OS_UNIX
    while (::write(file.handle(), line.constData(), size_t(line.size())) < 0 && errno == EINTR) {
    }
#else
    file.write(line);
#endif
}

DayFile& dayFile() {
    static DayFile* f = new DayFile;  // as the mutex: never torn down under a late message
    return *f;
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
    QByteArray line = stampOf(now);
    appendLineBody(line, type, context, message, pidField(pid));
    line.chop(2);
    return QString::fromUtf8(line);
}

QString logFileName(const QString& logDir, const QDate& date) {
    return QStringLiteral("%0/Moru-Desk-%1.log").arg(logDir, date.toString(QStringLiteral("yyyyMMdd")));
}

void setLogClock(LogClock clock) {
    g_clock.store(clock ? clock : &QDateTime::currentMSecsSinceEpoch);
}

void logMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (t_inHandler) return;
    t_inHandler = true;
    const int callerErrno = errno;
    {
        QMutexLocker lock(&logMutex());
        DayFile& f = dayFile();
        const LogClock clock = g_clock.load();
        const qint64 stampTime = clock();
        // The date is read again: a message at midnight may carry yesterday's time in today's file.
        const qint64 now = clock();
        if (now < f.dayStart || now >= f.dayEnd || !f.usable()) f.open(now);
        if (f.file.isOpen()) {
            QByteArray& line = f.line;
            line.resize(0);
            line.append(f.stampFor(stampTime));
            appendLineBody(line, type, context, message, f.pid);
            writeLine(f.file, line);
        }
    }
    errno = callerErrno;
    t_inHandler = false;
}
