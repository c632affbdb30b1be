// The batch planner's mapping and collision checks, --check's inspection of files, and the
// option combinations.
#include "BatchPlanner.h"
#include "FileSystem.h"
#include "Inspector.h"
#include "Options.h"
#include "TempDir.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace wav;

namespace {

std::vector<PlannedJob> plan(PlanKind kind, const std::string& outdir,
                             const std::vector<std::string>& operands, bool recursive = false,
                             const std::string& backup = std::string()) {
    PlanSettings settings;
    settings.kind = kind;
    settings.outdir = outdir;
    settings.recursive = recursive;
    settings.backupsuffix = backup;
    return BatchPlanner(settings).plan(operands);
}

// Input, output and problem of each job.
std::vector<std::vector<std::string>> summary(const std::vector<PlannedJob>& jobs) {
    std::vector<std::vector<std::string>> out;
    for (const PlannedJob& job : jobs) {
        out.push_back({job.input, job.output, job.problem});
    }
    return out;
}

// A tree walked for .wav names in any letter case, mirrored below the output folder, which
// lies inside the tree and is not walked itself; without -r the folder is refused.
TEST(BatchPlanner, WalksFoldersAndMirrorsTheTree) {
    TempDir dir;
    std::string in = dir.folder("in");
    std::string out = dir.folder("in/out");
    dir.folder("in/sub");
    dir.folder("in/sub/deeper");
    for (const char* name :
         {"in/a.wav", "in/B.WAV", "in/sub/c.Wav", "in/sub/deeper/d.wav", "in/notes.txt",
          "in/sub/e.wave", "in/wav", "in/.wav", "in/out/older.wav"}) {
        dir.write(name, "x");
    }
    // The walk joins names with the platform's separator.
    auto at = [](std::string path, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            path = fsjoin(path, name);
        }
        return path;
    };
    EXPECT_EQ(summary(plan(PlanKind::batch, out, {in}, true)),
              (std::vector<std::vector<std::string>>{
                  {at(in, {"B.WAV"}), at(out, {"B.WAV"}), ""},
                  {at(in, {"a.wav"}), at(out, {"a.wav"}), ""},
                  {at(in, {"sub", "c.Wav"}), at(out, {"sub", "c.Wav"}), ""},
                  {at(in, {"sub", "deeper", "d.wav"}), at(out, {"sub", "deeper", "d.wav"}), ""},
              }));
    std::vector<PlannedJob> jobs = plan(PlanKind::batch, out, {in});
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_NE(jobs[0].problem.find("-r"), std::string::npos);
}

// A linked folder is not walked (a link up the tree would loop): the files behind a link to a
// folder of the tree are planned once, from the folder itself.
TEST(BatchPlanner, LinkedFoldersAreNotWalked) {
    TempDir dir;
    std::string in = dir.folder("in");
    std::string sub = dir.folder("in/sub");
    dir.write("in/sub/a.wav", "x");
    std::error_code error;
    std::filesystem::create_directory_symlink(sub, dir.path("in/link"), error);
    if (error) {
        GTEST_SKIP() << "no folder links here: " << error.message();
    }
    std::vector<PlannedJob> jobs = plan(PlanKind::check, "", {in}, true);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].input, fsjoin(fsjoin(in, "sub"), "a.wav")); // as the walk joins names
}

// Found before anything is written: a.wav and x/a.wav share out/a.wav; the same b.wav twice;
// c.wav would replace the input out/c.wav; out/c.wav would be written onto itself.
TEST(BatchPlanner, NameCollisions) {
    TempDir dir;
    dir.folder("x");
    std::string out = dir.folder("out");
    for (const char* name : {"a.wav", "x/a.wav", "b.wav", "out/c.wav", "c.wav"}) {
        dir.write(name, "x");
    }
    std::vector<PlannedJob> jobs =
        plan(PlanKind::batch, out,
             {dir.path("a.wav"), dir.path("x/a.wav"), dir.path("b.wav"), dir.path("b.wav"),
              dir.path("c.wav"), dir.path("out/c.wav")});
    const char* problems[] = {"", "same output", "", "same output", "is the input", "input itself"};
    ASSERT_EQ(jobs.size(), std::size(problems));
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        EXPECT_EQ(jobs[i].problem.empty(), *problems[i] == '\0') << jobs[i].problem;
        EXPECT_NE(jobs[i].problem.find(problems[i]), std::string::npos) << jobs[i].problem;
        EXPECT_FALSE(jobs[i].skip);
    }
}

