// The batch planner's mapping and collision checks, and --check's inspection of files.
#include "BatchPlanner.h"
#include "CliTestSupport.h"
#include "FileSystem.h"
#include "Inspector.h"
#include "Options.h"

#include <gtest/gtest.h>

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

TEST(BatchPlanner, WalksFoldersForWavFilesInAnyCaseAndMirrorsTheTree) {
    TempFolder folder;
    ASSERT_TRUE(fsmakedirs(folder.file("in/sub/deeper")));
    for (const char* name : {"in/a.wav", "in/B.WAV", "in/sub/c.Wav", "in/sub/deeper/d.wav",
                             "in/notes.txt", "in/sub/e.wave", "in/wav"}) {
        writefile(folder.file(name), "x");
    }
    std::string out = folder.file("out");
    auto jobs = plan(PlanKind::batch, out, {folder.file("in")}, true);

    std::vector<std::pair<std::string, std::string>> got;
    for (const PlannedJob& job : jobs) {
        EXPECT_TRUE(job.problem.empty()) << job.problem;
        got.emplace_back(job.input, job.output);
    }
    std::string in = folder.file("in");
    std::vector<std::pair<std::string, std::string>> want = {
        {fsjoin(in, "B.WAV"), fsjoin(out, "B.WAV")},
        {fsjoin(in, "a.wav"), fsjoin(out, "a.wav")},
        {fsjoin(fsjoin(in, "sub"), "c.Wav"), fsjoin(fsjoin(out, "sub"), "c.Wav")},
        {fsjoin(fsjoin(fsjoin(in, "sub"), "deeper"), "d.wav"),
         fsjoin(fsjoin(fsjoin(out, "sub"), "deeper"), "d.wav")},
    };
    EXPECT_EQ(got, want);
}

TEST(BatchPlanner, AFolderWithoutRecursionIsReportedNotWalked) {
    TempFolder folder;
    ASSERT_TRUE(fsmakedirs(folder.file("in")));
    writefile(folder.file("in/a.wav"), "x");
    auto jobs = plan(PlanKind::batch, folder.file("out"), {folder.file("in")});
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_NE(jobs[0].problem.find("-r"), std::string::npos);
}

TEST(BatchPlanner, TheOutputFolderInsideTheTreeIsNotAnInput) {
    TempFolder folder;
    ASSERT_TRUE(fsmakedirs(folder.file("tree/out")));
    writefile(folder.file("tree/a.wav"), "x");
    writefile(folder.file("tree/out/a.wav"), "older output");
    auto jobs = plan(PlanKind::batch, folder.file("tree/out"), {folder.file("tree")}, true);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].input, fsjoin(folder.file("tree"), "a.wav"));
    EXPECT_TRUE(jobs[0].problem.empty()) << jobs[0].problem;
}

TEST(BatchPlanner, NameCollisionsAreFoundBeforeAnythingIsWritten) {
    TempFolder folder;
    ASSERT_TRUE(fsmakedirs(folder.file("x")));
    ASSERT_TRUE(fsmakedirs(folder.file("out")));
    for (const char* name : {"a.wav", "x/a.wav", "b.wav", "out/c.wav", "c.wav"}) {
        writefile(folder.file(name), "x");
    }
    std::string out = folder.file("out");
    // a.wav and x/a.wav share out/a.wav; the same b.wav twice; c.wav would replace the input
    // out/c.wav; out/c.wav would be written onto itself.
    auto jobs = plan(PlanKind::batch, out,
                     {folder.file("a.wav"), folder.file("x/a.wav"), folder.file("b.wav"),
                      folder.file("b.wav"), folder.file("c.wav"), folder.file("out/c.wav")});
    ASSERT_EQ(jobs.size(), 6u);
    EXPECT_TRUE(jobs[0].problem.empty());
    EXPECT_NE(jobs[1].problem.find("same output"), std::string::npos) << jobs[1].problem;
    EXPECT_TRUE(jobs[2].problem.empty());
    EXPECT_NE(jobs[3].problem.find("same output"), std::string::npos) << jobs[3].problem;
    EXPECT_NE(jobs[4].problem.find("is the input"), std::string::npos) << jobs[4].problem;
    EXPECT_NE(jobs[5].problem.find("input itself"), std::string::npos) << jobs[5].problem;
    for (const PlannedJob& job : jobs) {
        EXPECT_FALSE(job.skip);
    }
}

