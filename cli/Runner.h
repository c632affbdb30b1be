// Runs the jobs on worker threads, the calling thread among them, and hands each outcome over
// in job order, as soon as every earlier job has finished, on whichever worker finished the last
// of them. A thread that cannot be created means fewer workers; with none at all the calling
// thread does the work. A job that failed for lack of file descriptors (having written nothing)
// runs again once another worker's job has ended and given its own back; while no other worker
// holds any, it fails as it is, so a run never waits forever.
#ifndef SONORM_CLI_RUNNER_H
#define SONORM_CLI_RUNNER_H

#include "Pipeline.h"

#include <functional>
#include <vector>

constexpr unsigned maxworkers = 64;
// Descriptors one worker may hold at once, counted generously (input, output, temporary file,
// a backup's two, the folder it keeps and the one it opens next), and those kept for the rest
// of the process.
constexpr std::size_t workerdescriptors = 8;
constexpr std::size_t spareddescriptors = 8;

// requested (0: one per processor core), capped at maxworkers, the number of jobs and the
// workers the descriptors the process may still open allow (at least one).
unsigned workercount(unsigned requested, std::size_t jobs);

void runjobs(const std::vector<Job>& jobs, unsigned workers,
             const std::function<Outcome(const Job&)>& work,
             const std::function<void(const Job&, const Outcome&)>& done);

#endif
