// Installs the crash handler (into the folder named by the first argument, if any) and dies of a
// segmentation fault, for the crash-dump test.
#include <csignal>

#include "platform/crash_dump.h"

int main(int argc, char** argv) {
    installCrashDumpHandler(argc > 1 ? argv[1] : nullptr);
    std::raise(SIGSEGV);
    return 0;
}
