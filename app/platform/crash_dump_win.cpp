#include <QtGlobal>

#ifdef Q_OS_WIN

// clang-format off
#include <windows.h>
#include <dbghelp.h>
// clang-format on

#include "platform/crash_dump.h"

LONG WINAPI crashDumpFilter(EXCEPTION_POINTERS* exceptionPointers) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char name[32];
    formatCrashDumpName(name, sizeof name, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                        t.wMilliseconds);
    wchar_t wideName[32];
    int i = 0;
    for (; i < 31 && name[i] != '\0'; ++i) wideName[i] = static_cast<wchar_t>(name[i]);
    wideName[i] = L'\0';

    HANDLE file =
        CreateFileW(wideName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        MINIDUMP_EXCEPTION_INFORMATION info;
        info.ThreadId = GetCurrentThreadId();
        info.ExceptionPointers = exceptionPointers;
        info.ClientPointers = TRUE;
        MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &info, nullptr,
                          nullptr);
        CloseHandle(file);
    }
    return EXCEPTION_EXECUTE_HANDLER;
}

void installCrashDumpHandler() {
    SetUnhandledExceptionFilter(crashDumpFilter);
}

// The filter runs on the system's own terms; threads need nothing of their own.
void installCrashDumpStackForThread() {}

#endif
