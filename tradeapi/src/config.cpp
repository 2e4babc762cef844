#include "config.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace moru {

namespace {

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

double number(const std::map<std::string, std::string>& m, const char* key, double def, double lo,
              double hi) {
    auto it = m.find(key);
    if (it == m.end() || it->second.empty()) return def;
    char* end = nullptr;
    double v = std::strtod(it->second.c_str(), &end);
    if (end == it->second.c_str() || !(v >= lo && v <= hi)) return def;
    return v;
}

}  // namespace

std::map<std::string, std::string> parseSettings(const std::string& text) {
    std::map<std::string, std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        // Text ends at the first NUL, as the terminal reads the same file.
        line = trim(line.substr(0, line.find('\0')));
        if (line.empty() || line[0] == '#') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string value = line.substr(eq + 1);
        value = trim(value.substr(0, value.find('=')));
        out[trim(line.substr(0, eq))] = value;
    }
    return out;
}

std::vector<Address> parseUrls(const std::string& list) {
    std::vector<Address> out;
    std::istringstream in(list);
    std::string item;
    while (std::getline(in, item, ';')) {
        item = trim(item);
        const std::string scheme = "tcp://";
        if (item.compare(0, scheme.size(), scheme) != 0) continue;
        std::string rest = item.substr(scheme.size());
        size_t colon = rest.rfind(':');
        if (colon == std::string::npos || colon == 0) continue;
        std::string host = rest.substr(0, colon), port = rest.substr(colon + 1);
        if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
            continue;
        long p = std::strtol(port.c_str(), nullptr, 10);
        if (p <= 0 || p > 65535) continue;
        out.push_back({host, uint16_t(p)});
    }
    return out;
}

bool loadConfig(const std::string& path, Config& out, std::string* why) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        if (why) *why = "cannot read " + path;
        return false;
    }
    std::ostringstream ss;
    ss << f.rdbuf();
    auto m = parseSettings(ss.str());
    out.manager = parseUrls(m["ManagerURL"]);
    out.query = parseUrls(m["QueryURL"]);
    out.trade = parseUrls(m["TradeURL"]);
    // A counter reached directly needs only the query address, and the other way round.
    if (out.manager.empty()) out.manager = out.query;
    if (out.query.empty()) out.query = out.manager;
    if (out.manager.empty()) {
        if (why) *why = "no counter address in " + path;
        return false;
    }
    // Fractions are accepted so tests can run with short time-outs.
    out.connectTimeoutSec = number(m, "TcpConnectTimeout", 5, 0.05, 10);
    out.heartbeatSec = number(m, "HeartBeatInterval", 6, kMinHeartbeatSec, kMaxHeartbeatSec);
    out.heartbeatMisses = int(number(m, "HeartBeatTimeOutCnt", 3, 1, 1000));
    out.appId = m["AppID"];
    return true;
}

}  // namespace moru
