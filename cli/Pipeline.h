// The one way a file is handled, in every mode: a job (input, output, or why it does not run),
// a policy that says how its output is made, and the outcome.
#ifndef SONORM_CLI_PIPELINE_H
#define SONORM_CLI_PIPELINE_H

#include "FileIo.h"
#include "Options.h"
#include "Result.h"
#include "WaveFacts.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

struct Job {
    std::string input;
    std::string output;       // where the result goes (in place: the file itself); check: empty
    std::string problem;      // set by the planner: the job does not run and reports this
    bool skip = false;        // with problem: reported as skipped, not as failed
    std::uint64_t size = 0;   // input size, for the progress display
    bool walked = false;      // found by a walk, which saw what kind of file it is
    FileHandle copy = nofile; // a stream's bytes (StreamCopy.h): read instead of the name
};

enum class Status { converted, unchanged, skipped, failed };

struct Outcome {
    Status status = Status::failed;
    std::string message;       // failure report, or why the file was skipped
    std::uint64_t written = 0; // bytes of the output written
    Result result;             // the engine's record of a failure
    std::optional<WaveFacts> facts;
    // --check without --repair, a file refused: the facts of the read --repair would take.
    std::optional<WaveFacts> wouldrepair;
    bool nodescriptors = false; // failed for lack of file descriptors, nothing written
};

// Every output file is made beside its place and renamed over it when complete (staged). What
// it does to the file it replaces:
enum class Replace {
    any,    // it takes the place of whatever is there (batch)
    output, // an existing OUTPUT keeps its owner, permissions and attributes; one a rename
            // cannot keep (no regular file, other hard links, an owner not ours to give) is
            // written directly (the single form)
    input,  // the output is the input, which keeps them and must still be as read (in place)
};

struct Policy {
    bool write = true;    // false: read and describe only (--check)
    bool durable = false; // flushed to disk before the rename
    Replace replace = Replace::any;
    bool skipcanonical = false; // a file already canonical is left alone
    bool noclobber = false;     // an existing output is left alone
    bool keeptimes = false;     // the output gets the input's times
    bool splitlinks = false;    // a file with other hard links is rewritten apart from them
    bool repair = false;        // the reader's repairs are allowed (--repair)
    std::string backup;         // the original is kept under its name plus this suffix
};

Policy policyfor(const Options& options);

// progress is told of the bytes of sample data as they are read.
Outcome runjob(const Job& job, const Policy& policy,
               const std::function<void(std::uint64_t)>& progress);

#endif
