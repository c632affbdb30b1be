// Runs the jobs on worker threads, the calling thread among them, and hands each outcome over
// in job order, as soon as every earlier job has finished, on whichever worker finished the last
// of them. A thread that cannot be created means fewer workers; with none at all the calling
// thread does the work.
#ifndef SONORM_CLI_RUNNER_H
#define SONORM_CLI_RUNNER_H

#include "Pipeline.h"

#include <functional>
#include <vector>

constexpr unsigned maxworkers = 64;

// requested (0: one per processor core), capped at maxworkers and the number of jobs.
unsigned workercount(unsigned requested, std::size_t jobs);

void runjobs(const std::vector<Job>& jobs, unsigned workers,
             const std::function<Outcome(const Job&)>& work,
             const std::function<void(const Job&, const Outcome&)>& done);

#endif
