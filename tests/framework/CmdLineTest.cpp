// Tokenizer and option lookup. Double-byte text is written as code page 932 bytes; the same
// tests run natively (built-in stepper) and under Wine (CharNextA with code page 932).
#include "CmdLine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Tokens = std::vector<std::string>;

struct TokenCase {
    const char* text;
    Tokens tokens;
};

Tokens walk(const CmdLine& cl) {
    Tokens tokens;
    for (const char* t = cl.nexttoken(nullptr); t != nullptr; t = cl.nexttoken(t)) {
        tokens.emplace_back(t);
    }
    return tokens;
}

// Tokenizes text in comment-and-section mode behind an empty program-name string.
void parsesections(CmdLine& cl, const std::string& text) {
    cl.clear();
    cl.buf = new char[text.size() + 2];
    cl.buf[0] = '\0';
    std::memcpy(cl.buf + 1, text.c_str(), text.size() + 1);
    cl.start = cl.buf;
    cl.end = cl.buf + text.size() + 2;
    cl.tokenize(cl.buf + 1, true);
}

std::string bytes(const CmdLine& cl) {
    return std::string(cl.buf, static_cast<std::size_t>(cl.end - cl.buf));
}

} // namespace

TEST(CmdLine, SplitsCommandLines) {
    const TokenCase cases[] = {
        {"prog /a b", {"/a", "b"}},
        {"prog\t/a\t\t b  ", {"/a", "b"}},
        {"", {}},
        {"prog", {}},
        {" /deluser x", {"/deluser", "x"}}, // leading blank: no program name to skip
        {"\"C:\\Program Files\\x.exe\" /deluser", {"/deluser"}},
        {"\"C:\\x y.exe\"/deluser", {}}, // glued to the quoted name
        {"\"C:\\unterminated /deluser", {}},
        // All three quote kinds keep blanks and tabs inside the token; quotes stay.
        {"prog /out='a b' c", {"/out='a b'", "c"}},
        {"prog /out=\"a\tb\" c", {"/out=\"a\tb\"", "c"}},
        {"prog /out=`a b` c", {"/out=`a b`", "c"}},
        {"prog /a\"b c\"d e", {"/a\"b c\"d", "e"}},
        // A run ends only on its own quote character, or at the end of the text.
        {"prog 'a b\" c", {"'a b\" c"}},
        // A control byte ends a quoted run and then separates; the section byte is one too.
        {"prog \"a\x01"
         "b\" c",
         {"\"a", "b\" c"}},
        {"p /a\x07 /deluser", {"/a", "/deluser"}},
        // 0x7F separates only where a token would begin; inside a run it ends the run.
        {"prog \x7F/a", {"/a"}},
        {"prog /a\x7F b", {"/a\x7F", "b"}},
        {"prog '\x7F b'", {"'\x7F", "b'"}},
        // Bytes 0x80-0xFF never separate.
        {"prog \xA0\xFF x", {"\xA0\xFF", "x"}},
        // Second bytes of double-byte characters are neither quotes nor separators: U+30C1 is
        // 0x83 0x60 (a back quote), U+8868 0x95 0x5C; 0x81 0x22 ends with a double quote.
        {"prog /a\x83\x60 b", {"/a\x83\x60", "b"}},
        {"prog `\x83\x60 x` y", {"`\x83\x60 x`", "y"}},
        {"\"C:\\\x95\x5C\x81\x22x\" /d", {"/d"}},
        // A lead byte steps over whatever byte follows it, a blank included.
        {"prog\x81 /a b", {"b"}},
        {"prog '\x81' x' y", {"'\x81' x'", "y"}},
        // Comments and sections exist only in the other mode.
        {"p ;x [main] y", {";x", "[main]", "y"}},
    };
    for (const TokenCase& c : cases) {
        CmdLine cl;
        ASSERT_TRUE(cl.parsetext(c.text));
        EXPECT_EQ(walk(cl), c.tokens) << "text: " << c.text;
    }
}

TEST(CmdLine, LayoutKeepsProgramNameAndOneNulPerSeparator) {
    CmdLine cl;
    EXPECT_EQ(cl.nexttoken(nullptr), nullptr); // never parsed
    EXPECT_EQ(cl.checkopt("a"), optabsent);
    ASSERT_TRUE(cl.parsetext("\"a b\"  x\ty"));
    EXPECT_EQ(bytes(cl), std::string("\"a b\"\0\0x\0y\0", 11));
    EXPECT_EQ(cl.start, cl.buf);
    // A walk may continue from anywhere inside a token.
    const char* x = cl.nexttoken(nullptr);
    ASSERT_NE(x, nullptr);
    EXPECT_STREQ(cl.nexttoken(cl.buf + 2), "x");
    EXPECT_STREQ(cl.nexttoken(x + 1), "y");
    EXPECT_EQ(cl.nexttoken(cl.nexttoken(x)), nullptr);
    cl.clear();
    EXPECT_EQ(cl.buf, nullptr);
    EXPECT_EQ(cl.nexttoken(nullptr), nullptr);
    EXPECT_EQ(cl.findopt("a"), nullptr);
}

