#include <QtGlobal>

#ifdef Q_OS_WIN

// clang-format off
#include <windows.h>
#include <dbghelp.h>
// clang-format on

#include "platform/crash_dump.h"

namespace {
wchar_t g_folder[MAX_PATH];
}  // namespace

LONG WINAPI crashDumpFilter(EXCEPTION_POINTERS* exceptionPointers) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char name[32];
    formatCrashDumpName(name, sizeof name, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                        t.wMilliseconds);
    wchar_t wideName[MAX_PATH + 32];
    int i = 0;
    for (; g_folder[i] != L'\0'; ++i) wideName[i] = g_folder[i];
    if (i > 0) wideName[i++] = L'\\';
    for (int j = 0; j < 31 && name[j] != '\0'; ++j) wideName[i++] = static_cast<wchar_t>(name[j]);
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

void installCrashDumpHandler(const char* folder) {
    g_folder[0] = L'\0';
    if (folder && folder[0] != '\0' &&
        MultiByteToWideChar(CP_UTF8, 0, folder, -1, g_folder, MAX_PATH - 1) == 0)
        g_folder[0] = L'\0';
    SetUnhandledExceptionFilter(crashDumpFilter);
}

// The filter runs on the system's own terms; threads need nothing of their own.
void installCrashDumpStackForThread() {}

#endif
