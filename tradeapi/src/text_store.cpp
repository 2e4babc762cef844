#include "text_store.h"

namespace moru {

const char* TextStore::intern(const std::string& text) {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = texts_.find(text);
    if (it != texts_.end()) return it->c_str();
    if (text.size() + 1 > maxBytes_ - bytes_) return nullptr;
    bytes_ += text.size() + 1;
    return texts_.insert(text).first->c_str();
}

size_t TextStore::bytes() const {
    std::lock_guard<std::mutex> lock(mu_);
    return bytes_;
}

TextStore& TextStore::process() {
    // Outlives every entry, including the entry table kept to the end of the process.
    static auto* store = new TextStore(kMaxStoredErrorText);
    return *store;
}

}  // namespace moru
