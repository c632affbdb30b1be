// sonorm-cli run as a process over real files: exit statuses, exact output bytes, and that an
// input is never modified.
#include "CliTestSupport.h"
#include "ConsoleIo.h"
#include "FileSystem.h"
#include "StringTexts.h"
#include "TestPlatform.h"
#include "Version.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace {

std::string line(const std::string& text) {
    return text + linebreak;
}

std::string text(unsigned id) {
    return nativetext(stringtext(id));
}

// Splits output into lines without their line breaks.
std::vector<std::string> lines(const std::string& output) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    const std::string lb = linebreak;
    while (pos < output.size()) {
        std::size_t end = output.find(lb, pos);
        if (end == std::string::npos) {
            end = output.size();
        }
        out.push_back(output.substr(pos, end - pos));
        pos = end + lb.size();
    }
    return out;
}

class Contract : public ::testing::Test {
protected:
    TempFolder folder;
    std::string d = samples(4001);
    std::string good = decoratedwav(d);
};

TEST_F(Contract, SuccessPrintsNothingAndWritesTheCanonicalFile) {
    std::string in = folder.file("in.wav");
    std::string out = folder.file("out.wav");
    writefile(in, good);
    backdate(in);
    writefile(out, std::string(100000, 'z')); // an existing output is replaced

    ProcessResult r = runtool({in, out});

    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readfile(out), canonicalwav(d));
    EXPECT_EQ(readfile(in), good);
    EXPECT_EQ(modtime(in), backdatedtime());
}

TEST_F(Contract, FailuresPrintTheReportAndExitOne) {
    struct Case {
        std::string name;
        std::string bytes;
        std::string report;
    };
    const std::vector<Case> cases = {
        {"riff.wav", "riff" + good.substr(4), text(IDS_BAD_RIFF) + "[1,7,0,0]"},
        {"wave.wav", good.substr(0, 8) + "AVI " + good.substr(12),
         text(IDS_BAD_WAVE) + "[1,8,0,0]"},
        {"float.wav", WavBuilder().fmt(2, 44100, 32, 3).data(d).bytes(),
         text(IDS_PCM_ONLY) + "[1,13,0,0]"},
        {"three.wav", WavBuilder().fmt(3).data(d).bytes(), text(IDS_BAD_CHANNELS) + "[1,14,0,0]"},
        {"bits.wav", WavBuilder().fmt(2, 44100, 12).data(d).bytes(),
         text(IDS_BAD_BITS) + "[1,15,0,0]"},
        {"empty.wav", WavBuilder().fmt().data("").bytes(),
         text(IDS_BAD_SAMPLE_COUNT) + "[1,17,0,0]"},
    };
    for (const Case& c : cases) {
        std::string in = folder.file(c.name);
        writefile(in, c.bytes);
        backdate(in);
        std::string out = folder.file("out-" + c.name);
        ProcessResult r = runtool({in, out});
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_EQ(r.out, "") << c.name;
        EXPECT_EQ(r.err, line(c.report)) << c.name;
        EXPECT_FALSE(fileexists(out)) << c.name; // nothing is created for a rejected input
        EXPECT_EQ(readfile(in), c.bytes) << c.name;
        EXPECT_EQ(modtime(in), backdatedtime()) << c.name;
    }
}

TEST_F(Contract, AMissingInputGivesTheSystemText) {
    ProcessResult r = runtool({folder.file("missing.wav"), folder.file("out.wav")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, line(missingfilereport()));
    EXPECT_FALSE(fileexists(folder.file("out.wav")));
}

TEST_F(Contract, TheInputByAnotherSpellingIsNeverWritten) {
    std::string in = folder.file("in.wav");
    writefile(in, good);
    backdate(in);
    ProcessResult r = runtool({in, otherspelling(in)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              line(text(IDS_NOT_OPENED) + "[1,1,1," + std::to_string(sameopenfileerror()) + "]"));
    EXPECT_EQ(readfile(in), good);
    EXPECT_EQ(modtime(in), backdatedtime());
}

TEST_F(Contract, TheStartButtonChecksExitTwo) {
    std::string in = folder.file("in.wav");
    writefile(in, good);
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"", folder.file("o.wav")}, line(text(IDS_NEED_FILE_NAMES))},
        {{in, ""}, line(text(IDS_NEED_FILE_NAMES))},
        {{"", ""}, line(text(IDS_NEED_FILE_NAMES))},
        {{in, in}, line(text(IDS_SAME_FILE_NAMES))},
    };
    for (const Case& c : cases) {
        ProcessResult r = runtool(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(readfile(in), good);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{}, {in}, {in, "b", "c"}, {"--what", in, "b"}}) {
        ProcessResult r = runtool(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: sonorm-cli INPUT OUTPUT"), std::string::npos) << r.err;
    }
}

