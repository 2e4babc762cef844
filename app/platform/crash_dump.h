#pragma once

#include <cstddef>

// Writes a dump file when the process dies of a fatal fault, into `folder` (UTF-8; null or empty: the
// working directory). The file is named from the local time: yyyyMMdd_hhmmsszzz.dmp.
void installCrashDumpHandler(const char* folder = nullptr);

// Gives the calling thread its own signal stack, so a stack overflow on it still writes the dump.
// Every thread the program starts calls it first; the handler itself is process-wide.
void installCrashDumpStackForThread();

// Formats the dump name into buf (at least 32 bytes). Async-signal-safe.
void formatCrashDumpName(char* buf, std::size_t size, unsigned year, unsigned month, unsigned day,
                         unsigned hour, unsigned minute, unsigned second, unsigned msec);

// "<folder>/<name>" into out, or name alone when folder is empty. False (and out empty) when it does
// not fit. Async-signal-safe.
bool joinCrashDumpPath(char* out, std::size_t size, const char* folder, const char* name);
