// Cutting and composing the module's paths and version queries; string-block arithmetic.
#include "PathText.h"
#include "StringBlock.h"
#include "VersionText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char canary = '#';

// A buffer of size bytes followed by guard bytes that must stay untouched.
struct Guarded {
    explicit Guarded(std::size_t n) : size(n), bytes(n + 16, canary) {}
    char* data() { return bytes.data(); }
    bool guardintact() const {
        for (std::size_t i = size; i < bytes.size(); ++i) {
            if (bytes[i] != canary) {
                return false;
            }
        }
        return true;
    }
    std::size_t size;
    std::vector<char> bytes;
};

} // namespace

TEST(PathText, CutsAtTheLastSeparatorByWholeCharacters) {
    struct Case {
        const char* text;
        char sep;
        const char* result;
    };
    const Case cases[] = {
        {"C:\\Tools\\conv.new.exe", '\\', "C:\\Tools"},
        {"conv.new.exe", '.', "conv.new"},
        {"C:\\conv.exe", '\\', "C:"},
        {"conv", '.', "conv"},
        {"", '\\', ""},
        // 0x95 0x5C (U+8868) ends the directory name: its second byte is not a separator.
        {"C:\\dir\x95\x5C", '\\', "C:"},
        {"C:\\\x95\x5C\\x.exe", '\\', "C:\\\x95\x5C"},
        {"\x95\x5C.exe", '.', "\x95\x5C"},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        cutatlast(text.data(), c.sep);
        EXPECT_STREQ(text.c_str(), c.result) << "text: " << c.text;
    }
}

TEST(PathText, ComposesModuleAndHelpPaths) {
    char buf[helppathsize];
    ASSERT_TRUE(composefilepath(buf, modpathsize, "C:\\Tools", "conv.new", ".exe"));
    EXPECT_STREQ(buf, "C:\\Tools\\conv.new.exe");
    ASSERT_TRUE(composehelppath(buf, helppathsize, "C:", "conv", nullptr));
    EXPECT_STREQ(buf, "C:\\conv.hlp");
    ASSERT_TRUE(composehelppath(buf, helppathsize, "C:\\Tools", "conv.new", "main"));
    EXPECT_STREQ(buf, "C:\\Tools\\conv.new.hlp>main");
}

TEST(PathText, RefusesPathsThatDoNotFit) {
    // "d\\n.exe" is 8 bytes with the terminator: 8 fits, 7 does not.
    for (std::size_t size : {8u, 7u, 1u}) {
        Guarded buf(size);
        const bool fits = composefilepath(buf.data(), size, "d", "n", ".exe");
        EXPECT_EQ(fits, size >= 8) << size;
        EXPECT_STREQ(buf.data(), fits ? "d\\n.exe" : "");
        EXPECT_TRUE(buf.guardintact()) << size;
    }
    const std::string longdir(moddirsize - 1, 'd');
    Guarded help(helppathsize);
    EXPECT_FALSE(composehelppath(help.data(), helppathsize, longdir.c_str(), "n",
                                 std::string(60, 'w').c_str()));
    EXPECT_STREQ(help.data(), "");
    EXPECT_TRUE(help.guardintact());
    Guarded exe(modpathsize);
    EXPECT_FALSE(composefilepath(exe.data(), modpathsize, longdir.c_str(), "n", ".exe"));
    EXPECT_TRUE(exe.guardintact());
}

TEST(VersionText, QueryPathUsesUpperCaseHexadecimal) {
    char buf[verquerysize];
    ASSERT_TRUE(composeverquery(buf, sizeof buf, 0x0411, 0x04B0, "CompanyName"));
    EXPECT_STREQ(buf, "\\StringFileInfo\\041104B0\\CompanyName");
    ASSERT_TRUE(composeverquery(buf, sizeof buf, 0xabcd, 0x0001, "k"));
    EXPECT_STREQ(buf, "\\StringFileInfo\\ABCD0001\\k");
    Guarded small(verquerysize);
    EXPECT_FALSE(composeverquery(small.data(), verquerysize, 0x0411, 0x04B0,
                                 std::string(verquerysize, 'k').c_str()));
    EXPECT_TRUE(small.guardintact());
}

TEST(StringBlock, BlockNameAndIndex) {
    EXPECT_EQ(stringblockname(40005), 2501);
    EXPECT_EQ(stringblockindex(40005), 5u);
    EXPECT_EQ(stringblockname(0), 1);
    EXPECT_EQ(stringblockindex(15), 15u);
    EXPECT_EQ(stringblockname(16), 2);
    EXPECT_EQ(stringblockname(0xFFFFF), 0); // taken as a 16-bit name
}

TEST(StringBlock, FindsEntriesByCountedSkips) {
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
