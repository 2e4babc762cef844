// One log line through the program's handler, beside the same bytes written the plain ways: the
// day's file opened, appended to and closed for every line, and one write(2) to a file kept open.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "log_handler.h"
#include "order_bench_support.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

using bench::median;

namespace {

constexpr int BATCHES = 200;
constexpr int PER_BATCH = 100;

const QMessageLogContext kContext("app/user/queryWindow/ordered_widget.cpp", 312, "fn", "default");

QString messageFor(int i) {
    return QStringLiteral("mpRspFieldMap.value(i).OrderSysID %1").arg(i);
}

// Microseconds per line, the median over the batches.
template <typename WriteLine>
double perLine(WriteLine writeLine) {
    std::vector<double> us;
    for (int b = 0; b < BATCHES; ++b) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < PER_BATCH; ++i) writeLine(b * PER_BATCH + i);
        us.push_back(t.nsecsElapsed() / 1e3 / PER_BATCH);
    }
    return median(us);
}

QByteArray lineBytes(int i) {
    return formatLogLine(QDateTime::currentDateTime(), QtInfoMsg, kContext, messageFor(i),
                         QCoreApplication::applicationPid())
               .toUtf8() +
           "\r\n";
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());  // the handler's file goes to log/ here
    QDir().mkdir(dir.path() + "/plain");

    // Messages are made beforehand, as qInfo() makes them before the handler is called.
    std::vector<QString> messages;
    for (int i = 0; i < BATCHES * PER_BATCH; ++i) messages.push_back(messageFor(i));
    const double handler =
        perLine([&](int i) { logMessageHandler(QtInfoMsg, kContext, messages[size_t(i)]); });

    // The lines are made beforehand: only the file work is timed.
    std::vector<QByteArray> lines;
    for (int i = 0; i < BATCHES * PER_BATCH; ++i) lines.push_back(lineBytes(i));

    const QString reopenPath = dir.path() + "/plain/reopen.log";
    const double reopen = perLine([&](int i) {
        QFile f(reopenPath);
        if (f.open(QIODevice::WriteOnly | QIODevice::Append)) f.write(lines[size_t(i)]);
    });

#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(dir.path() + "/plain/open.log").constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    const double bare = perLine([&](int i) {
        const QByteArray& l = lines[size_t(i)];
        if (::write(fd, l.constData(), size_t(l.size())) < 0) std::perror("write");
    });
    ::close(fd);
#else
    const double bare = 0;
#endif

    std::printf("log line: %d lines in batches of %d (median per line)\n", BATCHES * PER_BATCH, PER_BATCH);
    std::printf("  through the log handler:                  %6.2f us   (goal <= 2.00)\n", handler);
    std::printf("  plain: open, append, close per line:      %6.2f us\n", reopen);
    std::printf("  plain: one write(2) to a file kept open:  %6.2f us\n", bare);
    return 0;
}
