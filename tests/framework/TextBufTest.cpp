// Bounded text: a piece that does not fit fails the text, leaves it empty and writes nothing.
#include "TextBuf.h"

#include <gtest/gtest.h>

#include <functional>

TEST(TextBuf, ComposesWithinTheBufferOrRefuses) {
    const std::tuple<std::size_t, std::function<void(TextBuf&)>, const char*> cases[] = {
        {4, [](TextBuf& t) { t.add("ab").add('c').add(""); }, "abc"}, // exact fit, then nothing
        {3, [](TextBuf& t) { t.add("ab").add('c'); }, nullptr},       // one byte short
        {4, [](TextBuf& t) { t.add("abcd").add('x'); }, nullptr},     // a failure stays
        {0, [](TextBuf& t) { t.add(""); }, nullptr},                  // no room for the NUL
        {9, [](TextBuf& t) { t.addhex(0x89ABCDEF, 8); }, "89ABCDEF"},
        {9, [](TextBuf& t) { t.addhex(0x1F, 1).addhex(0xA, 3); }, "F00A"},
        {16, [](TextBuf& t) { t.addhex(1, 9); }, nullptr},
        {16, [](TextBuf& t) { t.add("a").addhex(1, 0); }, nullptr},
    };
    for (const auto& [size, add, result] : cases) {
        std::string buf(size + 4, '#');
        TextBuf text(buf.data(), size);
        add(text);
        EXPECT_EQ(text.ok(), result != nullptr) << size;
        EXPECT_STREQ(size > 0 ? buf.c_str() : "", result != nullptr ? result : "");
        EXPECT_EQ(buf.substr(size), "####");
    }
}
