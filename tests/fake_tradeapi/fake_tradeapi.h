#pragma once

// Control side of the fake trading library. Every call the terminal makes is recorded; results are
// scripted per function; callbacks are fired on threads of the fake's own, as the real library does.

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "moru_securities_api.h"

namespace fakeapi {

struct Request {
    std::string function;        // "reqInsertOrder", ...
    std::vector<uint8_t> bytes;  // the record exactly as passed (sizeof the record)
    int requestId = 0;
    int entryNo = 0;

    // The record read back; the size must match.
    template <typename T>
    T as() const {
        T record{};
        if (bytes.size() == sizeof(T)) std::memcpy(&record, bytes.data(), sizeof(T));
        return record;
    }
};

struct LoginCall {
    std::string configPath, account, password;
    int entryNo = 0, node = 0, requestId = 0;
    char market = 0;
};

struct ErrMsgCall {
    int errorId = 0;
    char market = 0;
    int flag = 0;
    int entryNo = 0;
};

// Forgets every call, script, table and entry.
void reset();

// The next call of `function` returns `result` (queued, first in first out); unscripted calls return 0,
// except createTraderApi, which then behaves like the real one (-1 out of range, -2 already created).
void scriptResult(const std::string& function, int result);

std::vector<Request> requests();
std::vector<LoginCall> logins();
std::vector<int> releasedEntries();
std::vector<ErrMsgCall> errMsgCalls();
bool entryExists(int entryNo);

// The table last passed to registerSpi for an entry (zero when none was).
CMoruTraderSpi registeredSpi(int entryNo = 0);
int registerCount();

// Texts getErrMsgEx hands out; unknown ids give "".
void setErrMsg(int errorId, const std::string& text);

// Runs `fire` on a new thread with the registered table and waits for it to finish.
void fireOnOwnThread(const std::function<void(const CMoruTraderSpi&)>& fire, int entryNo = 0);

}  // namespace fakeapi
