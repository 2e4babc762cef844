#pragma once

#include <QString>
#include <atomic>

// Process-wide login and request state. The values the trading library's threads write are atomics;
// the rest belong to the GUI and login threads.

// The one API instance the program uses.
inline constexpr int entryNo = 0;

// Request ids: each request takes the current value and advances it; reset to 0 after a link loss.
extern std::atomic<int> requestIdCounter;
int takeRequestId();

// Next client order reference, set from the login response; each order-like request takes one.
extern std::atomic<int> nextOrderRef;
int takeOrderRef();

// 1 = a link was lost, 2 = a login is in progress, 3 = logged in.
enum : int { LoginPhaseLinkLost = 1, LoginPhaseLoggingIn = 2, LoginPhaseReady = 3 };
extern std::atomic<int> loginPhase;

// Successful data-ready notifications since the last login request; apiDataReady once it reaches 2.
extern std::atomic<int> dataReadyCount;
extern std::atomic<bool> apiDataReady;

// '0' none, '1' Shanghai, '2' Shenzhen.
extern std::atomic<char> currentMarket;

// The account typed at login (GUI thread only).
extern QString currentAccount;
