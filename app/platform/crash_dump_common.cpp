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
