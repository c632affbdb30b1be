#include "Tool.h"

#include "BatchPlanner.h"
#include "BatchRunner.h"
#include "ConsoleIo.h"
#include "Conversion.h"
#include "ConverterJob.h"
#include "FileSystem.h"
#include "InPlaceRewriter.h"
#include "Inspector.h"
#include "Progress.h"
#include "ReportText.h"
#include "Reporter.h"
#include "StringSource.h"
#include "StringTexts.h"
#include "Wildcard.h"

#include <chrono>
#include <thread>

namespace {

JobOutcome checkjob(const PlannedJob& job) {
    if (!job.problem.empty()) {
        return plannedoutcome(job);
    }
    JobOutcome outcome;
    Inspection info = inspectfile(job.input);
    outcome.status = !info.ok         ? JobStatus::failed
                     : info.canonical ? JobStatus::unchanged
                                      : JobStatus::converted;
    outcome.message = info.report;
    outcome.inspection = std::move(info);
    return outcome;
}

unsigned threadcount(const Options& options) {
    if (options.jobs != 0) {
        return options.jobs;
    }
    unsigned cores = std::thread::hardware_concurrency();
    return cores != 0 ? cores : 1;
}

} // namespace

int runtool(int argc, const char* const* argv) {
    consoleinit();
    ParseOutcome parsed = parseoptions(argc, argv);
    writeout(parsed.out);
    writeerr(parsed.err);
    if (!parsed.run) {
        return parsed.status;
    }
    Options options = parsed.options;
    options.operands = expandwildcards(options.operands);
    return options.mode == Mode::single ? runsingle(options) : runbatch(options);
}

int runsingle(const Options& options) {
    if (options.operands.size() != 2) {
        writeerr(std::string("sonorm-cli: expected INPUT and OUTPUT") + linebreak + usagetext());
        return exitusage;
    }
    const std::string& input = options.operands[0];
    const std::string& output = options.operands[1];
    if (input.empty() || output.empty()) {
        writeerr(stringtextof(IDS_NEED_FILE_NAMES) + linebreak);
        return exitusage;
    }
    // As typed, byte for byte; other spellings of one file are refused by the conversion.
    if (input == output) {
        writeerr(stringtextof(IDS_SAME_FILE_NAMES) + linebreak);
        return exitusage;
    }
    FileStat existing;
    if (options.noclobber && fsstat(output, existing)) {
        if (!options.quiet) {
            writeerr(output + ": skipped: output exists, not replaced" + linebreak);
        }
        return exitok;
    }
    FileStat source;
    fsstat(input, source);
    Progress progress(!options.quiet && stderristerminal() && source.size > bigfilebytes);
    progress.start(1, source.size);
    Result result;
    {
        OutputWatcher watcher(progress, output);
        result = convertfile(input, output);
    }
    if (!result.ok()) {
        writeerr(reporttext(result) + linebreak);
        return exitfailed;
    }
    if (options.keeptimes && !fssettimes(output, source)) {
        writeerr(output + ": cannot set the times: " + fserrortext(fslasterror()) + linebreak);
        return exitfailed;
    }
    return exitok;
}

int runbatch(const Options& options) {
    PlanSettings plan;
    plan.kind = options.mode == Mode::batch     ? PlanKind::batch
                : options.mode == Mode::inplace ? PlanKind::inplace
                                                : PlanKind::check;
    plan.outdir = options.outdir;
    plan.recursive = options.recursive;
    plan.backupsuffix = options.backupsuffix;
    if (plan.kind == PlanKind::batch && !fsmakedirs(options.outdir)) {
        writeerr(options.outdir + ": cannot create the folder: " + fserrortext(fslasterror()) +
                 linebreak);
        return exitfailed;
    }
    auto begin = std::chrono::steady_clock::now();
    std::vector<PlannedJob> jobs = BatchPlanner(plan).plan(options.operands);

    Progress progress(!options.quiet && stderristerminal());
    ReportStyle style = plan.kind != PlanKind::check ? ReportStyle::convert
                        : options.json               ? ReportStyle::json
                                                     : ReportStyle::check;
    Reporter reporter(style, options.quiet, progress);
    BatchRunner runner(threadcount(options), reporter, progress);

    ConverterJob converter(ConvertSettings{options.noclobber, options.keeptimes});
    InPlaceRewriter rewriter(RewriteSettings{options.keeptimes, options.backupsuffix});
    switch (plan.kind) {
    case PlanKind::batch:
        runner.run(jobs, [&](const PlannedJob& job) { return converter.run(job); });
        break;
    case PlanKind::inplace:
        runner.run(jobs, [&](const PlannedJob& job) { return rewriter.run(job); });
        break;
    case PlanKind::check:
        runner.run(jobs, checkjob);
        break;
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    reporter.summary(seconds);
    return reporter.anyfailed() ? exitfailed : exitok;
}
