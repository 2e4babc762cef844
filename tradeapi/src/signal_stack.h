#pragma once

namespace moru {

// Gives the calling thread an alternate signal stack of its own if it has none, so that a host
// program's crash handler can still run when this thread overflows its stack. Freed when the
// thread ends.
void ensureSignalStack();

}  // namespace moru
