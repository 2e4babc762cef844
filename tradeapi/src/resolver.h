// Counter addresses to endpoints. Literal addresses are taken as they stand, "localhost" is the
// loopback host (127.0.0.1, then ::1); other names go to the system resolver, or to a hook installed in its
// place, through which tests reach a name that does not resolve without sending a query anywhere.
#ifndef MORU_TRADEAPI_RESOLVER_H
#define MORU_TRADEAPI_RESOLVER_H

#ifndef ASIO_STANDALONE
#define ASIO_STANDALONE
#endif
// Asio picks its handler allocator from what was included before it; fixed here, every file
// frees with the allocator that another file allocated with.
#ifndef ASIO_DISABLE_STD_ALIGNED_ALLOC
#define ASIO_DISABLE_STD_ALIGNED_ALLOC
#endif
#include <asio.hpp>
#include <functional>
#include <string>
#include <vector>

#include "config.h"

namespace moru {

// Fills `addresses` (literal IPv4 or IPv6 texts) and returns true, or returns false with `why`.
using ResolveHook =
    std::function<bool(const std::string& host, std::vector<std::string>* addresses, std::string* why)>;

// An empty hook brings the system resolver back.
void setResolveHook(ResolveHook hook);

using Endpoints = std::vector<asio::ip::tcp::endpoint>;

// `done` gets the endpoints, or none and the reason. For a literal address or a hook it runs
// before this returns; otherwise on the resolver's executor.
void resolveAddress(asio::ip::tcp::resolver& resolver, const Address& a,
                    std::function<void(Endpoints, std::string)> done);

}  // namespace moru

#endif
