#include "resolver.h"

#include <algorithm>
#include <cctype>
#include <mutex>

namespace moru {

namespace {

std::mutex& hookMutex() {
    static auto* m = new std::mutex;  // never destroyed: links may resolve while the process exits
    return *m;
}

ResolveHook& hookSlot() {
    static auto* h = new ResolveHook;
    return *h;
}

// "localhost" and names under it are the loopback host without asking anyone: a machine without a
// hosts file would otherwise send the question to its name server.
bool isLocalhost(std::string host) {
    std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) { return std::tolower(c); });
    if (!host.empty() && host.back() == '.') host.pop_back();
    const std::string suffix = ".localhost";
    return host == "localhost" || (host.size() > suffix.size() &&
                                   host.compare(host.size() - suffix.size(), suffix.size(), suffix) == 0);
}

}  // namespace

void setResolveHook(ResolveHook hook) {
    std::lock_guard<std::mutex> lock(hookMutex());
    hookSlot() = std::move(hook);
}

void resolveAddress(asio::ip::tcp::resolver& resolver, const Address& a,
                    std::function<void(Endpoints, std::string)> done) {
    asio::error_code ec;
    asio::ip::address literal = asio::ip::make_address(a.host, ec);
    if (!ec) return done({asio::ip::tcp::endpoint(literal, a.port)}, {});
    if (isLocalhost(a.host))
        return done({asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), a.port),
                     asio::ip::tcp::endpoint(asio::ip::address_v6::loopback(), a.port)},
                    {});
    ResolveHook hook;
    {
        std::lock_guard<std::mutex> lock(hookMutex());
        hook = hookSlot();
    }
    if (hook) {
        std::vector<std::string> texts;
        std::string why;
        Endpoints eps;
        if (hook(a.host, &texts, &why)) {
            for (const auto& t : texts) {
                asio::ip::address ip = asio::ip::make_address(t, ec);
                if (!ec) eps.emplace_back(ip, a.port);
            }
            if (eps.empty()) why = "no usable address";
        }
        return done(std::move(eps), why);
    }
    resolver.async_resolve(
        a.host, std::to_string(a.port), asio::ip::resolver_base::numeric_service,
        [done = std::move(done)](const asio::error_code& e, asio::ip::tcp::resolver::results_type results) {
            Endpoints eps;
            if (!e)
                for (const auto& r : results) eps.push_back(r.endpoint());
            done(std::move(eps), e ? e.message() : std::string("no address"));
        });
}

}  // namespace moru
