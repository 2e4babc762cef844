// Installs the crash handler and dies of a fault, for the crash-dump test: a segmentation fault on the
// main thread, the dump going into the folder named by the first argument if any; or, with
// "thread-overflow", a stack overflow on a thread started the way the program does.
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
    if (argc > 1 && std::strcmp(argv[1], "thread-overflow") == 0) {
        installCrashDumpHandler(nullptr);
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
    installCrashDumpHandler(argc > 1 ? argv[1] : nullptr);
    std::raise(SIGSEGV);
    return 0;
}
