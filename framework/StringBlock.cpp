#include "StringBlock.h"

namespace {

constexpr std::size_t countsize = 2;
constexpr std::size_t unitsize = 2;

} // namespace

std::uint16_t stringblockname(unsigned id) {
    return static_cast<std::uint16_t>((id >> 4) + 1);
}

unsigned stringblockindex(unsigned id) {
    return id & (stringsperblock - 1);
}

bool findstringentry(const unsigned char* bytes, std::size_t size, unsigned index,
                     std::size_t& offset, std::size_t& count) {
    std::size_t pos = 0;
    for (unsigned i = 0;; ++i) {
        if (pos > size || countsize > size - pos) {
            return false;
        }
        const std::size_t n =
            static_cast<std::size_t>(bytes[pos]) | static_cast<std::size_t>(bytes[pos + 1]) << 8;
        pos += countsize;
        if (n > (size - pos) / unitsize) {
            return false;
        }
        if (i == index) {
            offset = pos;
            count = n;
            return true;
        }
        pos += n * unitsize;
    }
}
