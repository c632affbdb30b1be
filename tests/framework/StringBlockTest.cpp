// String-table block arithmetic and the counted entries of a block.
#include "StringBlock.h"

#include <gtest/gtest.h>

#include <vector>

TEST(StringBlock, BlockNameIndexAndCountedEntries) {
    EXPECT_EQ(stringblockname(40005), 2501);
    EXPECT_EQ(stringblockindex(40005), 5u);
    EXPECT_EQ(stringblockname(0), 1);
    EXPECT_EQ(stringblockindex(15), 15u);
    EXPECT_EQ(stringblockname(16), 2);
    EXPECT_EQ(stringblockname(0xFFFFF), 0); // taken as a 16-bit name

    // Entry 0: "ab", entry 1 empty, entry 2: one unit, then the block ends.
    const unsigned char block[] = {2, 0, 'a', 0, 'b', 0, 0, 0, 1, 0, 0x68, 0x88};
    std::size_t offset = 0;
    std::size_t count = 0;
    ASSERT_TRUE(findstringentry(block, sizeof block, 0, offset, count));
    EXPECT_EQ(offset, 2u);
    EXPECT_EQ(count, 2u);
    ASSERT_TRUE(findstringentry(block, sizeof block, 1, offset, count));
    EXPECT_EQ(count, 0u);
    ASSERT_TRUE(findstringentry(block, sizeof block, 2, offset, count));
    EXPECT_EQ(offset, 10u);
    EXPECT_EQ(count, 1u);
    EXPECT_FALSE(findstringentry(block, sizeof block, 3, offset, count));
    // A count that runs past the block, and a block cut inside a count.
    EXPECT_FALSE(findstringentry(block, sizeof block - 1, 2, offset, count));
    EXPECT_FALSE(findstringentry(block, 1, 0, offset, count));
    // Counts above 255 use the second byte.
    std::vector<unsigned char> big(2 + 2 * 300 + 2, 0);
    big[0] = 300 & 0xFF;
    big[1] = 300 >> 8;
    ASSERT_TRUE(findstringentry(big.data(), big.size(), 1, offset, count));
    EXPECT_EQ(offset, 2u + 600u + 2u);
    EXPECT_EQ(count, 0u);
}
