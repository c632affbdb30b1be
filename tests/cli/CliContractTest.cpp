// sonorm-cli run as a process over real files: exit statuses, exact output bytes (the string
// table in code page 932 on Windows), and that an input is never modified.
#include "ConsoleIo.h"
#include "FileSystem.h"
#include "PlatformExpect.h"
#include "StringTexts.h"
#include "TempDir.h"
#include "TestPlatform.h"
#include "Version.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>

using namespace wav;

namespace {

std::string line(const std::string& text) {
    return text + linebreak;
}

// Output split into lines without their line breaks.
std::vector<std::string> lines(const std::string& output) {
    std::vector<std::string> out;
    const std::string lb = linebreak;
    for (std::size_t pos = 0, end; pos < output.size(); pos = end + lb.size()) {
        end = std::min(output.find(lb, pos), output.size());
        out.push_back(output.substr(pos, end - pos));
    }
    return out;
}

std::string report(unsigned id, const std::string& suffix) {
    return platform::stringtable(id) + suffix;
}

// The report of a platform failure at the given step of the reader: the system's text as it
// is; in a batch line without breaks.
std::string systemreport(std::string text, unsigned step, std::uint32_t error, bool batch) {
    text += " [1," + std::to_string(step) + ",1," + std::to_string(error) + "]";
    if (batch) {
        auto isbreak = [](char c) { return c == '\r' || c == '\n'; };
        text.erase(std::remove_if(text.begin(), text.end(), isbreak), text.end());
    }
    return text;
}

std::string missingreport(bool batch) {
    return systemreport(platform::systemtext(platform::missingfile), 5, platform::missingfile,
                        batch);
}

// Every file of the folder with its bytes and modification time.
std::map<std::string, std::pair<std::string, std::int64_t>> snapshot(const TempDir& dir) {
    std::map<std::string, std::pair<std::string, std::int64_t>> files;
    for (const std::string& name : dir.list()) {
        files[name] = {readfile(dir.path(name)), modtime(dir.path(name))};
    }
    return files;
}

class Contract : public ::testing::Test {
protected:
    TempDir dir;
    std::string d = samples(4001);
    std::string good = decorated(d);
    std::string in = dir.write("in.wav", good);
};

TEST_F(Contract, SingleFormPrintsNothingOnSuccess) {
    backdate(in);
    std::string out = dir.write("out.wav", std::string(100000, 'z')); // replaced
    ProcessResult r = runtool({in, out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(readfile(out), canonical(d));
    EXPECT_NE(modtime(out), backdatedtime());

    r = runtool({"--keep-times", in, out});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(modtime(out), backdatedtime());

    // Data that ends early: the report, and what was written stays, as the program leaves it.
    std::string cut =
        dir.write("cut.wav", riffwave(pcmfmt() + header("data", 4000) + d.substr(0, 1000)));
    r = runtool({cut, out});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("[1,22,1,"), std::string::npos) << r.err;
    EXPECT_EQ(readfile(out).substr(0, 44), canonical("", pcmbody(), 4000));

    dir.write("out.wav", "mine");
    r = runtool({"-n", "-q", in, out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(readfile(out), "mine");
    EXPECT_EQ(readfile(in), good);
    EXPECT_EQ(modtime(in), backdatedtime());
}

// Refusals: the report on stderr, nothing on stdout, exit 1 (the file failed) or 2 (usage),
// nothing created and no file touched. Every other name of the input is refused as output.
TEST_F(Contract, RefusalsPrintTheReportAndChangeNothing) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const std::string out = dir.path("out.wav");
    const std::string floatfmt = chunk("fmt ", fmtbody(3, 2, 44100, 352800, 8, 32));
    const std::string need = line(platform::stringtable(IDS_NEED_FILE_NAMES));
    const std::string usage = "usage: sonorm-cli INPUT OUTPUT"; // within the usage text
    std::vector<Case> cases = {
        {{dir.write("riff.wav", "riff" + good.substr(4)), out},
         1,
         line(report(IDS_BAD_RIFF, "[1,7,0,0]"))},
        {{dir.write("float.wav", riffwave(floatfmt + chunk("data", d))), out},
         1,
         line(report(IDS_PCM_ONLY, "[1,13,0,0]"))},
        {{dir.write("empty.wav", riffwave(pcmfmt() + chunk("data", ""))), out},
         1,
         line(report(IDS_BAD_SAMPLE_COUNT, "[1,17,0,0]"))},
        {{dir.path("missing.wav"), out}, 1, line(missingreport(false))},
        {{"", out}, 2, need},
        {{in, ""}, 2, need},
        {{in, in}, 2, line(platform::stringtable(IDS_SAME_FILE_NAMES))},
        {{}, 2, usage},
        {{in, "b", "c"}, 2, usage},
    };
    const std::string busy = "[1,1,1," + std::to_string(platform::sameasinput) + "]";
    for (const std::string& alias : platform::aliases(dir, in)) {
        cases.push_back({{in, alias}, 1, line(report(IDS_NOT_OPENED, busy))});
    }
    for (const std::string& name : dir.list()) {
        backdate(dir.path(name));
    }
    const auto before = snapshot(dir);
    for (const Case& c : cases) {
        ProcessResult r = runtool(c.args);
        EXPECT_EQ(r.status, c.status) << c.err;
        EXPECT_EQ(r.out, "");
        if (c.err == usage) {
            EXPECT_NE(r.err.find(usage), std::string::npos) << r.err;
        } else {
            EXPECT_EQ(r.err, c.err);
        }
        EXPECT_EQ(snapshot(dir), before);
    }
}

// --help and the man page list every option of the one table, with its text.
TEST_F(Contract, VersionHelpAndManPageShareTheirSources) {
    ProcessResult v = runtool({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, line(std::string("Sonorm version 1.01\n") + SONORM_LEGAL));
    EXPECT_EQ(v.err, "");
    ProcessResult h = runtool({"--help"});
    EXPECT_EQ(h.status, 0);
    EXPECT_EQ(h.err, "");
    const std::string man =
        readfile(nameof(topath(toolpath()).parent_path().parent_path() / "cli" / "sonorm-cli.1"));
    EXPECT_NE(man.find(".SH OPTIONS"), std::string::npos);
    EXPECT_EQ(h.out.find("Excludes"), std::string::npos); // the rules speak when broken
    struct Row {
        std::string names, value, text;
    };
    const Row rows[] = {
#define SONORM_OPTION(names, value, text, japanese) {names, value, text},
#include "Options.def"
#undef SONORM_OPTION
    };
    auto troff = [](std::string text) {
        for (std::size_t at = 0; (at = text.find('-', at)) != std::string::npos; at += 2) {
            text.insert(at, "\\");
        }
        return text;
    };
    for (const Row& row : rows) {
        std::string first = row.text.substr(0, row.text.find('\n'));
        EXPECT_NE(h.out.find(row.names + (row.value.empty() ? "" : " " + row.value)),
                  std::string::npos)
            << row.names;
        EXPECT_NE(h.out.find(first), std::string::npos) << first;
        EXPECT_NE(man.find(troff(first)), std::string::npos) << first;
    }
}

TEST_F(Contract, BatchGoesOnAfterFailuresAndReportsInInputOrder) {
    std::vector<std::string> args = {"-o", dir.path("out"), "-j", "2"};
    std::vector<std::string> expected;
    auto content = [](int i) { return samples(1000 + 5000 * (i % 4), i); };
    for (int i = 0; i < 12; ++i) {
        bool bad = i % 3 == 1;
        std::string name = "f" + std::to_string(10 + i) + ".wav";
        args.push_back(dir.write(name, bad ? "RIFX" + good.substr(4) : decorated(content(i))));
        if (bad) {
            expected.push_back(args.back() + ": " + report(IDS_BAD_RIFF, "[1,7,0,0]"));
        }
    }
    args.push_back(dir.path("missing.wav"));
    expected.push_back(args.back() + ": " + missingreport(true));
    // Files that end too early after a failure of another kind: the end of the file is reported,
    // never the number the earlier failure left behind.
    for (const std::string& bytes : {std::string(), good.substr(0, 16)}) {
        args.push_back(dir.write("z" + std::to_string(bytes.size()) + ".wav", bytes));
        unsigned step = bytes.empty() ? 6 : 9;
        expected.push_back(args.back() + ": " +
                           systemreport(platform::endoffiletext, step, platform::endoffile, true));
    }

    ProcessResult r = runtool(args);

    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    std::vector<std::string> got = lines(r.err);
    ASSERT_EQ(got.size(), expected.size() + 1) << r.err;
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.end() - 1), expected);
    EXPECT_EQ(got.back().rfind("sonorm-cli: 8 converted, 7 failed, 0 skipped", 0), 0u) << r.err;
    for (int i = 0; i < 12; ++i) {
        std::string out = dir.path("out/f" + std::to_string(10 + i) + ".wav");
        EXPECT_EQ(readfile(out), i % 3 == 1 ? "" : canonical(content(i))) << out;
    }
    EXPECT_EQ(dir.list("out").size(), 8u); // no temporary file left
}

TEST_F(Contract, RecursiveQuietBatchKeepsTimes) {
    dir.folder("tree");
    dir.folder("tree/sub");
    backdate(dir.write("tree/a.wav", good));
    dir.write("tree/sub/b.WAV", good);
    dir.write("tree/sub/readme.txt", "text");
    ProcessResult r =
        runtool({"-q", "-r", "--keep-times", "-o", dir.path("out"), dir.path("tree")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(readfile(dir.path("out/a.wav")), canonical(d));
    EXPECT_EQ(readfile(dir.path("out/sub/b.WAV")), canonical(d));
    EXPECT_EQ(dir.list("out/sub"), std::vector<std::string>{"b.WAV"});
    EXPECT_EQ(modtime(dir.path("out/a.wav")), backdatedtime());
}

// Batch outputs never replace an input, each other, or (with -n) an existing file.
TEST_F(Contract, BatchCollisionsAndNoClobber) {
    dir.folder("x");
    std::string other = dir.write("x/in.wav", good);
    std::string b = dir.write("b.wav", good);
    backdate(in);
    // Into the inputs' own folder: the output would be the input.
    ProcessResult r = runtool({"-o", dir.path(), in});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("input itself"), std::string::npos) << r.err;
    EXPECT_EQ(readfile(in), good);
    EXPECT_EQ(modtime(in), backdatedtime());

    r = runtool({"-o", dir.path("out"), ""}); // an empty name is refused as the program does
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind(": " + platform::stringtable(IDS_NEED_FILE_NAMES) + linebreak, 0), 0u)
        << r.err;
    dir.write("out/b.wav", "older");
    r = runtool({"-n", "-o", dir.path("out"), in, other, b});
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> got = lines(r.err);
    ASSERT_EQ(got.size(), 3u) << r.err;
    EXPECT_EQ(got[0].rfind(other + ": same output", 0), 0u) << got[0];
    EXPECT_EQ(got[1].rfind(b + ": skipped: output exists", 0), 0u) << got[1];
    EXPECT_NE(got[2].find("1 converted, 1 failed, 1 skipped"), std::string::npos) << got[2];
    EXPECT_EQ(readfile(dir.path("out/in.wav")), canonical(d));
    EXPECT_EQ(readfile(dir.path("out/b.wav")), "older");
}

// The failing file stops while its data is copied, after the temporary file was written.
TEST_F(Contract, InPlaceRewritesKeepsBackupsAndSkipsCanonicalFiles) {
    std::string done = dir.write("done.wav", canonical(d));
    const std::string cut = riffwave(pcmfmt() + header("data", 4000) + samples(1000));
    std::string bad = dir.write("bad.wav", cut);
    backdate(in);
    backdate(done);
    ProcessResult r = runtool({"--in-place", "--backup", ".orig", "--keep-times", in, done, bad});
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> got = lines(r.err);
    ASSERT_EQ(got.size(), 2u) << r.err;
    EXPECT_EQ(got[0].rfind(bad + ": ", 0), 0u) << got[0];
    EXPECT_NE(got[0].find("[1,22,1,"), std::string::npos) << got[0];
    EXPECT_NE(got[1].find("1 converted, 1 failed, 0 skipped, 1 already canonical"),
              std::string::npos)
        << got[1];
    EXPECT_EQ(readfile(in), canonical(d));
    EXPECT_EQ(modtime(in), backdatedtime());
    EXPECT_EQ(readfile(in + ".orig"), good);
    EXPECT_EQ(readfile(done), canonical(d));
    EXPECT_EQ(modtime(done), backdatedtime());
    EXPECT_EQ(readfile(bad), cut);
    EXPECT_EQ(dir.list(),
              (std::vector<std::string>{"bad.wav", "done.wav", "in.wav", "in.wav.orig"}));
}

// --check describes each file and writes nothing; --json gives one parsable object per line,
// in input order also with -j 2.
TEST_F(Contract, CheckDescribesFilesAndWritesNothing) {
    std::string c = dir.write("c.wav", canonical(d));
    std::string bad = dir.write("r.wav", "RIFX" + good.substr(4));
    const auto before = snapshot(dir);
    ProcessResult r = runtool({"-q", "--check", in, c, bad});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "");
    const std::string numbers =
        ": ok: PCM, 2 channels, 16 bits, 44100 Hz, 1000 samples, 4001 data bytes; drops ";
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{
                                in + numbers + "LIST (8 bytes), fact (4 bytes), 2 extra fmt bytes",
                                c + numbers + "nothing; already canonical",
                                bad + ": fails: " + report(IDS_BAD_RIFF, "[1,7,0,0]"),
                            }));
    EXPECT_EQ(runtool({"--check", in, c}).status, 0);

    r = runtool({"--check", "--json", "-j", "2", in, bad});
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> got = lines(r.out);
    ASSERT_EQ(got.size(), 2u) << r.out;
    nlohmann::json a = nlohmann::json::parse(got[0]);
    const nlohmann::json expected = {{"ok", true},       {"canonical", false}, {"channels", 2},
                                     {"bits", 16},       {"rate", 44100},      {"samples", 1000},
                                     {"datasize", 4001}, {"fmtextra", 2}};
    for (const auto& [key, value] : expected.items()) {
        EXPECT_EQ(a[key], value) << key;
    }
    ASSERT_EQ(a["dropped"].size(), 2u);
    EXPECT_EQ(a["dropped"][0]["id"], "LIST");
    EXPECT_EQ(a["dropped"][1]["id"], "fact");
    nlohmann::json b = nlohmann::json::parse(got[1]);
    EXPECT_EQ(b["ok"], false);
    EXPECT_EQ(b["code"], 0x00010007);
    EXPECT_EQ(b["report"], std::string(stringtext(IDS_BAD_RIFF)) + "[1,7,0,0]");
    EXPECT_EQ(snapshot(dir), before);
}

} // namespace