TEST(BatchPlanner, InPlaceDuplicatesAreSkippedAndBackupsMayNotReplaceInputs) {
    TempFolder folder;
    writefile(folder.file("a.wav"), "x");
    writefile(folder.file("a.wav.bak"), "x");
    writefile(folder.file("c.wav"), "x");
    auto jobs = plan(PlanKind::inplace, std::string(),
                     {folder.file("c.wav"), folder.file("c.wav"), folder.file("a.wav"),
                      folder.file("a.wav.bak")},
                     false, ".bak");
    ASSERT_EQ(jobs.size(), 4u);
    EXPECT_TRUE(jobs[0].problem.empty());
    EXPECT_TRUE(jobs[1].skip);
    EXPECT_NE(jobs[2].problem.find("backup"), std::string::npos) << jobs[2].problem;
    EXPECT_FALSE(jobs[2].skip);
    EXPECT_TRUE(jobs[3].problem.empty());
}

TEST(BatchPlanner, WavNamesAreRecognisedInAnyLetterCase) {
    EXPECT_TRUE(iswavname("a.wav"));
    EXPECT_TRUE(iswavname("a.WaV"));
    EXPECT_FALSE(iswavname(".wav"));
    EXPECT_FALSE(iswavname("a.wave"));
    EXPECT_FALSE(iswavname("awav"));
}

TEST(Inspector, ReportsTheNumbersTheDroppedChunksAndCanonicalState) {
    TempFolder folder;
    std::string d = samples(1000);
    std::string name = folder.file("in.wav");
    writefile(name, WavBuilder()
                        .list("INFO")
                        .fmt(1, 22050, 8, 1, 4)
                        .chunk("fact", le32bytes(7))
                        .data(d)
                        .chunk("junk", "abc")
                        .bytes());
    Inspection info = inspectfile(name);
    ASSERT_TRUE(info.ok) << info.report;
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.bits, 8);
    EXPECT_EQ(info.rate, 22050u);
    EXPECT_EQ(info.samples, 7u); // from the fact chunk
    EXPECT_EQ(info.datasize, 1000u);
    EXPECT_FALSE(info.canonical);
    std::vector<std::string> dropped;
    for (const ChunkEntry& chunk : droppedchunks(info.chunks)) {
        dropped.push_back(chunk.id + "/" + std::to_string(chunk.size));
    }
    EXPECT_EQ(dropped, (std::vector<std::string>{"LIST/4", "fact/4", "junk/3"}));
    EXPECT_EQ(info.chunks.fmtextra, 4u);

    writefile(name, canonicalwav(d));
    info = inspectfile(name);
    EXPECT_TRUE(info.ok);
    EXPECT_TRUE(info.canonical);
    EXPECT_TRUE(droppedchunks(info.chunks).empty());
}

TEST(Inspector, ListsChunksAfterTheDataWithoutPadSkipping) {
    TempFolder folder;
    std::string name = folder.file("odd.wav");
    // An odd-sized chunk followed by its pad byte: the reader takes the pad as the start of
    // the next id, and so does the listing.
    std::string bytes =
        WavBuilder().fmt().data(samples(8)).chunk("odd ", "abc").bytes() + std::string(1, '\0');
    writefile(name, bytes);
    Inspection info = inspectfile(name);
    ASSERT_TRUE(info.ok);
    ASSERT_EQ(droppedchunks(info.chunks).size(), 1u);
    EXPECT_EQ(info.chunks.trailing, 1u);
}

TEST(Inspector, TruncatedDataFailsAsTheConversionWould) {
    TempFolder folder;
    std::string name = folder.file("short.wav");
    writefile(name, WavBuilder().fmt().shortdata(100000, samples(10)).bytes());
    Inspection info = inspectfile(name);
    EXPECT_FALSE(info.ok);
    EXPECT_EQ(info.result.code, 0x01010016u);
    EXPECT_NE(info.report.find("[1,22,1,"), std::string::npos) << info.report;
}

TEST(Inspector, InvalidFilesCarryTheEngineReport) {
    TempFolder folder;
    std::string name = folder.file("three.wav");
    writefile(name, WavBuilder().fmt(3).data(samples(12)).bytes());
    Inspection info = inspectfile(name);
    EXPECT_FALSE(info.ok);
    EXPECT_EQ(info.result.code, 0x0001000Eu);
    EXPECT_NE(info.report.find("[1,14,0,0]"), std::string::npos);
}

struct UsageCase {
    std::vector<const char*> args;
    bool run;
    Mode mode;
};

TEST(Options, CombinationsAreCheckedBeforeAnythingRuns) {
    const std::vector<UsageCase> cases = {
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
    for (const UsageCase& c : cases) {
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
