#pragma once

#include <cstdint>
#include <vector>

#include "market_data_level1.h"

// Finds a cached record straight from the code bytes of a wire record, so the feed neither builds a
// QString nor walks the map for every frame. Also remembers each code's last name as sent and as
// converted, since a code's name rarely changes. Points into the cache's nodes: relink() after
// the cache was copied on write.
class QuoteCacheIndex {
public:
    static constexpr int CODE_WIDTH = static_cast<int>(sizeof(ClientSecurityMarketDataLevel1::SecurityID));
    static constexpr int NAME_WIDTH = static_cast<int>(sizeof(ClientSecurityMarketDataLevel1::SecurityName));

    struct Entry {
        char code[CODE_WIDTH];  // the bytes up to the first NUL, zeros after it
        ClientSecurityMarketDataLevel1* record;
        bool named;
        char wireName[NAME_WIDTH];
        char cachedName[NAME_WIDTH];  // wireName converted, as stored in the record
    };

    // The code field of a record as the key it is filed under: bytes after the first NUL do not count.
    static void normalizeCode(const char* field, char (&code)[CODE_WIDTH]);

    // Null when the code was never filed.
    Entry* find(const char (&code)[CODE_WIDTH]);
    // Files a new code; the code must not be filed yet.
    Entry* insert(const char (&code)[CODE_WIDTH], ClientSecurityMarketDataLevel1* record);
    int size() const { return mCount; }

    // Points every entry at the record now held for its code; the names stay remembered.
    template <typename Map>
    void relink(Map& cache) {
        for (auto it = cache.begin(); it != cache.end(); ++it) {
            char code[CODE_WIDTH];
            normalizeCode(it.value().SecurityID, code);
            if (Entry* entry = find(code)) entry->record = &it.value();
        }
    }

private:
    static uint64_t hashCode(const char (&code)[CODE_WIDTH]);
    void grow();

    std::vector<Entry> mSlots;  // open addressing, linear probing; an empty slot has a null record
    int mCount = 0;
};
