// The Windows build expands wildcard operands itself (the command prompt does not), stepping
// double-byte file names correctly.
#include "CliTestSupport.h"
#include "TestPlatform.h"

#include <gtest/gtest.h>

namespace {

// "ソ" in code page 932: its trail byte is 0x5C, the backslash.
const std::string so = "\x83\x5C";

TEST(Wildcards, StarAndQuestionMarkMatchLongNamesOnly) {
    TempFolder folder;
    std::string d = samples(100);
    for (const char* name : {"x1.wav", "x2.WAV", "x10.wav", "y.wave", "z.txt"}) {
        writefile(folder.file(name), decoratedwav(d));
    }
    ProcessResult r = runtool({"-q", "-o", folder.file("star"), folder.file("*.wav")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(folder.list("star"), (std::vector<std::string>{"x1.wav", "x10.wav", "x2.WAV"}));

    r = runtool({"-q", "-o", folder.file("one"), folder.file("x?.wav")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(folder.list("one"), (std::vector<std::string>{"x1.wav", "x2.WAV"}));
    EXPECT_EQ(readfile(folder.file("one\\x1.wav")), canonicalwav(d));

    // A pattern without a match stays as it is and fails as a missing file.
    r = runtool({"-q", "-o", folder.file("none"), folder.file("nothing*.wav")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("[1,5,1,"), std::string::npos) << r.err;
}

TEST(Wildcards, DoubleByteNamesKeepTheirTrailBytes) {
    TempFolder folder;
    std::string d = samples(100);
    ASSERT_TRUE(makefolder(folder.file(so)));
    writefile(folder.file(so + "\\" + so + ".wav"), decoratedwav(d));
    ProcessResult r = runtool({"-q", "-o", folder.file("out"), folder.file(so + "\\*.wav")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readfile(folder.file("out\\" + so + ".wav")), canonicalwav(d));

    // The single-file form with a wildcard that names exactly one input.
    r = runtool({folder.file(so + "\\*.wav"), folder.file("single.wav")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readfile(folder.file("single.wav")), canonicalwav(d));
}

} // namespace
