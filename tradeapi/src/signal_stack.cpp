#include "signal_stack.h"

#if defined(__unix__)
#include <signal.h>
#include <sys/mman.h>

#include <cstddef>

namespace moru {
namespace {

constexpr std::size_t kStackBytes = 64 * 1024;

struct ThreadStack {
    void* memory = nullptr;
    ~ThreadStack() {
        if (!memory) return;
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
        munmap(memory, kStackBytes);
    }
};
thread_local ThreadStack t_stack;

}  // namespace

void ensureSignalStack() {
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE)) return;
    void* memory = mmap(nullptr, kStackBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return;
    stack_t ss{};
    ss.ss_sp = memory;
    ss.ss_size = kStackBytes;
    if (sigaltstack(&ss, nullptr) != 0) {
        munmap(memory, kStackBytes);
        return;
    }
    t_stack.memory = memory;
}

}  // namespace moru

#else

namespace moru {
void ensureSignalStack() {}
}  // namespace moru

#endif
