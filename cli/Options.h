// The command line of sonorm-cli, parsed with CLI11 into one Options value; the option table
// (Options.def) is also the man page's option list.
#ifndef SONORM_CLI_OPTIONS_H
#define SONORM_CLI_OPTIONS_H

#include <string>
#include <vector>

enum class Mode { single, batch, inplace, check };

constexpr int exitok = 0;
constexpr int exitfailed = 1;
constexpr int exitusage = 2;

struct Options {
    Mode mode = Mode::single;
    std::vector<std::string> operands;
    std::string outdir;
    std::string backup; // suffix
    bool recursive = false;
    bool noclobber = false;
    bool keeptimes = false;
    bool splitlinks = false;
    bool quiet = false;
    bool json = false;
    unsigned jobs = 0; // 0: one per processor core
};

struct ParseOutcome {
    bool run = false; // false: print out and err, end with status
    int status = exitok;
    std::string out;
    std::string err;
    Options options;
};

// argv as the process got it. The operand count of the single form is checked after
// wildcard expansion, with usageerror.
ParseOutcome parseoptions(int argc, const char* const* argv);
std::string usageerror(const std::string& message);

#endif
