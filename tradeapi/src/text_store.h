// Texts kept for the life of the process: a pointer handed out once stays valid even after the
// entry that asked for it is released. Equal texts are kept once, and the whole is capped, so a
// counter that sends new texts at every login cannot grow it without end.
#ifndef MORU_TRADEAPI_TEXT_STORE_H
#define MORU_TRADEAPI_TEXT_STORE_H

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_set>

namespace moru {

class TextStore {
public:
    explicit TextStore(size_t maxBytes) : maxBytes_(maxBytes) {}
    TextStore(const TextStore&) = delete;
    TextStore& operator=(const TextStore&) = delete;

    // The stored copy of `text`, NUL-terminated; nullptr when it is new and would not fit.
    const char* intern(const std::string& text);
    size_t bytes() const;

    // The store of the counter's error texts; never destroyed.
    static TextStore& process();

private:
    mutable std::mutex mu_;
    std::unordered_set<std::string> texts_;  // nodes never move, so c_str() stays put
    size_t bytes_ = 0;
    const size_t maxBytes_;
};

// What the process keeps of the counter's error texts over all logins.
constexpr size_t kMaxStoredErrorText = 4u << 20;

}  // namespace moru

#endif
