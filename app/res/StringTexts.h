// The string table as compiled-in UTF-8 texts, for builds that have no resources to load
// them from, and the English rendering of each text. Same source as the resource script's
// STRINGTABLE.
#ifndef SONORM_STRING_TEXTS_H
#define SONORM_STRING_TEXTS_H

#include "ResourceIds.h"

#include <cstddef>
#include <iterator>

struct StringText {
    unsigned id;
    const char* text;
};

inline constexpr StringText stringtexts[] = {
#define SONORM_STRING(id, name, text) {id, text},
#include "StringTexts.def"
#undef SONORM_STRING
};

#define SONORM_STRING(id, name, text)
#define SONORM_ENGLISH(name, text) {name, text},
inline constexpr StringText englishtexts[] = {
#include "StringTexts.def"
};
#undef SONORM_ENGLISH
#undef SONORM_STRING

// Every text has its English rendering, in the same order.
constexpr bool everytextinenglish() {
    if (std::size(stringtexts) != std::size(englishtexts)) {
        return false;
    }
    for (std::size_t i = 0; i < std::size(stringtexts); ++i) {
        if (stringtexts[i].id != englishtexts[i].id) {
            return false;
        }
    }
    return true;
}
static_assert(everytextinenglish(), "each SONORM_STRING is followed by its SONORM_ENGLISH");

namespace stringtextsdetail {
template <std::size_t N> const char* find(const StringText (&table)[N], unsigned id) {
    for (const StringText& s : table) {
        if (s.id == id) {
            return s.text;
        }
    }
    return nullptr;
}
} // namespace stringtextsdetail

// The UTF-8 text of a string-table entry, or nullptr when the table has no such id.
inline const char* stringtext(unsigned id) {
    return stringtextsdetail::find(stringtexts, id);
}

// The English rendering of a string-table entry, or nullptr when the table has no such id.
inline const char* englishtext(unsigned id) {
    return stringtextsdetail::find(englishtexts, id);
}

#endif
