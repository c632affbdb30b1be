// The Windows build expands wildcard operands itself (the command prompt does not), stepping
// double-byte file names correctly.
#include "TempDir.h"
#include "TestPlatform.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

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
