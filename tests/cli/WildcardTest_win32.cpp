// The Windows build expands wildcard operands itself (the command prompt does not), stepping
// double-byte file names correctly.
#include "TempDir.h"
#include "TestPlatform.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace wav;

namespace {

// "ソ" in code page 932: its trail byte is 0x5C, the backslash.
const std::string so = "\x83\x5C";

TEST(Wildcards, StarAndQuestionMarkMatchLongNamesOnly) {
    TempDir dir;
    std::string d = samples(100);
    for (const char* name : {"x1.wav", "x2.WAV", "x10.wav", "y.wave", "z.txt"}) {
        dir.write(name, decorated(d));
    }
    ProcessResult r = runtool({"-q", "-o", dir.path("star"), dir.path("*.wav")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.list("star"), (std::vector<std::string>{"x1.wav", "x10.wav", "x2.WAV"}));

    r = runtool({"-q", "-o", dir.path("one"), dir.path("x?.wav")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.list("one"), (std::vector<std::string>{"x1.wav", "x2.WAV"}));
    EXPECT_EQ(readfile(dir.path("one\\x1.wav")), canonical(d));

    // A pattern without a match stays as it is and fails as a missing file.
    r = runtool({"-q", "-o", dir.path("none"), dir.path("nothing*.wav")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("[1,5,1,"), std::string::npos) << r.err;
}

TEST(Wildcards, DoubleByteNamesKeepTheirTrailBytes) {
    TempDir dir;
    std::string d = samples(100);
    dir.folder(so);
    dir.write(so + "\\" + so + ".wav", decorated(d));
    ProcessResult r = runtool({"-q", "-o", dir.path("out"), dir.path(so + "\\*.wav")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readfile(dir.path("out\\" + so + ".wav")), canonical(d));

    // The single-file form with a wildcard that names exactly one input.
    r = runtool({dir.path(so + "\\*.wav"), dir.path("single.wav")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readfile(dir.path("single.wav")), canonical(d));
}

} // namespace

namespace {

// Names whose second bytes are 0x5C go through every mode whole: the walk and its mirror, the
// temporary file and backup beside an in-place file, the check line (code page 932) and JSON
// (UTF-8).
TEST(DoubleByteNames, EveryModeKeepsThem) {
    TempDir dir;
    const std::string hyou = "\x95\x5C"; // 表, second byte 0x5C too
    const std::string name = so + hyou + ".wav";
    std::string d = samples(100);
    dir.folder(so);
    std::string file = dir.write(so + "\\" + name, decorated(d));

    ProcessResult r = runtool({"-q", "-r", "-o", dir.path("out"), dir.path(so)});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readfile(dir.path("out\\" + name)), canonical(d));

    r = runtool({"--check", "--json", file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\xE3\x82\xBD\xE8\xA1\xA8.wav\",\"ok\":true"), std::string::npos)
        << r.out << r.err;

    r = runtool({"-q", "--in-place", "--backup", ".orig", file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readfile(file), canonical(d));
    EXPECT_EQ(readfile(file + ".orig"), decorated(d));
    // Every file of the folder, through the tool's own expansion: no temporary file is left.
    r = runtool({"-q", "--check", dir.path(so + "\\*")});
    EXPECT_EQ(r.out.rfind(file + ": ok: ", 0), 0u) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << r.out;
}

} // namespace
