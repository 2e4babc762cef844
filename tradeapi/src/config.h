// The settings the library takes from the configuration file it is handed at login.
#ifndef MORU_TRADEAPI_CONFIG_H
#define MORU_TRADEAPI_CONFIG_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace moru {

struct Address {
    std::string host;
    uint16_t port = 0;
};

// The heartbeat interval the configuration accepts; a counter's announced interval is kept to it too.
constexpr double kMinHeartbeatSec = 0.05;
constexpr double kMaxHeartbeatSec = 3600;

struct Config {
    std::vector<Address> manager;
    std::vector<Address> query;
    std::vector<Address> trade;
    double connectTimeoutSec = 5;
    double heartbeatSec = 6;
    int heartbeatMisses = 3;
    std::string appId;
};

// key=value lines; "#" starts a comment line; a later key wins.
std::map<std::string, std::string> parseSettings(const std::string& text);
// "tcp://host:port;tcp://host:port"; malformed entries are skipped. Host names are kept as
// written and resolved when a link connects.
std::vector<Address> parseUrls(const std::string& list);
// False when the file cannot be read or names no counter address.
bool loadConfig(const std::string& path, Config& out, std::string* why);

}  // namespace moru

#endif