TEST(BatchPlanner, InPlaceDuplicatesAreSkippedAndBackupsMayNotReplaceInputs) {
    TempDir dir;
    std::string a = dir.write("a.wav", "x");
    std::string backup = dir.write("a.wav.bak", "x");
    std::string c = dir.write("c.wav", "x");
    std::vector<PlannedJob> jobs = plan(PlanKind::inplace, "", {c, c, a, backup}, false, ".bak");
    ASSERT_EQ(jobs.size(), 4u);
    EXPECT_TRUE(jobs[0].problem.empty());
    EXPECT_TRUE(jobs[1].skip);
    EXPECT_NE(jobs[2].problem.find("backup"), std::string::npos) << jobs[2].problem;
    EXPECT_FALSE(jobs[2].skip);
    EXPECT_TRUE(jobs[3].problem.empty());
}

// The numbers come from the reader (the count from fact), the listing names every dropped
// chunk, also after the data, and follows the reader in taking a pad byte as the next header.
TEST(Inspector, ReportsTheNumbersAndTheDroppedChunks) {
    TempDir dir;
    std::string d = samples(1000);
    std::string name = dir.write(
        "in.wav", riffwave(chunk("LIST", "INFO") + chunk("fmt ", pcmbody(1, 8, 22050) + "xxxx") +
                           fact(7) + chunk("data", d) + chunk("junk", "abc")) +
                      std::string(1, '\0'));
    Inspection info = inspectfile(name);
    ASSERT_TRUE(info.ok) << info.report;
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.bits, 8);
    EXPECT_EQ(info.rate, 22050u);
    EXPECT_EQ(info.samples, 7u);
    EXPECT_EQ(info.datasize, 1000u);
    EXPECT_FALSE(info.canonical);
    std::vector<std::string> dropped;
    for (const ChunkEntry& chunk : droppedchunks(info.chunks)) {
        dropped.push_back(chunk.id + "/" + std::to_string(chunk.size));
    }
    EXPECT_EQ(dropped, (std::vector<std::string>{"LIST/4", "fact/4", "junk/3"}));
    EXPECT_EQ(info.chunks.fmtextra, 4u);
    EXPECT_EQ(info.chunks.trailing, 1u);
}

// An invalid file, or data cut short, fails with the report the conversion would give.
TEST(Inspector, FailsAsTheConversionWould) {
    TempDir dir;
    struct Case {
        std::string bytes;
        std::uint32_t code;
        const char* suffix;
    };
    const Case cases[] = {
        {riffwave(pcmfmt(3) + chunk("data", samples(12))), 0x0001000E, "[1,14,0,0]"},
        {riffwave(pcmfmt() + header("data", 100000) + samples(10)), 0x01010016, "[1,22,1,"},
    };
    for (const Case& c : cases) {
        Inspection info = inspectfile(dir.write("bad.wav", c.bytes));
        EXPECT_FALSE(info.ok);
        EXPECT_EQ(info.result.code, c.code);
        EXPECT_NE(info.report.find(c.suffix), std::string::npos) << info.report;
    }
}

TEST(Options, CombinationsAreCheckedBeforeAnythingRuns) {
    struct Case {
        std::vector<const char*> args;
        bool run;
        Mode mode;
    };
    const std::vector<Case> cases = {
        {{"a", "b"}, true, Mode::single},
        {{"-o", "d", "a"}, true, Mode::batch},
        {{"--in-place", "--backup", ".b", "a"}, true, Mode::inplace},
        {{"--check", "--json", "-r", "a"}, true, Mode::check},
        {{"-o", "d", "--in-place", "a"}, false, Mode::single},
        {{"--check", "--in-place", "a"}, false, Mode::single},
        {{"--backup", ".b", "a", "b"}, false, Mode::single},
        {{"--in-place", "--backup", "", "a"}, false, Mode::single},
        {{"--json", "a", "b"}, false, Mode::single},
        {{"-r", "a", "b"}, false, Mode::single},
        {{"--in-place", "-n", "a"}, false, Mode::single},
        {{"--check", "--keep-times", "a"}, false, Mode::single},
        {{"-o", "d", "-j", "0", "a"}, false, Mode::single},
        {{"-o", "d"}, false, Mode::single},
        {{"--bogus", "a", "b"}, false, Mode::single},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"sonorm-cli"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        ParseOutcome outcome = parseoptions(static_cast<int>(argv.size()), argv.data());
        std::string shown;
        for (const char* a : c.args) {
            shown += std::string(a) + " ";
        }
        EXPECT_EQ(outcome.run, c.run) << shown << outcome.err;
        if (c.run) {
            EXPECT_EQ(outcome.options.mode, c.mode) << shown;
        } else {
            EXPECT_EQ(outcome.status, exitusage) << shown;
            EXPECT_NE(outcome.err.find("usage:"), std::string::npos) << shown;
        }
    }
}

} // namespace
