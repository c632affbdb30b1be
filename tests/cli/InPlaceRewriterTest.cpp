// The in-place rewrite and the batch job around the engine: what survives each failure.
#include "CliTestSupport.h"
#include "ConverterJob.h"
#include "FileSystem.h"
#include "InPlaceRewriter.h"
#include "TestPlatform.h"

#include <gtest/gtest.h>

namespace {

class FailAt : public FaultInjector {
public:
    explicit FailAt(RewriteStep failing) : step(failing) {}
    bool fails(RewriteStep s) const override { return s == step; }

private:
    RewriteStep step;
};

PlannedJob inplacejob(const std::string& name) {
    PlannedJob job;
    job.input = name;
    job.output = name;
    return job;
}

struct StepCase {
    RewriteStep step;
    const char* name;
};

class InPlaceFault : public ::testing::TestWithParam<StepCase> {};

TEST_P(InPlaceFault, OriginalSurvivesAndNoTemporaryFileIsLeft) {
    TempFolder folder;
    std::string name = folder.file("take.wav");
    std::string original = decoratedwav(samples(3000));
    writefile(name, original);
    backdate(name);
    std::int64_t before = modtime(name);

    FailAt faults(GetParam().step);
    InPlaceRewriter rewriter(RewriteSettings{true, ".orig"}, &faults);
    JobOutcome outcome = rewriter.run(inplacejob(name));

    EXPECT_EQ(outcome.status, JobStatus::failed);
    EXPECT_NE(outcome.message.find(injectedfaulttext), std::string::npos) << outcome.message;
    EXPECT_EQ(readfile(name), original);
    EXPECT_EQ(modtime(name), before);
    EXPECT_EQ(folder.list(), std::vector<std::string>{"take.wav"}); // no temp, no backup
}

INSTANTIATE_TEST_SUITE_P(EachStep, InPlaceFault,
                         ::testing::Values(StepCase{RewriteStep::createtemp, "createtemp"},
                                           StepCase{RewriteStep::convert, "convert"},
                                           StepCase{RewriteStep::flush, "flush"},
                                           StepCase{RewriteStep::backup, "backup"},
                                           StepCase{RewriteStep::rename, "rename"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InPlaceRewriter, ReplacesTheFileAndKeepsTheOriginalAsBackup) {
    TempFolder folder;
    std::string name = folder.file("take.wav");
    std::string d = samples(5001);
    std::string original = decoratedwav(d);
    writefile(name, original);
    backdate(name);
    std::int64_t before = modtime(name);

    JobOutcome outcome = InPlaceRewriter(RewriteSettings{true, ".orig"}).run(inplacejob(name));

    ASSERT_EQ(outcome.status, JobStatus::converted) << outcome.message;
    EXPECT_EQ(readfile(name), canonicalwav(d));
    EXPECT_EQ(outcome.written, canonicalwav(d).size());
    EXPECT_EQ(modtime(name), before); // --keep-times
    EXPECT_EQ(readfile(name + ".orig"), original);
    EXPECT_EQ(folder.list(), (std::vector<std::string>{"take.wav", "take.wav.orig"}));
}

TEST(InPlaceRewriter, TheRewrittenFileKeepsItsPermissions) {
    TempFolder folder;
    std::string name = folder.file("private.wav");
    writefile(name, decoratedwav(samples(10)));
    FileStat wanted;
    wanted.mode = unusualmode();
    ASSERT_TRUE(fssetmode(name, wanted));

    ASSERT_EQ(InPlaceRewriter(RewriteSettings{}).run(inplacejob(name)).status,
              JobStatus::converted);
    FileStat after;
    ASSERT_TRUE(fsstat(name, after));
    EXPECT_EQ(after.mode & unusualmode(), unusualmode());
    EXPECT_EQ(readfile(name), canonicalwav(samples(10)));
}

TEST(InPlaceRewriter, AReadOnlyFileIsRewrittenOrLeftWholeWithoutATemporary) {
    // Windows refuses to rename onto a read-only file; the temporary file, which already
    // carries the read-only attribute, must still be removed.
    TempFolder folder;
    std::string name = folder.file("locked.wav");
    std::string d = samples(10);
    std::string original = decoratedwav(d);
    writefile(name, original);
    FileStat readonly;
    readonly.mode = readonlymode();
    ASSERT_TRUE(fssetmode(name, readonly));

    JobOutcome outcome = InPlaceRewriter(RewriteSettings{}).run(inplacejob(name));

    EXPECT_EQ(readfile(name), outcome.status == JobStatus::converted ? canonicalwav(d) : original)
        << outcome.message;
    EXPECT_EQ(folder.list(), std::vector<std::string>{"locked.wav"});
}

TEST(InPlaceRewriter, LeavesACanonicalFileAlone) {
    TempFolder folder;
    std::string name = folder.file("done.wav");
    writefile(name, canonicalwav(samples(100)));
    backdate(name);
    std::int64_t before = modtime(name);

    JobOutcome outcome = InPlaceRewriter(RewriteSettings{false, ".orig"}).run(inplacejob(name));

    EXPECT_EQ(outcome.status, JobStatus::unchanged);
    EXPECT_EQ(modtime(name), before);
    EXPECT_EQ(folder.list(), std::vector<std::string>{"done.wav"});
}

TEST(InPlaceRewriter, NearlyCanonicalFilesAreRewritten) {
    // Each differs from the canonical layout in one way the writer would repair.
    std::string d = samples(64);
    std::string canonical = canonicalwav(d);
    std::string wrongriffsize = canonical;
    wrongriffsize[4] = 0;
    std::vector<std::string> inputs = {
        canonical + "X",                                      // a trailing byte
        wrongriffsize,                                        // RIFF size not data + 36
        WavBuilder().fmt(2, 44100, 16, 1, 2).data(d).bytes(), // an 18-byte fmt body
        WavBuilder().fmt().data(d).list().bytes(),            // a chunk after the data
    };
    for (const std::string& input : inputs) {
        TempFolder folder;
        std::string name = folder.file("near.wav");
        writefile(name, input);
        JobOutcome outcome = InPlaceRewriter(RewriteSettings{}).run(inplacejob(name));
        EXPECT_EQ(outcome.status, JobStatus::converted) << outcome.message;
        EXPECT_EQ(readfile(name), canonical);
    }
}

TEST(InPlaceRewriter, AFailedConversionLeavesTheFileAndNoTemporary) {
    TempFolder folder;
    std::string name = folder.file("short.wav");
    // Declares more data than it holds: the engine fails while copying.
    std::string original = WavBuilder().fmt().shortdata(4000, samples(1000)).bytes();
    writefile(name, original);

    JobOutcome outcome = InPlaceRewriter(RewriteSettings{}).run(inplacejob(name));

    EXPECT_EQ(outcome.status, JobStatus::failed);
    EXPECT_NE(outcome.message.find("[1,22,1,"), std::string::npos) << outcome.message;
    EXPECT_EQ(readfile(name), original);
    EXPECT_EQ(folder.list(), std::vector<std::string>{"short.wav"});
}

TEST(ConverterJob, AFailureLeavesAnOlderOutputIntactAndNoTemporary) {
    TempFolder folder;
    std::string input = folder.file("bad.wav");
    std::string output = folder.file("out.wav");
    writefile(input, WavBuilder().fmt().shortdata(4000, samples(1000)).bytes());
    writefile(output, "older output");
    PlannedJob job{input, output, "", false, 0};

    JobOutcome outcome = ConverterJob(ConvertSettings{}).run(job);

    EXPECT_EQ(outcome.status, JobStatus::failed);
    EXPECT_EQ(readfile(output), "older output");
    EXPECT_EQ(folder.list(), (std::vector<std::string>{"bad.wav", "out.wav"}));
}

TEST(ConverterJob, RenameFailureRemovesTheTemporary) {
    TempFolder folder;
    std::string input = folder.file("a.wav");
    writefile(input, decoratedwav(samples(10)));
    FailAt faults(RewriteStep::rename);
    PlannedJob job{input, folder.file("out/a.wav"), "", false, 0};

    JobOutcome outcome = ConverterJob(ConvertSettings{}, &faults).run(job);

    EXPECT_EQ(outcome.status, JobStatus::failed);
    EXPECT_TRUE(folder.list("out").empty());
}

TEST(ConverterJob, NoClobberSkipsAnExistingOutput) {
    TempFolder folder;
    std::string input = folder.file("a.wav");
    std::string output = folder.file("b.wav");
    writefile(input, decoratedwav(samples(10)));
    writefile(output, "keep me");
    PlannedJob job{input, output, "", false, 0};

    JobOutcome outcome = ConverterJob(ConvertSettings{true, false}).run(job);

    EXPECT_EQ(outcome.status, JobStatus::skipped);
    EXPECT_EQ(readfile(output), "keep me");
}

} // namespace
