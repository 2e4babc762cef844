#pragma once

#include <cstddef>

// Writes a dump file into the working directory when the process dies of a fatal fault.
// The file is named from the local time: yyyyMMdd_hhmmsszzz.dmp.
void installCrashDumpHandler();

// Gives the calling thread its own signal stack, so a stack overflow on it still writes the dump.
// Every thread the program starts calls it first; the handler itself is process-wide.
void installCrashDumpStackForThread();

// Formats the dump name into buf (at least 32 bytes). Async-signal-safe.
void formatCrashDumpName(char* buf, std::size_t size, unsigned year, unsigned month, unsigned day,
                         unsigned hour, unsigned minute, unsigned second, unsigned msec);
