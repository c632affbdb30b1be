// String-table arithmetic: entries are stored in blocks of 16, each entry a 16-bit
// little-endian count followed by that many UTF-16 code units (no terminator).
#ifndef TESSEL_STRINGBLOCK_H
#define TESSEL_STRINGBLOCK_H

#include <cstddef>
#include <cstdint>

constexpr unsigned stringsperblock = 16;

// Integer resource name of the block that holds string id: (id >> 4) + 1, as 16 bits.
std::uint16_t stringblockname(unsigned id);

// Position of string id inside its block: id & 15.
unsigned stringblockindex(unsigned id);

// Finds entry index of the block bytes[size]: the byte offset of its first code unit and its
// count of code units. False when the block ends before the entry does.
bool findstringentry(const unsigned char* bytes, std::size_t size, unsigned index,
                     std::size_t& offset, std::size_t& count);

#endif
