// The Windows build expands wildcard operands itself (the command prompt does not), and every
// mode keeps names whose trail bytes are 0x5C, the backslash: the walk and its mirror, the
// temporary file and backup beside an in-place file, the check line and JSON (UTF-8).
#include "TempDir.h"
#include "TestPlatform.h"
#include "WavBytes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

using namespace wav;

TEST(Wildcards, DoubleByteNamesInEveryMode) {
    TempDir dir;
    const std::string so = "\x83\x5C", hyou = "\x95\x5C"; // ソ and 表 in code page 932
    const std::string d = samples(100), name = so + hyou + ".wav";
    ASSERT_TRUE(CreateDirectoryA(dir.path(so).c_str(), nullptr)); // its name is not UTF-8
    std::string file = dir.write(so + "\\" + name, decorated(d));
    for (const char* other : {"x1.wav", "x2.WAV", "x10.wav", "y.wave", "z.txt"}) {
        dir.write(so + "\\" + other, decorated(d));
    }
    EXPECT_EQ(runtool({"-q", "-o", dir.path("star"), dir.path(so + "\\*.wav")}).status, 0);
    EXPECT_EQ(dir.list("star").size(), 4u);
    EXPECT_EQ(runtool({"-q", "-o", dir.path("one"), dir.path(so + "\\x?.wav")}).status, 0);
    EXPECT_EQ(dir.list("one"), (std::vector<std::string>{"x1.wav", "x2.WAV"}));
    EXPECT_EQ(runtool({"-q", "-o", dir.path("no"), dir.path("nothing*.wav")}).status, 1);
    EXPECT_EQ(runtool({dir.path(so + "\\" + so + "*.wav"), dir.path("single.wav")}).status, 0);
    EXPECT_EQ(readfile(dir.path("single.wav")), canonical(d));
    EXPECT_EQ(readfile(dir.path("star\\" + name)), canonical(d));
    EXPECT_EQ(runtool({"-q", "-r", "-o", dir.path("tree"), dir.path(so)}).status, 0);
    EXPECT_EQ(readfile(dir.path("tree\\" + name)), canonical(d));
    ProcessResult r = runtool({"--check", "--json", file});
    EXPECT_NE(r.out.find("\xE3\x82\xBD\xE8\xA1\xA8.wav\",\"ok\":true"), std::string::npos) << r.out;
    EXPECT_EQ(runtool({"-q", "--in-place", "--backup", ".orig", file}).status, 0);
    EXPECT_EQ(readfile(file), canonical(d));
    EXPECT_EQ(readfile(file + ".orig"), decorated(d));
    r = runtool({"-q", "--check", dir.path(so + "\\*")}); // no temporary file is left
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 7) << r.out;
}
