#include "platform/crash_dump.h"

namespace {
// Writes value as exactly `width` decimal digits with leading zeros.
char* putDigits(char* out, unsigned value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}
}  // namespace

void formatCrashDumpName(char* buf, std::size_t size, unsigned year, unsigned month, unsigned day,
                         unsigned hour, unsigned minute, unsigned second, unsigned msec) {
    // "%04hu%02hu%02hu_%02hu%02hu%02hu%03hu.dmp" is 23 characters plus the NUL.
    if (size < 24) {
        if (size > 0) buf[0] = '\0';
        return;
    }
    char* p = buf;
    p = putDigits(p, year, 4);
    p = putDigits(p, month, 2);
    p = putDigits(p, day, 2);
    *p++ = '_';
    p = putDigits(p, hour, 2);
    p = putDigits(p, minute, 2);
    p = putDigits(p, second, 2);
    p = putDigits(p, msec, 3);
    const char ext[] = ".dmp";
    for (char c : ext) *p++ = c;
}

bool joinCrashDumpPath(char* out, std::size_t size, const char* folder, const char* name) {
    if (size == 0) return false;
    std::size_t n = 0;
    auto put = [&](const char* s) {
        for (; s && *s; ++s) {
            if (n + 1 >= size) return false;
            out[n++] = *s;
        }
        return true;
    };
    const bool hasFolder = folder && folder[0] != '\0';
    if ((hasFolder && (!put(folder) || !put("/"))) || !put(name)) {
        out[0] = '\0';
        return false;
    }
    out[n] = '\0';
    return true;
}
