// Bounded composition of a NUL-terminated text in a fixed caller buffer.
#ifndef TESSEL_TEXTBUF_H
#define TESSEL_TEXTBUF_H

#include <cstddef>

// Appends pieces into buf[size]. A piece that does not fit, terminator included, is not
// written and marks the text as failed; the buffer then holds the empty text.
class TextBuf {
public:
    TextBuf(char* buf, std::size_t size);
    TextBuf& add(const char* text);
    TextBuf& add(char c);
    // Upper-case hexadecimal, exactly digits digits.
    TextBuf& addhex(unsigned value, int digits);
    bool ok() const { return good; }

private:
    TextBuf& addbytes(const char* text, std::size_t n);

    char* buf;
    std::size_t size;
    std::size_t pos = 0;
    bool good;
};

#endif
