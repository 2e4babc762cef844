#pragma once

// Queries the terminal sends for its own figures (the order window's funds and positions). Their
// answers come through the same hub signals as a page's, so a page skips the ids listed here.
// GUI thread only.
namespace PrivateRequests {

void add(int requestId);
void remove(int requestId);
bool contains(int requestId);

}  // namespace PrivateRequests
