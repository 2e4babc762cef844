#include <QtGlobal>

#ifndef Q_OS_WIN

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>

#include "platform/crash_dump.h"

namespace {

const int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGSYS, SIGTRAP};
long g_utcOffsetSeconds = 0;
alignas(16) char g_altStack[64 * 1024];
char g_folder[4096];
constexpr std::size_t kThreadAltStackBytes = 64 * 1024;

// A thread's own alternate stack, given back when the thread ends.
struct ThreadAltStack {
    void* memory = nullptr;
    ~ThreadAltStack() {
        if (!memory) return;
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
        munmap(memory, kThreadAltStackBytes);
    }
};
thread_local ThreadAltStack t_altStack;

void writeAll(int fd, const char* data, std::size_t len) {
    while (len > 0) {
        const ssize_t n = ::write(fd, data, len);
        if (n <= 0) return;
        data += n;
        len -= static_cast<std::size_t>(n);
    }
}

void writeStr(int fd, const char* s) {
    writeAll(fd, s, strlen(s));
}

void writeNumber(int fd, std::uintptr_t value, unsigned base) {
    char buf[32];
    int i = sizeof buf;
    do {
        const unsigned digit = static_cast<unsigned>(value % base);
        buf[--i] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
        value /= base;
    } while (value != 0 && i > 0);
    writeAll(fd, buf + i, sizeof buf - i);
}

// Civil date from days since 1970-01-01 (proleptic Gregorian); localtime() is not signal-safe.
void civilFromDays(long z, unsigned& y, unsigned& m, unsigned& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long yy = static_cast<long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<unsigned>(yy + (m <= 2 ? 1 : 0));
}

void crashHandler(int sig, siginfo_t* info, void*) {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    const long local = static_cast<long>(ts.tv_sec) + g_utcOffsetSeconds;
    long days = local / 86400;
    long secs = local % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    unsigned y, mo, d;
    civilFromDays(days, y, mo, d);
    char name[32];
    formatCrashDumpName(name, sizeof name, y, mo, d, static_cast<unsigned>(secs / 3600),
                        static_cast<unsigned>(secs / 60 % 60), static_cast<unsigned>(secs % 60),
                        static_cast<unsigned>(ts.tv_nsec / 1000000));

    char path[sizeof g_folder + sizeof name];
    joinCrashDumpPath(path, sizeof path, g_folder, name);
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        writeStr(fd, "signal ");
        writeNumber(fd, static_cast<std::uintptr_t>(sig), 10);
        writeStr(fd, "\nfault address 0x");
        writeNumber(fd, reinterpret_cast<std::uintptr_t>(info ? info->si_addr : nullptr), 16);
        writeStr(fd, "\npid ");
        writeNumber(fd, static_cast<std::uintptr_t>(getpid()), 10);
        writeStr(fd, "\n\nbacktrace:\n");
        void* frames[64];
        const int count = backtrace(frames, 64);
        backtrace_symbols_fd(frames, count, fd);
        writeStr(fd, "\nmemory map:\n");
        const int maps = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
        if (maps >= 0) {
            char buf[4096];
            ssize_t n;
            while ((n = ::read(maps, buf, sizeof buf)) > 0) writeAll(fd, buf, static_cast<std::size_t>(n));
            ::close(maps);
        }
        ::close(fd);
    }
    // Let the default action end the process with the original signal.
    signal(sig, SIG_DFL);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, sig);
    sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    raise(sig);
    _exit(128 + sig);
}

}  // namespace

void installCrashDumpHandler(const char* folder) {
    g_folder[0] = '\0';
    if (folder && strlen(folder) < sizeof g_folder) strcpy(g_folder, folder);
    // The handler cannot call localtime(); take the zone offset now.
    const time_t now = time(nullptr);
    tm local{};
    if (localtime_r(&now, &local)) g_utcOffsetSeconds = local.tm_gmtoff;
    // The first backtrace() loads the unwinder; do it now rather than inside the handler.
    void* warm[1];
    backtrace(warm, 1);

    stack_t ss{};
    ss.ss_sp = g_altStack;
    ss.ss_size = sizeof g_altStack;
    sigaltstack(&ss, nullptr);

    struct sigaction sa {};
    sa.sa_sigaction = &crashHandler;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&sa.sa_mask);
    for (int sig : kSignals) sigaction(sig, &sa, nullptr);
}

void installCrashDumpStackForThread() {
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE)) return;
    void* memory =
        mmap(nullptr, kThreadAltStackBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return;
    stack_t ss{};
    ss.ss_sp = memory;
    ss.ss_size = kThreadAltStackBytes;
    if (sigaltstack(&ss, nullptr) != 0) {
        munmap(memory, kThreadAltStackBytes);
        return;
    }
    t_altStack.memory = memory;
}

#endif
