// Runs the jobs of a batch on N worker threads and hands each outcome to the reporter in input
// order, as soon as every earlier job has finished; keeps the progress display going meanwhile.
#ifndef SONORM_CLI_BATCHRUNNER_H
#define SONORM_CLI_BATCHRUNNER_H

#include "FileJob.h"
#include "Progress.h"
#include "Reporter.h"

#include <functional>
#include <vector>

class BatchRunner {
public:
    using Work = std::function<JobOutcome(const PlannedJob&)>;

    BatchRunner(unsigned threads, Reporter& reporter, Progress& progress);
    void run(const std::vector<PlannedJob>& jobs, const Work& work);

private:
    unsigned threads;
    Reporter& reporter;
    Progress& progress;
};

#endif
