#include "RegPath.h"

#include "TextBuf.h"

#include <initializer_list>

bool makeregpath(char* dest, std::size_t size, bool prefix, const char* c1, const char* c2,
                 const char* c3, const char* c4) {
    TextBuf path(dest, size);
    if (c1 == nullptr) {
        if (size > 0) {
            dest[0] = '\0';
        }
        return false;
    }
    if (prefix) {
        path.add("Software\\");
    }
    path.add(c1);
    for (const char* c : {c2, c3, c4}) {
        if (c != nullptr && *c != '\0') {
            path.add('\\').add(c);
        }
    }
    return path.ok();
}
