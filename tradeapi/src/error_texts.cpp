#include "error_texts.h"

#include "moru_wire.h"

namespace moru {

namespace {

constexpr size_t kEntryHead = 6;  // id, market, length

}  // namespace

bool checkErrorTable(const uint8_t* body, size_t len, std::string* why) {
    size_t off = 0;
    while (off < len) {
        if (len - off < kEntryHead || len - off - kEntryHead < body[off + 5]) {
            *why = "error table cut short";
            return false;
        }
        off += kEntryHead + body[off + 5];
    }
    return true;
}

bool ErrorTexts::accept(const uint8_t* body, size_t len, std::string* note) {
    std::lock_guard<std::mutex> lock(mu_);
    note->clear();
    if (accepted_) return false;
    accepted_ = true;
    size_t entries = 0, textBytes = 0, skipped = 0, unstored = 0;
    for (size_t off = 0; off + kEntryHead <= len; off += kEntryHead + body[off + 5]) {
        const size_t n = body[off + 5];
        if (off + kEntryHead + n > len) break;  // checked before; kept safe on its own
        if (entries == kMaxErrorEntries || textBytes + n > kMaxErrorTableText) {
            ++skipped;
            continue;
        }
        ++entries;
        textBytes += n;
        const int id = int32_t(moru_wire::getU32(body + off));
        const char market = char(body[off + 4]);
        const char* text = store_.intern(moru_wire::fixedText(body + off + kEntryHead, n));
        if (!text) {
            ++unstored;
            continue;
        }
        table_.emplace(std::make_pair(market, id), text);
    }
    if (skipped)
        *note = std::to_string(skipped) + " error texts beyond " + std::to_string(kMaxErrorEntries) +
                " entries or " + std::to_string(kMaxErrorTableText) + " bytes left out";
    if (unstored)
        *note += std::string(note->empty() ? "" : "; ") + std::to_string(unstored) +
                 " error texts left out: the store of error texts is full";
    return true;
}

bool ErrorTexts::accepted() const {
    std::lock_guard<std::mutex> lock(mu_);
    return accepted_;
}

const char* ErrorTexts::find(int id, char market) const {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = table_.find(std::make_pair(market, id));
    return it == table_.end() ? "" : it->second;
}

}  // namespace moru
