// Bytes from an untrusted client through the counter, after a valid login so that
// the request handlers are reached too.
#include <cstring>
#include <string>

#include "counter.h"
#include "counter_fuzz_data.h"

namespace {

struct NullLink : sim::Link {
    size_t sent = 0;
    void send(const std::vector<uint8_t>& bytes) override { sent += bytes.size(); }
    void drop(const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sim::Options opt;
    opt.pageSize = 50;
    sim::Counter counter(opt);  // a fresh one: no state carries over between inputs
    fuzzdata::load(counter);
    NullLink link;
    counter.attach(link);
    static const std::vector<uint8_t> login = fuzzdata::loginFrame("10880001", "123456", '1');
    counter.onData(link, login.data(), login.size());
    // Split the input in two reads to exercise frames that straddle them.
    size_t cut = size ? data[0] % (size + 1) : 0;
    counter.onData(link, data, cut);
    counter.onData(link, data + cut, size - cut);
    counter.matchResting();
    counter.onClosed(link);
    return 0;
}
