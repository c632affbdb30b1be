// The tokenizer and option lookup on code page 932 bytes (under Wine stepped by CharNextA).
#include "CmdLine.h"

#include <gtest/gtest.h>

#include <cstring>

using Tokens = std::vector<std::string>;

static Tokens walk(const CmdLine& cl) {
    Tokens tokens;
    for (const char* t = cl.nexttoken(nullptr); t != nullptr; t = cl.nexttoken(t)) {
        tokens.emplace_back(t);
    }
    return tokens;
}

TEST(CmdLine, SplitsCommandLinesAndInTheOtherModeCommentsAndSections) {
    // With sections set the text follows an empty program name and is split in that mode.
    const std::tuple<bool, const char*, Tokens> cases[] = {
        {false, "prog\t/a\t\t b  ", {"/a", "b"}},
        {false, "", {}},
        {false, " /deluser x", {"/deluser", "x"}}, // leading blank: no program name to skip
        {false, "\"C:\\Program Files\\x.exe\" /deluser", {"/deluser"}},
        {false, "\"C:\\x y.exe\"/deluser", {}}, // glued to the quoted name
        {false, "\"C:\\unterminated /deluser", {}},
        // Each quote kind keeps blanks and tabs inside the token, and only it ends its run.
        {false, "p 'a b' \"c\td\" `e f`g 'h\" i", {"'a b'", "\"c\td\"", "`e f`g", "'h\" i"}},
        {false, "p '\x80 b' \xA0\xFF x", {"'\x80 b'", "\xA0\xFF", "x"}}, // high bytes
        // A control byte ends a quoted run and then separates; 0x7F only where a token begins.
        {false, "p \"a\x01z\" c", {"\"a", "z\" c"}},
        {false, "p \x7F/a /b\x7F '\x7F c'", {"/a", "/b\x7F", "'\x7F", "c'"}},
        // Second bytes are neither quotes nor separators (0x83 0x60, 0x95 0x5C, 0x81 0x22), and
        // a lead byte steps over whatever byte follows it, a blank included.
        {false, "p `\x83\x60 x` y", {"`\x83\x60 x`", "y"}},
        {false, "\"C:\\\x95\x5C\x81\x22x\" /d", {"/d"}},
        {false, "prog\x81 /a b", {"b"}},
        {false, "p ;x [main] y", {";x", "[main]", "y"}},
        {true, "a ; comment here\n[main]\nb", {"a"}}, // a walk stops at a section
        {true, "a;b c", {"a;b", "c"}},                // ";" inside a token is ordinary
        {true, ";1\n;2\r\n  z", {"z"}},
        {true, "; only", {}},
        {true, ";\x81\n z\ny", {"y"}}, // a line feed after a lead byte is its second byte
        {true, "[a b] c [", {"[a", "b]", "c", "["}}, // not one token, or one byte: no section
        {true, "x [] y", {"x"}},                     // an empty section name
    };
    CmdLine cl; // reused: every parse starts afresh
    for (const auto& [sections, text, tokens] : cases) {
        const std::size_t n = std::strlen(text);
        ASSERT_TRUE(cl.parsetext(sections ? std::string(n + 1, 'x').c_str() : text));
        if (sections) {
            cl.buf[0] = '\0';
            std::memcpy(cl.buf + 1, text, n + 1);
            cl.tokenize(cl.buf + 1, true);
        }
        EXPECT_EQ(walk(cl), tokens) << "text: " << text;
    }
}

TEST(CmdLine, CheckoptAnswersAbsentAloneOrWithTextForNamesThatFit) {
    const std::string fits(optbufsize - 1, 'x'), toolong = fits + "x";
    const std::tuple<std::string, std::string, int> cases[] = {
        {"p x deluser -DELUSER", "deluser", optalone}, // tokens without a switch are skipped
        {"p /Az", "aZ", optalone},                     // letter case folded on both sides
        {"p /deluserA /delusera /deluserZ /deluserz", "deluser", optabsent},
        {"p /del //deluser \"/deluser\"", "deluser", optabsent},
        {"p /deluser\x81\x40", "deluser", optwithtext},
        {"p /deluser=1 /deluser", "deluser", optwithtext}, // the first match decides
        {"p /delusers /deluser", "deluser", optalone},     // a non-match does not
        {"p /" + fits, fits, optalone},
        {"p /" + toolong, fits, optabsent}, // a letter follows the shorter name
        {"p /" + toolong, toolong, optabsent},
    };
    CmdLine cl;
    EXPECT_EQ(cl.checkopt("a"), optabsent); // never parsed
    for (const auto& [text, name, result] : cases) {
        ASSERT_TRUE(cl.parsetext(text.c_str()));
        EXPECT_EQ(cl.checkopt(name.c_str()), result) << "text: " << text << " name: " << name;
    }
    ASSERT_TRUE(cl.parsetext("p /Out=v"));
    EXPECT_STREQ(cl.findopt("out"), "=v");
}

// The arguments after the program name, as the runtime gave them (they hold no blanks).
TEST(CmdLine, ParsesTheProcessCommandLine) {
    CmdLine cl;
    ASSERT_TRUE(cl.parsecmdline());
    const std::vector<std::string> argv = ::testing::internal::GetArgvs();
    EXPECT_EQ(walk(cl), Tokens(argv.begin() + 1, argv.end()));
}
