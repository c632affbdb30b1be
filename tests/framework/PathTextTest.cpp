#include "PathText.h"

#include <gtest/gtest.h>

TEST(PathText, CutsAtTheLastSeparatorByWholeCharacters) {
    // 0x95 0x5C (U+8868) ends a name: its second byte is no separator; so with the ends of the
    // lead-byte ranges 0x81-0x9F and 0xE0-0xFC, but not after 0xA0, 0xDF and 0xFD.
    const std::tuple<const char*, char, const char*> cases[] = {
        {"C:\\Tools\\conv.new.exe", '\\', "C:\\Tools"},
        {"", '\\', ""},
        {"C:\\\x95\x5C\\x.exe", '\\', "C:\\\x95\x5C"},
        {"C:\\\x81\x5C", '\\', "C:"},
        {"C:\\\x9F\x5C", '\\', "C:"},
        {"C:\\\xE0\x5C", '\\', "C:"},
        {"C:\\\xFC\x5C", '\\', "C:"},
        {"C:\\\xA0\\x", '\\', "C:\\\xA0"},
        {"C:\\\xDF\\x", '\\', "C:\\\xDF"},
        {"C:\\\xFD\\x", '\\', "C:\\\xFD"},
    };
    for (const auto& [text, sep, result] : cases) {
        std::string cut = text;
        // Cut exactly when there was a separator: the text then gets shorter.
        EXPECT_EQ(cutatlast(cut.data(), sep), std::string(text) != result) << text;
        EXPECT_STREQ(cut.c_str(), result) << "text: " << text;
    }
}

TEST(PathText, ComposesTheHelpPathWithinItsBuffer) {
    char path[helppathsize];
    EXPECT_TRUE(composehelppath(path, sizeof path, "C:", "conv", nullptr));
    EXPECT_STREQ(path, "C:\\conv.hlp");
    // The longest module directory with a help window: 323 bytes fit, 324 do not.
    const std::string dir(moddirsize - 1, 'd');
    const std::string window(helppathsize - moddirsize - 7, 'w');
    EXPECT_TRUE(composehelppath(path, sizeof path, dir.c_str(), "n", window.c_str()));
    EXPECT_EQ(path, dir + "\\n.hlp>" + window);
    EXPECT_FALSE(composehelppath(path, sizeof path, dir.c_str(), "n", (window + "w").c_str()));
}
