// Installs the crash handler and dies of a segmentation fault, for the crash-dump test.
#include <csignal>

#include "platform/crash_dump.h"

int main() {
    installCrashDumpHandler();
    std::raise(SIGSEGV);
    return 0;
}
