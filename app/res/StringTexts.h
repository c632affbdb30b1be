// The string table as compiled-in UTF-8 texts, for builds that have no resources to load
// them from. Same source as the resource script's STRINGTABLE.
#ifndef SONORM_STRING_TEXTS_H
#define SONORM_STRING_TEXTS_H

#include "ResourceIds.h"

struct StringText {
    unsigned id;
    const char* text;
};

inline constexpr StringText stringtexts[] = {
#define SONORM_STRING(id, name, text) {id, text},
#include "StringTexts.def"
#undef SONORM_STRING
};

// The UTF-8 text of a string-table entry, or nullptr when the table has no such id.
inline const char* stringtext(unsigned id) {
    for (const StringText& s : stringtexts) {
        if (s.id == id) {
            return s.text;
        }
    }
    return nullptr;
}

#endif
