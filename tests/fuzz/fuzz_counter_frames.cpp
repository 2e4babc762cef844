// Bytes from an untrusted client through the counter, after a valid login so that
// the request handlers are reached too.
#include <cstring>
#include <memory>
#include <string>

#include "counter.h"

namespace {

struct NullLink : sim::Link {
    size_t sent = 0;
    void send(const std::vector<uint8_t>& bytes) override { sent += bytes.size(); }
    void drop(const std::string&) override {}
};

const sim::Counter& prototype() {
    static std::unique_ptr<sim::Counter> c = [] {
        sim::Options opt;
        opt.pageSize = 50;
        auto p = std::make_unique<sim::Counter>(opt);
        std::string err;
        if (!p->loadFile(std::string(MORU_SOURCE_DIR) + "/sim/data/demo.json", &err)) std::abort();
        return p;
    }();
    return *c;
}

std::vector<uint8_t> loginFrame() {
    using B = moru_wire::LoginBody;
    std::vector<uint8_t> body(B::kSize, 0);
    moru_wire::putText(body.data() + B::kAccount, 16, "10880001");
    moru_wire::putText(body.data() + B::kPassword, 32, "123456");
    int32_t node = 6;
    std::memcpy(body.data() + B::kNode, &node, 4);
    body[B::kMarket] = '1';
    std::vector<uint8_t> f;
    moru_wire::appendFrame(f, moru_wire::Msg::ReqLoginManager, 1, 0, body.data(), body.size());
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sim::Counter counter = prototype();  // a fresh copy: no state carries over between inputs
    NullLink link;
    counter.attach(link);
    static const std::vector<uint8_t> login = loginFrame();
    counter.onData(link, login.data(), login.size());
    // Split the input in two reads to exercise frames that straddle them.
    size_t cut = size ? data[0] % (size + 1) : 0;
    counter.onData(link, data, cut);
    counter.onData(link, data + cut, size - cut);
    counter.matchResting();
    counter.onClosed(link);
    return 0;
}
