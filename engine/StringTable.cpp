#include "StringTable.h"

#include <cstddef>
#include <cstring>

int putstringtable(const char* text, char* buf, int size) {
    if (buf == nullptr || size <= 0) {
        return 0;
    }
    std::size_t length = text == nullptr ? 0 : std::strlen(text);
    if (length > static_cast<std::size_t>(size) - 1) {
        length = static_cast<std::size_t>(size) - 1;
    }
    std::memcpy(buf, text == nullptr ? "" : text, length);
    buf[length] = '\0';
    return static_cast<int>(length);
}
