// Cutting and composing the module's paths, version queries and settings key paths, every one
// bounded by its buffer.
#include "PathText.h"
#include "RegPath.h"
#include "VersionText.h"

#include <gtest/gtest.h>

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
        // The ends of the lead-byte ranges 0x81-0x9F and 0xE0-0xFC.
        {"C:\\\x9F\x5C", '\\', "C:"},
        {"C:\\\xE0\x5C", '\\', "C:"},
        {"C:\\\xFC\x5C", '\\', "C:"},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        // Cut exactly when there was a separator: the text then gets shorter.
        EXPECT_EQ(cutatlast(text.data(), c.sep), std::string(c.text) != c.result) << c.text;
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
        {"nothing more at the exact fit", 4, file("d", "n", ""), "d\\n"},
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