TEST(CmdLine, CommentsAndSections) {
    CmdLine cl;
    parsesections(cl, "a ; comment here\n[main]\nb");
    EXPECT_EQ(walk(cl), (Tokens{"a"}));
    EXPECT_EQ(bytes(cl), std::string("\0a\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x07main\0\0b\0", 27));
    // The walk goes on from a section token.
    const char* section = static_cast<const char*>(std::memchr(cl.buf, sectionmark, 27));
    ASSERT_NE(section, nullptr);
    EXPECT_STREQ(cl.nexttoken(section), "b");

    const TokenCase cases[] = {
        {"a;b c", {"a;b", "c"}},        // a semicolon inside a token is ordinary
        {";x\n  y", {"y"}},             // a comment line, then blanks
        {";1\n;2\r\nz", {"z"}},         // consecutive comment lines
        {"; only", {}},                 // comment to the end of the text
        {";\x81\n z\ny", {"y"}},        // the line feed after a lead byte is its second byte
        {"[a b] c", {"[a", "b]", "c"}}, // not one token: no section
        {"[", {"["}},                   // first byte is also the last, not "]"
        {"x [] y", {"x"}},              // empty section name
    };
    for (const TokenCase& c : cases) {
        parsesections(cl, c.text);
        EXPECT_EQ(walk(cl), c.tokens) << "text: " << c.text;
    }
}

TEST(CmdLine, CheckoptAnswersZeroOneOrSeven) {
    struct Case {
        const char* text;
        const char* name;
        int result;
    };
    const Case cases[] = {
        {"p /deluser", "deluser", optalone},
        {"p -DELUSER", "deluser", optalone},
        {"p /DelUser", "DELUSER", optalone},
        {"p x deluser /deluser", "deluser", optalone}, // tokens without a switch are skipped
        {"p /delusers", "deluser", optabsent},
        {"p /deluserZ", "deluser", optabsent}, // a letter at either end of the alphabet
        {"p /del", "deluser", optabsent},
        {"p //deluser", "deluser", optabsent},
        {"p \"/deluser\"", "deluser", optabsent},
        {"p /deluser2", "deluser", optwithtext},
        {"p /deluser\x81\x40", "deluser", optwithtext},    // a high byte is not a letter
        {"p /deluser=1 /deluser", "deluser", optwithtext}, // the first match decides
        {"p /delusers /deluser", "deluser", optalone},     // a non-match does not
    };
    for (const Case& c : cases) {
        CmdLine cl;
        ASSERT_TRUE(cl.parsetext(c.text));
        EXPECT_EQ(cl.checkopt(c.name), c.result) << "text: " << c.text << " name: " << c.name;
    }
}

// The process's own command line: the arguments after the program name, as the runtime gave
// them to main (the runner's arguments hold no blanks or quotes).
TEST(CmdLine, ParsesTheProcessCommandLine) {
    CmdLine cl;
    ASSERT_TRUE(cl.parsecmdline());
    const std::vector<std::string> argv = ::testing::internal::GetArgvs();
    ASSERT_FALSE(argv.empty());
    EXPECT_EQ(walk(cl), Tokens(argv.begin() + 1, argv.end()));
}

TEST(CmdLine, FindoptPointsBehindTheNameAndRefusesNamesThatDoNotFit) {
    CmdLine cl;
    ASSERT_TRUE(cl.parsetext("p /Out=v"));
    EXPECT_STREQ(cl.findopt("out"), "=v");

    const std::string fits(optbufsize - 1, 'x');
    const std::string toolong(optbufsize, 'x');
    ASSERT_TRUE(cl.parsetext(("p /" + toolong).c_str()));
    EXPECT_EQ(cl.checkopt(fits.c_str()), optabsent); // a letter follows the shorter name
    EXPECT_EQ(cl.checkopt(toolong.c_str()), optabsent);
    ASSERT_TRUE(cl.parsetext(("p /" + fits).c_str()));
    EXPECT_EQ(cl.checkopt(fits.c_str()), optalone);
}
