#include "StringTable.h"

#include "StringTexts.h"

#include <cstring>

int loadstringtable(void*, unsigned id, char* buf, int size) {
    const char* text = stringtext(id);
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

std::string stringtableentry(unsigned id) {
    const char* text = stringtext(id);
    return text != nullptr ? std::string(text) : std::string();
}
