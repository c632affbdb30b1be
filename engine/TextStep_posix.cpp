#include "TextStep.h"

namespace {

constexpr unsigned char continuationmask = 0xC0;
constexpr unsigned char continuation = 0x80; // 10xxxxxx: inside a UTF-8 sequence

bool iscontinuation(char c) {
    return (static_cast<unsigned char>(c) & continuationmask) == continuation;
}

} // namespace

// A character ends before the next byte that does not continue a sequence.
const char* nextnativechar(const char* text) {
    if (*text == '\0') {
        return text;
    }
    ++text;
    while (iscontinuation(*text)) {
        ++text;
    }
    return text;
}
