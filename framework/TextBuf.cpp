#include "TextBuf.h"

#include <cstring>

TextBuf::TextBuf(char* buffer, std::size_t buffersize)
    : buf(buffer), size(buffersize), good(buffersize > 0) {
    if (good) {
        buf[0] = '\0';
    }
}

TextBuf& TextBuf::addbytes(const char* text, std::size_t n) {
    if (!good) {
        return *this;
    }
    // Room for n bytes and the terminator: pos + n + 1 <= size.
    if (pos > size - 1 || n > size - 1 - pos) {
        good = false;
        buf[0] = '\0';
        return *this;
    }
    std::memcpy(buf + pos, text, n);
    pos += n;
    buf[pos] = '\0';
    return *this;
}

TextBuf& TextBuf::add(const char* text) {
    return addbytes(text, std::strlen(text));
}

TextBuf& TextBuf::add(char c) {
    return addbytes(&c, 1);
}

TextBuf& TextBuf::addhex(unsigned value, int digits) {
    static const char hexdigits[] = "0123456789ABCDEF";
    char text[8];
    if (digits < 1 || digits > static_cast<int>(sizeof text)) {
        good = false;
        if (size > 0) {
            buf[0] = '\0';
        }
        return *this;
    }
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = hexdigits[value & 0xF];
        value >>= 4;
    }
    return addbytes(text, static_cast<std::size_t>(digits));
}
