// What the tool prints about a batch: one line per failed or skipped file (stderr), the --check
// lines or JSON objects (stdout), and the summary (stderr, not with -q). Lines come in input
// order; the runner hands the outcomes over in that order.
#ifndef SONORM_CLI_REPORTER_H
#define SONORM_CLI_REPORTER_H

#include "FileJob.h"
#include "Progress.h"

#include <cstddef>
#include <cstdint>
#include <string>

enum class ReportStyle { convert, check, json };

class Reporter {
public:
    Reporter(ReportStyle style, bool quiet, Progress& progress);
    void report(const PlannedJob& job, const JobOutcome& outcome);
    void summary(double seconds);
    bool anyfailed() const { return failed != 0; }

    std::size_t converted = 0;
    std::size_t unchanged = 0;
    std::size_t skipped = 0;
    std::size_t failed = 0;
    std::uint64_t written = 0;

private:
    void count(const JobOutcome& outcome);
    void errline(const std::string& text);
    void outline(const std::string& text);

    ReportStyle style;
    bool quiet;
    Progress& progress;
};

// The --check line of one file, without the line break.
std::string checkline(const std::string& name, const JobOutcome& outcome);
// The --json object of one file, on one line, UTF-8.
std::string checkjson(const std::string& name, const JobOutcome& outcome);

#endif