namespace {

// A backup never replaces a file: an input whose backup name is taken is refused, untouched.
TEST_F(Contract, BackupNeverReplacesAFile) {
    std::string taken = dir.write("in.wav.orig", "the user's own file");
    std::string other = dir.write("other.wav", good);
    ProcessResult r = runtool({"--in-place", "--backup", ".orig", in, other});
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> got = lines(r.err);
    ASSERT_EQ(got.size(), 2u) << r.err;
    EXPECT_EQ(got[0].rfind(in + ": cannot keep the original as " + taken + ": ", 0), 0u) << got[0];
    EXPECT_EQ(readfile(taken), "the user's own file");
    EXPECT_EQ(readfile(in), good);
    EXPECT_EQ(readfile(other), canonical(d));
    EXPECT_EQ(readfile(other + ".orig"), good);
    EXPECT_EQ(dir.list(),
              (std::vector<std::string>{"in.wav", "in.wav.orig", "other.wav", "other.wav.orig"}));
}

// Each file counts once, in its own column; a file named twice is skipped the second time, the
// same way in every mode.
TEST_F(Contract, SummaryCountsEachFileOnceAndDuplicatesAreSkippedInEveryMode) {
    std::string c = dir.write("c.wav", canonical(d));
    std::string bad = dir.write("bad.wav", "RIFX" + good.substr(4));
    std::string again = dir.path(".") + "/c.wav";
    struct Case {
        std::vector<std::string> mode;
        std::string summary;
    };
    const Case cases[] = {
        {{"-o", dir.path("out")},
         "1 converted, 1 failed, 1 skipped, 1 already canonical; " +
             std::to_string(2 * canonical(d).size()) + " bytes written in "},
        {{"--check"}, "1 would convert, 1 would fail, 1 skipped, 1 already canonical; "},
        {{"--in-place"},
         "1 converted, 1 failed, 1 skipped, 1 already canonical; " +
             std::to_string(canonical(d).size()) + " bytes written in "},
    };
    for (const Case& k : cases) {
        std::vector<std::string> args = k.mode;
        args.insert(args.end(), {in, c, bad, again});
        ProcessResult r = runtool(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE((r.err + r.out).find(again + ": skipped: given twice (as " + c + ")"),
                  std::string::npos)
            << r.err << r.out;
        EXPECT_NE(r.err.find("sonorm-cli: " + k.summary), std::string::npos) << r.err;
    }
}

// The check follows the conversion's own walk: bytes after the chunks it reads are trailing
// bytes, not a chunk of a made-up size.
TEST_F(Contract, CheckReportsBytesAfterTheDataAsTrailing) {
    std::string garbage = dir.write("garbage.wav", canonical(d) + "garbage!");
    ProcessResult r = runtool({"--check", garbage});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(lines(r.out)[0],
              garbage + ": ok: PCM, 2 channels, 16 bits, 44100 Hz, 1000 samples, 4001 data "
                        "bytes; drops 8 trailing bytes");
}

} // namespace

namespace {

// Options that do not go together are refused before anything runs, in the user's terms.
TEST(Options, CombinationsAreRefusedBeforeAnythingRuns) {
    TempDir dir;
    std::string in = dir.write("in.wav", decorated(samples(40)));
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"-o", dir.path("d"), "--in-place", in}, "excludes"},
        {{"--check", "--in-place", in}, "excludes"},
        {{"--check", "-o", dir.path("d"), in}, "excludes"},
        {{"--backup", ".b", in, in + "2"}, "--backup requires --in-place"},
        {{"--in-place", "--backup", "", in}, "needs a suffix that is not empty"},
        {{"--split-links", in, in + "2"}, "--split-links requires --in-place"},
        {{"--json", in, in + "2"}, "--json requires --check"},
        {{"-r", in, in + "2"}, "-r walks folders only with -o, --in-place or --check"},
        {{"--in-place", "-n", in}, "excludes"},
        {{"--check", "--keep-times", in}, "excludes"},
        {{"-o", dir.path("d"), "-j", "0", in}, "needs a whole number of at least 1, not '0'"},
        {{"-o", dir.path("d"), "-j", "x", in}, "not 'x'"},
        {{"-o", "", in}, "needs a folder name"},
        {{"-o", dir.path("d")}, "no input files"},
        {{"--bogus", in, in + "2"}, "--bogus"},
    };
    for (const auto& [args, message] : cases) {
        ProcessResult r = runtool(args);
        EXPECT_EQ(r.status, 2) << message;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("usage: sonorm-cli INPUT OUTPUT"), std::string::npos) << r.err;
    }
    EXPECT_EQ(dir.list(), std::vector<std::string>{"in.wav"});
}

} // namespace
