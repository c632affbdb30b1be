// One input of a batch: what the planner decided for it and what came of it.
#ifndef SONORM_CLI_FILEJOB_H
#define SONORM_CLI_FILEJOB_H

#include "Inspector.h"

#include <cstdint>
#include <optional>
#include <string>

enum class JobStatus { converted, unchanged, skipped, failed };

struct PlannedJob {
    std::string input;
    std::string output;     // batch: where the result goes; in place: the input; check: empty
    std::string problem;    // set by the planner: the job does not run and reports this
    bool skip = false;      // with problem: reported as skipped, not as failed
    std::uint64_t size = 0; // input size, for the progress display
};

struct JobOutcome {
    JobStatus status = JobStatus::failed;
    std::string message;       // failure report, or why the file was skipped or left unchanged
    std::uint64_t written = 0; // bytes of the file written
    std::optional<Inspection> inspection; // --check
};

inline JobOutcome failedoutcome(std::string message) {
    JobOutcome outcome;
    outcome.status = JobStatus::failed;
    outcome.message = std::move(message);
    return outcome;
}

inline JobOutcome plannedoutcome(const PlannedJob& job) {
    JobOutcome outcome = failedoutcome(job.problem);
    if (job.skip) {
        outcome.status = JobStatus::skipped;
    }
    return outcome;
}

#endif
