#include "quote_cache_index.h"

#include <cstring>

void QuoteCacheIndex::normalizeCode(const char* field, char (&code)[CODE_WIDTH]) {
    const size_t length = strnlen(field, CODE_WIDTH);
    std::memcpy(code, field, length);
    std::memset(code + length, 0, CODE_WIDTH - length);
}

uint64_t QuoteCacheIndex::hashCode(const char (&code)[CODE_WIDTH]) {
    uint64_t head;
    std::memcpy(&head, code, sizeof head);
    // Codes differ mostly in their last digits: mix every bit into the low ones the table uses.
    uint64_t h = head ^ (static_cast<unsigned char>(code[CODE_WIDTH - 1]) * 0x9E3779B97F4A7C15ULL);
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 33);
}

QuoteCacheIndex::Entry* QuoteCacheIndex::find(const char (&code)[CODE_WIDTH]) {
    if (mSlots.empty()) return nullptr;
    const size_t mask = mSlots.size() - 1;
    for (size_t i = hashCode(code) & mask;; i = (i + 1) & mask) {
        Entry& slot = mSlots[i];
        if (slot.record == nullptr) return nullptr;
        if (std::memcmp(slot.code, code, CODE_WIDTH) == 0) return &slot;
    }
}

QuoteCacheIndex::Entry* QuoteCacheIndex::insert(const char (&code)[CODE_WIDTH],
                                                ClientSecurityMarketDataLevel1* record) {
    // At most half full, so a probe always ends at an empty slot soon.
    if (2 * (mCount + 1) > static_cast<int>(mSlots.size())) grow();
    const size_t mask = mSlots.size() - 1;
    size_t i = hashCode(code) & mask;
    while (mSlots[i].record != nullptr) i = (i + 1) & mask;
    Entry& slot = mSlots[i];
    std::memcpy(slot.code, code, CODE_WIDTH);
    slot.record = record;
    slot.named = false;
    ++mCount;
    return &slot;
}

void QuoteCacheIndex::grow() {
    std::vector<Entry> old;
    old.swap(mSlots);
    mSlots.assign(old.empty() ? 1024 : old.size() * 2, Entry{});
    mCount = 0;
    const size_t mask = mSlots.size() - 1;
    for (const Entry& entry : old) {
        if (entry.record == nullptr) continue;
        size_t i = hashCode(entry.code) & mask;
        while (mSlots[i].record != nullptr) i = (i + 1) & mask;
        mSlots[i] = entry;
        ++mCount;
    }
}
