#include "StringSource.h"

#include "StringTexts.h"

#include <cstring>

int loadstringtext(void*, unsigned id, char* buf, int size) {
    if (buf == nullptr || size <= 0) {
        return 0;
    }
    buf[0] = '\0';
    const char* text = stringtext(id);
    if (text == nullptr) {
        return 0;
    }
    std::size_t length = std::strlen(text);
    std::size_t room = static_cast<std::size_t>(size) - 1;
    if (length > room) {
        length = room;
    }
    std::memcpy(buf, text, length);
    buf[length] = '\0';
    return static_cast<int>(length);
}

std::string stringtextof(unsigned id) {
    const char* text = stringtext(id);
    return text != nullptr ? std::string(text) : std::string();
}
