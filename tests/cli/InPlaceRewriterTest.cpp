// The in-place rewrite and the batch job around the engine: what survives each failure.
#include "ConverterJob.h"
#include "FileSystem.h"
#include "InPlaceRewriter.h"
#include "TempDir.h"
#include "TestPlatform.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

using namespace wav;

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
    bool batch; // the batch job takes this step too
};

void PrintTo(const StepCase& c, std::ostream* out) {
    *out << c.name;
}

class StagedWriteFault : public ::testing::TestWithParam<StepCase> {};

// The original (in place) and an older output (batch) survive byte for byte, and no temporary
// file or backup is left beside them.
TEST_P(StagedWriteFault, OriginalSurvivesAndNoTemporaryFileIsLeft) {
    TempDir dir;
    std::string original = decorated(samples(3000));
    std::string name = dir.write("take.wav", original);
    backdate(name);
    std::vector<std::string> files = {"take.wav"};
    FailAt faults(GetParam().step);

    JobOutcome outcome =
        InPlaceRewriter(RewriteSettings{true, ".orig"}, &faults).run(inplacejob(name));
    EXPECT_EQ(outcome.status, JobStatus::failed);
    EXPECT_NE(outcome.message.find(injectedfaulttext), std::string::npos) << outcome.message;
    if (GetParam().batch) {
        std::string older = dir.write("older.wav", "older output");
        files.insert(files.begin(), "older.wav");
        outcome = ConverterJob(ConvertSettings{}, &faults).run({name, older, "", false, 0});
        EXPECT_EQ(outcome.status, JobStatus::failed);
        EXPECT_EQ(readfile(older), "older output");
    }
    EXPECT_EQ(readfile(name), original);
    EXPECT_EQ(modtime(name), backdatedtime());
    EXPECT_EQ(dir.list(), files);
}

INSTANTIATE_TEST_SUITE_P(EachStep, StagedWriteFault,
                         ::testing::Values(StepCase{RewriteStep::createtemp, "createtemp", true},
                                           StepCase{RewriteStep::convert, "convert", true},
                                           StepCase{RewriteStep::flush, "flush", false},
                                           StepCase{RewriteStep::backup, "backup", false},
                                           StepCase{RewriteStep::rename, "rename", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A private file stays private. Windows refuses to rename onto a read-only file: then the
// original stays whole, and the temporary file, which already carries the read-only
// attribute, must still be removed.
TEST(InPlaceRewriter, TheRewrittenFileKeepsItsPermissions) {
    for (unsigned mode : {unusualmode(), readonlymode()}) {
        SCOPED_TRACE(mode);
        TempDir dir;
        std::string original = decorated(samples(10));
        std::string name = dir.write("private.wav", original);
        FileStat wanted;
        wanted.mode = mode;
        ASSERT_TRUE(fssetmode(name, wanted));

        JobOutcome outcome = InPlaceRewriter(RewriteSettings{}).run(inplacejob(name));

        FileStat after;
        ASSERT_TRUE(fsstat(name, after));
        EXPECT_EQ(after.mode & mode, mode);
        if (mode == unusualmode()) {
            EXPECT_EQ(outcome.status, JobStatus::converted) << outcome.message;
        }
        bool converted = outcome.status == JobStatus::converted;
        EXPECT_EQ(readfile(name), converted ? canonical(samples(10)) : original);
        EXPECT_EQ(dir.list(), std::vector<std::string>{"private.wav"});
    }
}

// Each differs from the canonical layout in one way the writer would repair.
TEST(InPlaceRewriter, NearlyCanonicalFilesAreRewritten) {
    std::string d = samples(64);
    std::string wrongriffsize = canonical(d);
    wrongriffsize[4] = 0;
    const std::string inputs[] = {
        canonical(d) + "X",                                            // a trailing byte
        wrongriffsize,                                                 // RIFF size not data + 36
        riffwave(chunk("fmt ", pcmbody() + "xx") + chunk("data", d)),  // an 18-byte fmt body
        riffwave(pcmfmt() + chunk("data", d) + chunk("LIST", "INFO")), // a chunk after the data
    };
    for (const std::string& input : inputs) {
        TempDir dir;
        std::string name = dir.write("near.wav", input);
        JobOutcome outcome = InPlaceRewriter(RewriteSettings{}).run(inplacejob(name));
        EXPECT_EQ(outcome.status, JobStatus::converted) << outcome.message;
        EXPECT_EQ(readfile(name), canonical(d));
    }
}

} // namespace
