#include "CharStep.h"

namespace {

// Code page 932 lead-byte ranges.
constexpr unsigned char leadlow1 = 0x81;
constexpr unsigned char leadhigh1 = 0x9F;
constexpr unsigned char leadlow2 = 0xE0;
constexpr unsigned char leadhigh2 = 0xFC;

bool isleadbyte(unsigned char c) {
    return (c >= leadlow1 && c <= leadhigh1) || (c >= leadlow2 && c <= leadhigh2);
}

} // namespace

const char* nextansichar(const char* p) {
    if (*p == '\0') {
        return p;
    }
    if (isleadbyte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
        return p + 2;
    }
    return p + 1;
}
