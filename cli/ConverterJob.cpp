#include "ConverterJob.h"

#include "Conversion.h"
#include "FileSystem.h"
#include "ReportText.h"
#include "StagedOutput.h"
#include "WaveLayout.h"
#include "WaveSource.h"

ConverterJob::ConverterJob(ConvertSettings jobsettings, const FaultInjector* injector)
    : settings(jobsettings), faults(injector) {}

JobOutcome ConverterJob::run(const PlannedJob& job) const {
    if (!job.problem.empty()) {
        return plannedoutcome(job);
    }
    std::string folder = fsdirname(job.output);
    if (!folder.empty() && !fsmakedirs(folder)) {
        return failedoutcome("cannot create folder " + folder + ": " + fserrortext(fslasterror()));
    }
    FileStat existing;
    if (settings.noclobber && fsstat(job.output, existing)) {
        JobOutcome outcome;
        outcome.status = JobStatus::skipped;
        outcome.message = "output exists, not replaced: " + job.output;
        return outcome;
    }
    FileStat input;
    fsstat(job.input, input);

    Result result;
    WaveSource source;
    if (!source.open(result, job.input.c_str())) {
        return failedoutcome(oneline(reporttext(result)));
    }
    const std::uint64_t written = wave::headersize + std::uint64_t{source.datachunksize()};
    StagedOutput staged(job.output, faults);
    std::string failure = converttostaged(result, source, staged, false);
    if (!failure.empty()) {
        return failedoutcome(failure);
    }
    if (settings.keeptimes && !fssettimes(staged.name(), input)) {
        return failedoutcome("cannot set the times of " + job.output + ": " +
                             fserrortext(fslasterror()));
    }
    if (!staged.commit()) {
        return failedoutcome("cannot rename onto " + job.output + ": " + staged.error());
    }
    JobOutcome outcome;
    outcome.status = JobStatus::converted;
    outcome.written = written;
    return outcome;
}
