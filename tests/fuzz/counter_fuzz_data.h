// What the counter fuzzers share: the demo data, read once, and a login frame.
#ifndef MORU_FUZZ_COUNTER_FUZZ_DATA_H
#define MORU_FUZZ_COUNTER_FUZZ_DATA_H

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "counter.h"

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
    using B = moru_wire::LoginBody;
    std::vector<uint8_t> body(B::kSize, 0);
    moru_wire::putText(body.data() + B::kAccount, 16, account);
    moru_wire::putText(body.data() + B::kPassword, 32, password);
    int32_t node = 6;
    std::memcpy(body.data() + B::kNode, &node, 4);
    body[B::kMarket] = uint8_t(market);
    std::vector<uint8_t> f;
    moru_wire::appendFrame(f, moru_wire::Msg::ReqLoginManager, 1, 0, body.data(), body.size());
    return f;
}

}  // namespace fuzzdata

#endif
