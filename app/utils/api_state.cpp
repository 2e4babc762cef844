#include "utils/api_state.h"

std::atomic<int> requestIdCounter{0};
std::atomic<int> nextOrderRef{0};
std::atomic<int> loginPhase{LoginPhaseLoggingIn};
std::atomic<int> dataReadyCount{0};
std::atomic<bool> apiDataReady{false};
std::atomic<char> currentMarket{'0'};
QString currentAccount;

int takeRequestId() {
    return requestIdCounter.fetch_add(1);
}

int takeOrderRef() {
    return nextOrderRef.fetch_add(1);
}
