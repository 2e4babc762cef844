#pragma once

#include <cstddef>

// Writes a dump file into the working directory when the process dies of a fatal fault.
// The file is named from the local time: yyyyMMdd_hhmmsszzz.dmp.
void installCrashDumpHandler();

// Formats the dump name into buf (at least 32 bytes). Async-signal-safe.
void formatCrashDumpName(char* buf, std::size_t size, unsigned year, unsigned month, unsigned day,
                         unsigned hour, unsigned minute, unsigned second, unsigned msec);
