// What the counter fuzzers share: the demo data, read once, and a login frame.
#ifndef MORU_FUZZ_COUNTER_FUZZ_DATA_H
#define MORU_FUZZ_COUNTER_FUZZ_DATA_H

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "counter.h"
#include "login_request.h"

namespace fuzzdata {

// The demo accounts and books, read from the file once.
inline void load(sim::Counter& c) {
    static const sim::Counter* loaded = [] {
        auto* p = new sim::Counter;
        std::string err;
        if (!p->loadFile(std::string(MORU_SOURCE_DIR) + "/sim/data/demo.json", &err)) std::abort();
        return p;
    }();
    c.startFrom(*loaded);
}

inline std::vector<uint8_t> loginFrame(const char* account, const char* password, char market) {
    return fixture::managerLoginFrame(account, password, market);
}

}  // namespace fuzzdata

#endif
