// One login's table of the counter's error texts: (market, id) to a text in the process-wide
// store. The counter sends the table once, on the query link, with the data it reports ready.
#ifndef MORU_TRADEAPI_ERROR_TEXTS_H
#define MORU_TRADEAPI_ERROR_TEXTS_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "text_store.h"

namespace moru {

// What one table may bring; the rest of a larger table is left out.
constexpr size_t kMaxErrorEntries = 4096;
constexpr size_t kMaxErrorTableText = 512u << 10;

// Checks the framing of a whole table: repeated { int32 id; char market; uint8 len; char text[len]; }.
bool checkErrorTable(const uint8_t* body, size_t len, std::string* why);

class ErrorTexts {
public:
    explicit ErrorTexts(TextStore& store = TextStore::process()) : store_(store) {}

    // Takes a checked table. False when one was taken already; `note` says what was left out
    // (empty when nothing was).
    bool accept(const uint8_t* body, size_t len, std::string* note);
    bool accepted() const;
    // "" when unknown; the text lives as long as the process.
    const char* find(int id, char market) const;

private:
    TextStore& store_;
    mutable std::mutex mu_;
    bool accepted_ = false;
    std::map<std::pair<char, int>, const char*> table_;
};

}  // namespace moru

#endif