TEST_F(Contract, VersionAndHelp) {
    ProcessResult v = runtool({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, line(std::string("Sonorm version 1.01\n") + SONORM_LEGAL));
    EXPECT_EQ(v.err, "");
    ProcessResult h = runtool({"--help"});
    EXPECT_EQ(h.status, 0);
    EXPECT_EQ(h.err, "");
    for (const char* option :
         {"-o, --output-dir", "-r, --recursive", "--in-place", "--backup", "--check", "--json",
          "--keep-times", "-n, --no-clobber", "-j, --jobs", "-q, --quiet", "Exit status"}) {
        EXPECT_NE(h.out.find(option), std::string::npos) << option;
    }
}

TEST_F(Contract, KeepTimesAndNoClobberInTheSingleForm) {
    std::string in = folder.file("in.wav");
    std::string out = folder.file("out.wav");
    writefile(in, good);
    backdate(in);
    ProcessResult r = runtool({"--keep-times", in, out});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(modtime(out), backdatedtime());
    writefile(out, "mine");
    r = runtool({"-n", "-q", in, out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readfile(out), "mine");
}

class Batch : public Contract {};

TEST_F(Batch, MixedInputsGoOnAfterFailuresAndReportInInputOrder) {
    std::vector<std::string> args = {"-o", folder.file("out"), "-j", "2"};
    std::vector<std::string> expectederr;
    for (int i = 0; i < 12; ++i) {
        std::string name = folder.file("f" + std::to_string(10 + i) + ".wav");
        if (i % 3 == 1) {
            writefile(name, "RIFX" + good.substr(4));
            expectederr.push_back(name + ": " + text(IDS_BAD_RIFF) + "[1,7,0,0]");
        } else {
            writefile(name, decoratedwav(samples(1000 + 5000 * (i % 4), i)));
        }
        args.push_back(name);
    }
    std::string missing = folder.file("missing.wav");
    args.push_back(missing);
    std::string oneline = missingfilereport();
    for (const char* lb : {"\r", "\n"}) {
        for (std::size_t p; (p = oneline.find(lb)) != std::string::npos;) {
            oneline.erase(p, 1);
        }
    }
    expectederr.push_back(missing + ": " + oneline);

    ProcessResult r = runtool(args);

    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    std::vector<std::string> got = lines(r.err);
    ASSERT_EQ(got.size(), expectederr.size() + 1) << r.err;
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.end() - 1), expectederr);
    EXPECT_EQ(got.back().rfind("sonorm-cli: 8 converted, 5 failed, 0 skipped", 0), 0u)
        << got.back();
    for (int i = 0; i < 12; ++i) {
        std::string name = "f" + std::to_string(10 + i) + ".wav";
        std::string out = folder.file("out/" + name);
        if (i % 3 == 1) {
            EXPECT_FALSE(fileexists(out)) << name;
        } else {
            EXPECT_EQ(readfile(out), canonicalwav(samples(1000 + 5000 * (i % 4), i))) << name;
        }
    }
    EXPECT_EQ(folder.list("out").size(), 8u); // no temporary file left
}

