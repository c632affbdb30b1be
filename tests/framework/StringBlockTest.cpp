#include "StringBlock.h"

#include <gtest/gtest.h>

TEST(StringBlock, BlockNameIndexAndCountedEntries) {
    EXPECT_EQ(stringblockname(40005), 2501);
    EXPECT_EQ(stringblockindex(40005), 5u);
    // Entry 0: "ab", entry 1 empty, entry 2 one unit, entry 3 empty at the very end; then a
    // count of 257 units (the second byte counts 256s) that runs past its block.
    const unsigned char block[] = {2, 0, 'a', 0, 'b', 0, 0, 0, 1, 0, 0x68, 0x88, 0, 0, 1, 1, 0, 0};
    // The size and the index, then the entry's offset (0: not found) and count.
    const std::tuple<std::size_t, unsigned, std::size_t, std::size_t> cases[] = {
        {14, 0, 2, 2},  {14, 1, 8, 0}, {14, 2, 10, 1},
        {14, 3, 14, 0}, {14, 4, 0, 0}, {11, 2, 0, 0}, // a count that runs past the block
        {13, 3, 0, 0},                                // a block cut inside a count
        {18, 4, 0, 0},
    };
    for (const auto& [size, index, offset, count] : cases) {
        std::size_t o = 0;
        std::size_t n = 0;
        EXPECT_EQ(findstringentry(block, size, index, o, n), offset != 0) << size << " " << index;
        EXPECT_EQ(std::make_pair(o, n), std::make_pair(offset, count)) << size << " " << index;
    }
}
