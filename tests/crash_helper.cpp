// Installs the crash handler and dies of a fault, for the crash-dump test: a segmentation fault on the
// main thread, or with "thread-overflow" a stack overflow on a thread started the way the program does.
#include <QCoreApplication>
#include <QThread>
#include <csignal>
#include <cstring>

#include "platform/crash_dump.h"

namespace {
// Each frame keeps a page alive, so the recursion runs out of stack quickly.
int recurse(volatile int depth) {
    if (depth < 0) return 0;  // never: keeps the compiler from calling it endless
    volatile char page[4096];
    page[0] = char(depth);
    return recurse(depth + 1) + page[0];
}
}  // namespace

int main(int argc, char** argv) {
    installCrashDumpHandler();
    if (argc > 1 && std::strcmp(argv[1], "thread-overflow") == 0) {
        QCoreApplication app(argc, argv);
        QThread thread;
        QObject::connect(&thread, &QThread::started, &thread, &installCrashDumpStackForThread,
                         Qt::DirectConnection);
        QObject::connect(
            &thread, &QThread::started, &thread, [] { recurse(0); }, Qt::DirectConnection);
        thread.start();
        thread.wait();
        return 0;
    }
    std::raise(SIGSEGV);
    return 0;
}