TEST_F(Batch, AllGoodExitsZeroAndQuietPrintsNothing) {
    ASSERT_TRUE(makefolder(folder.file("tree")));
    ASSERT_TRUE(makefolder(folder.file("tree/sub")));
    writefile(folder.file("tree/a.wav"), good);
    writefile(folder.file("tree/sub/b.WAV"), good);
    writefile(folder.file("tree/sub/readme.txt"), "text");
    backdate(folder.file("tree/a.wav"));
    ProcessResult r =
        runtool({"-q", "-r", "--keep-times", "-o", folder.file("out"), folder.file("tree")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readfile(folder.file("out/a.wav")), canonicalwav(d));
    EXPECT_EQ(readfile(folder.file("out/sub/b.WAV")), canonicalwav(d));
    EXPECT_FALSE(fileexists(folder.file("out/sub/readme.txt")));
    EXPECT_EQ(modtime(folder.file("out/a.wav")), backdatedtime());
}

TEST_F(Batch, CollisionsAreReportedAndInputsNeverOverwritten) {
    ASSERT_TRUE(makefolder(folder.file("x")));
    writefile(folder.file("a.wav"), good);
    writefile(folder.file("x/a.wav"), good);
    backdate(folder.file("a.wav"));
    // Into the inputs' own folder: every output would be its input.
    ProcessResult r = runtool({"-o", folder.path(), folder.file("a.wav")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("input itself"), std::string::npos) << r.err;
    EXPECT_EQ(readfile(folder.file("a.wav")), good);
    EXPECT_EQ(modtime(folder.file("a.wav")), backdatedtime());

    r = runtool({"-o", folder.file("out"), folder.file("a.wav"), folder.file("x/a.wav")});
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> got = lines(r.err);
    ASSERT_EQ(got.size(), 2u) << r.err;
    EXPECT_EQ(got[0].rfind(folder.file("x/a.wav") + ": same output", 0), 0u) << got[0];
}

TEST_F(Batch, NoClobberSkipsExistingOutputs) {
    writefile(folder.file("a.wav"), good);
    writefile(folder.file("b.wav"), good);
    ASSERT_TRUE(makefolder(folder.file("out")));
    writefile(folder.file("out/a.wav"), "older");
    ProcessResult r =
        runtool({"-n", "-o", folder.file("out"), folder.file("a.wav"), folder.file("b.wav")});
    EXPECT_EQ(r.status, 0);
    std::vector<std::string> got = lines(r.err);
    ASSERT_EQ(got.size(), 2u) << r.err;
    EXPECT_EQ(got[0].rfind(folder.file("a.wav") + ": skipped: output exists", 0), 0u) << got[0];
    EXPECT_NE(got[1].find("1 converted, 0 failed, 1 skipped"), std::string::npos) << got[1];
    EXPECT_EQ(readfile(folder.file("out/a.wav")), "older");
    EXPECT_EQ(readfile(folder.file("out/b.wav")), canonicalwav(d));
}

TEST_F(Batch, InPlaceRewritesKeepsBackupsAndSkipsCanonicalFiles) {
    std::string a = folder.file("a.wav");
    std::string done = folder.file("done.wav");
    std::string bad = folder.file("bad.wav");
    writefile(a, good);
    writefile(done, canonicalwav(d));
    writefile(bad, "RIFF");
    backdate(a);
    backdate(done);
    ProcessResult r = runtool({"--in-place", "--backup", ".orig", "--keep-times", a, done, bad});
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> got = lines(r.err);
    ASSERT_EQ(got.size(), 2u) << r.err;
    EXPECT_EQ(got[0].rfind(bad + ": ", 0), 0u);
    EXPECT_NE(got[1].find("1 converted, 1 failed, 0 skipped, 1 already canonical"),
              std::string::npos)
        << got[1];
    EXPECT_EQ(readfile(a), canonicalwav(d));
    EXPECT_EQ(modtime(a), backdatedtime());
    EXPECT_EQ(readfile(a + ".orig"), good);
    EXPECT_EQ(readfile(done), canonicalwav(d));
    EXPECT_EQ(modtime(done), backdatedtime());
    EXPECT_EQ(readfile(bad), "RIFF");
    EXPECT_EQ(folder.list(),
              (std::vector<std::string>{"a.wav", "a.wav.orig", "bad.wav", "done.wav"}));
}

TEST_F(Batch, CheckDescribesFilesAndWritesNothing) {
    writefile(folder.file("a.wav"), good);
    writefile(folder.file("c.wav"), canonicalwav(d));
    writefile(folder.file("r.wav"), "RIFX" + good.substr(4));
    std::vector<std::string> before = folder.list();
    ProcessResult r = runtool(
        {"-q", "--check", folder.file("a.wav"), folder.file("c.wav"), folder.file("r.wav")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "");
    std::vector<std::string> got = lines(r.out);
    ASSERT_EQ(got.size(), 3u) << r.out;
    EXPECT_EQ(got[0], folder.file("a.wav") +
                          ": ok: PCM, 2 channels, 16 bits, 44100 Hz, 1000 samples, 4001 data "
                          "bytes; drops LIST (8 bytes), fact (4 bytes), 2 extra fmt bytes");
    EXPECT_EQ(got[1], folder.file("c.wav") +
                          ": ok: PCM, 2 channels, 16 bits, 44100 Hz, 1000 samples, 4001 data "
                          "bytes; drops nothing; already canonical");
    EXPECT_EQ(got[2], folder.file("r.wav") + ": fails: " + text(IDS_BAD_RIFF) + "[1,7,0,0]");
    EXPECT_EQ(folder.list(), before);

    r = runtool({"--check", folder.file("a.wav"), folder.file("c.wav")});
    EXPECT_EQ(r.status, 0);
}

TEST_F(Batch, CheckJsonIsOneObjectPerLine) {
    writefile(folder.file("a.wav"), good);
    writefile(folder.file("r.wav"), "RIFX" + good.substr(4));
    ProcessResult r =
        runtool({"--check", "--json", "-j", "2", folder.file("a.wav"), folder.file("r.wav")});
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> got = lines(r.out);
    ASSERT_EQ(got.size(), 2u) << r.out;
    nlohmann::json a = nlohmann::json::parse(got[0]);
    EXPECT_EQ(a["ok"], true);
    EXPECT_EQ(a["canonical"], false);
    EXPECT_EQ(a["channels"], 2);
    EXPECT_EQ(a["bits"], 16);
    EXPECT_EQ(a["rate"], 44100);
    EXPECT_EQ(a["samples"], 1000);
    EXPECT_EQ(a["datasize"], 4001);
    ASSERT_EQ(a["dropped"].size(), 2u);
    EXPECT_EQ(a["dropped"][0]["id"], "LIST");
    EXPECT_EQ(a["dropped"][1]["id"], "fact");
    EXPECT_EQ(a["fmtextra"], 2);
    nlohmann::json bad = nlohmann::json::parse(got[1]);
    EXPECT_EQ(bad["ok"], false);
    EXPECT_EQ(bad["code"], 0x00010007);
    EXPECT_EQ(bad["report"], std::string(stringtext(IDS_BAD_RIFF)) + "[1,7,0,0]");
}

} // namespace
