// Everything the tool prints about its files, in job order: per file a failure or skipped line
// (stderr), or the --check line or JSON object (stdout); the summary (stderr, not with -q);
// and the progress line on a terminal, drawn as the work reads data.
#ifndef SONORM_CLI_REPORTER_H
#define SONORM_CLI_REPORTER_H

#include "Options.h"
#include "Pipeline.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

// Size from which the single form shows its progress.
constexpr std::uint64_t bigfilebytes = 100ull << 20;

class Reporter {
public:
    Reporter(const Options& options, const std::vector<Job>& jobs);
    // Bytes of sample data read, from any thread.
    void advance(std::uint64_t bytes);
    void report(const Job& job, const Outcome& outcome);
    // Prints the summary; returns the exit status.
    int finish();

private:
    void clearline();
    void print(bool toout, const std::string& text);
    void draw();

    const Options& options;
    std::mutex lock;
    bool progress;
    std::size_t files;
    std::size_t done = 0;
    std::uint64_t totalbytes = 0;
    std::uint64_t readbytes = 0;
    std::size_t shown = 0;      // length of the progress line on screen
    std::size_t counts[4] = {}; // by Status
    std::uint64_t written = 0;
    std::chrono::steady_clock::time_point begin;
    std::chrono::steady_clock::time_point lastdraw;
    std::error_code outerror; // the first failed write to stdout
    bool errfailed = false;   // a write to stderr failed
};

#endif
