// Cutting and composing the module's paths, version queries and settings key paths, every one
// bounded by its buffer; string-block arithmetic; the sub-key names collected before deletion.
#include "KeyNameList.h"
#include "PathText.h"
#include "RegPath.h"
#include "StringBlock.h"
#include "VersionText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

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

TEST(PathText, ComposesWithinTheBufferOrRefuses) {
    using Compose = std::function<bool(char*, std::size_t)>;
    struct Case {
        const char* what;
        std::size_t size;
        Compose compose;
        const char* result; // null: refused, the buffer left empty
    };
    const std::string longdir(moddirsize - 1, 'd');
    const std::string longwindow(60, 'w');
    const std::string longkey(verquerysize, 'k');
    const std::string regfits(regpathsize - 10, 'c'); // "Software\" + 250 + NUL = 260
    const std::string regover(regpathsize - 9, 'c');
    const auto file = [](const char* dir, const char* name, const char* ext) -> Compose {
        return [=](char* b, std::size_t n) { return composefilepath(b, n, dir, name, ext); };
    };
    const auto help = [](const char* dir, const char* name, const char* window) -> Compose {
        return [=](char* b, std::size_t n) { return composehelppath(b, n, dir, name, window); };
    };
    const auto query = [](unsigned lang, unsigned cp, const char* key) -> Compose {
        return [=](char* b, std::size_t n) { return composeverquery(b, n, lang, cp, key); };
    };
    const auto reg = [](const char* c1, const char* c4 = nullptr) -> Compose {
        const char* mid = c4 != nullptr ? "b" : nullptr;
        return [=](char* b, std::size_t n) { return makeregpath(b, n, true, c1, mid, mid, c4); };
    };
    const std::string regkey = "Software\\" + regfits;
    const Case cases[] = {
        {"exe path", modpathsize, file("C:\\Tools", "conv.new", ".exe"), "C:\\Tools\\conv.new.exe"},
        {"exact fit", 8, file("d", "n", ".exe"), "d\\n.exe"},
        {"one byte short", 7, file("d", "n", ".exe"), nullptr},
        {"room for nothing", 1, file("d", "n", ".exe"), nullptr},
        {"long directory", modpathsize, file(longdir.c_str(), "n", ".exe"), nullptr},
        {"help path", helppathsize, help("C:", "conv", nullptr), "C:\\conv.hlp"},
        {"help window", helppathsize, help("C:\\T", "c.n", "main"), "C:\\T\\c.n.hlp>main"},
        {"long help", helppathsize, help(longdir.c_str(), "n", longwindow.c_str()), nullptr},
        {"query", verquerysize, query(0x0411, 0x04B0, "Name"), "\\StringFileInfo\\041104B0\\Name"},
        {"upper-case hex", verquerysize, query(0xabcd, 0x0001, "k"),
         "\\StringFileInfo\\ABCD0001\\k"},
        {"long key", verquerysize, query(0x0411, 0x04B0, longkey.c_str()), nullptr},
        {"key fits exactly", regpathsize, reg(regfits.c_str()), regkey.c_str()},
        {"key one byte over", regpathsize, reg(regover.c_str()), nullptr},
        {"last component over", regpathsize, reg("a", regfits.c_str()), nullptr},
        {"no first component", regpathsize, reg(nullptr), nullptr},
    };
    for (const Case& c : cases) {
        std::vector<char> buf(c.size + 16, '#');
        EXPECT_EQ(c.compose(buf.data(), c.size), c.result != nullptr) << c.what;
        EXPECT_STREQ(buf.data(), c.result != nullptr ? c.result : "") << c.what;
        EXPECT_EQ(std::string(buf.begin() + c.size, buf.end()), std::string(16, '#')) << c.what;
    }
}

TEST(RegPath, JoinsComponents) {
    struct Case {
        bool prefix;
        const char* c1;
        const char* c2;
        const char* c3;
        const char* c4;
        const char* path;
    };
    const Case cases[] = {
        {true, "Norvex", "Conv", "1.0", nullptr, "Software\\Norvex\\Conv\\1.0"},
        {true, "Norvex", "", "1.0", nullptr, "Software\\Norvex\\1.0"},
        {true, "Norvex", "Conv", "", "", "Software\\Norvex\\Conv"},
        {true, "", "Conv", nullptr, nullptr, "Software\\\\Conv"},
        {false, "A", "B", "C", "D", "A\\B\\C\\D"},
        {false, "A", nullptr, nullptr, "D", "A\\D"},
        {true, "\x95\x5C", nullptr, nullptr, nullptr, "Software\\\x95\x5C"},
    };
    for (const Case& c : cases) {
        char buf[regpathsize];
        ASSERT_TRUE(makeregpath(buf, sizeof buf, c.prefix, c.c1, c.c2, c.c3, c.c4));
        EXPECT_STREQ(buf, c.path);
    }
}

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

namespace {

// Answers names[i], or the result in answers[i] when it is non-zero.
struct FakeLevel {
    std::vector<std::string> names;
    std::vector<long> answers;
};

long enumeratefake(void* context, unsigned index, char* slot, std::size_t capacity) {
    const FakeLevel& level = *static_cast<FakeLevel*>(context);
    if (index < level.answers.size() && level.answers[index] != enumsuccess) {
        return level.answers[index];
    }
    const std::string& name = level.names.at(index);
    if (name.size() + 1 > capacity) {
        return 0xEA; // ERROR_MORE_DATA
    }
    std::memcpy(slot, name.c_str(), name.size() + 1);
    return enumsuccess;
}

} // namespace

TEST(KeyNameList, CollectsTheNamesStillThere) {
    constexpr long ok = enumsuccess;
    constexpr long gone = enumnomore;
    struct Case {
        const char* what;
        FakeLevel level;
        unsigned count;
        std::size_t maxlen;
        bool collected;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"every counted name", {{"a", "bcd", "ef"}, {}}, 3, 3, true, {"a", "bcd", "ef"}},
        {"nothing counted", {{}, {}}, 0, 0, true, {}},
        // Sub-keys removed after they were counted: their slots are never filled nor read.
        {"some removed", {{"a", "", "c", ""}, {ok, gone, ok, gone}}, 4, 1, true, {"a", "c"}},
        {"all removed", {{}, {gone, gone}}, 2, 5, true, {}},
        {"access denied", {{"a", ""}, {ok, 5}}, 2, 1, false, {}},
        {"a longer name added since", {{"abcdef"}, {}}, 1, 2, false, {}},
    };
    KeyNameList list; // reused: every collection starts afresh
    for (Case c : cases) {
        EXPECT_EQ(list.collect(c.count, c.maxlen, enumeratefake, &c.level), c.collected) << c.what;
        if (c.collected) {
            std::vector<std::string> names;
            for (unsigned i = 0; i < list.size(); ++i) {
                names.emplace_back(list.name(i));
            }
            EXPECT_EQ(names, c.names) << c.what;
        }
    }
}
