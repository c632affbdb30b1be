#include "InPlaceRewriter.h"

#include "CanonicalHeader.h"
#include "Conversion.h"
#include "FileSystem.h"
#include "ReportText.h"
#include "StagedOutput.h"
#include "WaveLayout.h"
#include "WaveSource.h"

namespace {

std::string systemtext() {
    return fserrortext(fslasterror());
}

} // namespace

InPlaceRewriter::InPlaceRewriter(RewriteSettings rewritesettings, const FaultInjector* injector)
    : settings(std::move(rewritesettings)), faults(injector) {}

JobOutcome InPlaceRewriter::run(const PlannedJob& job) const {
    if (!job.problem.empty()) {
        return plannedoutcome(job);
    }
    const std::string& name = job.input;
    FileStat original;
    fsstat(name, original);

    Result result;
    WaveSource source;
    if (!source.open(result, name.c_str())) {
        return failedoutcome(oneline(reporttext(result)));
    }
    const std::uint64_t written = wave::headersize + std::uint64_t{source.datachunksize()};
    if (iscanonicalfile(source, name, original.size)) {
        source.close(result);
        if (!result.ok()) {
            return failedoutcome(oneline(reporttext(result)));
        }
        JobOutcome outcome;
        outcome.status = JobStatus::unchanged;
        outcome.message = "already canonical";
        return outcome;
    }
    StagedOutput staged(name, faults);
    std::string failure = converttostaged(result, source, staged, true);
    if (!failure.empty()) {
        return failedoutcome(failure);
    }
    if (!staged.flush()) {
        return failedoutcome("cannot flush the temporary file to disk: " + staged.error());
    }
    // The rewritten file keeps the original's permissions: a private file stays private.
    if (!fssetmode(staged.name(), original)) {
        return failedoutcome("cannot set the permissions: " + systemtext());
    }
    if (settings.keeptimes && !fssettimes(staged.name(), original)) {
        return failedoutcome("cannot set the times: " + systemtext());
    }
    std::string backup;
    if (!settings.backupsuffix.empty()) {
        backup = name + settings.backupsuffix;
        if (!staged.allowed(RewriteStep::backup)) {
            return failedoutcome("cannot keep the original as " + backup + ": " + staged.error());
        }
        if (!fslinkorcopy(name, backup)) {
            return failedoutcome("cannot keep the original as " + backup + ": " + systemtext());
        }
    }
    if (!staged.commit()) {
        // The backup is a second name of the untouched original: take it back.
        if (!backup.empty()) {
            fsremove(backup);
        }
        return failedoutcome("cannot replace the file: " + staged.error());
    }
    JobOutcome outcome;
    outcome.status = JobStatus::converted;
    outcome.written = written;
    return outcome;
}
