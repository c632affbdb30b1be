// The command line of sonorm-cli, parsed with CLI11 into one Options value, and the texts of
// --help, --version and the short usage.
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
    bool recursive = false;
    bool noclobber = false;
    bool keeptimes = false;
    bool quiet = false;
    bool json = false;
    std::string backupsuffix;
    unsigned jobs = 0; // 0: one per processor core
};

struct ParseOutcome {
    bool run = false; // false: exit with status after printing out and err
    int status = exitok;
    std::string out;
    std::string err;
    Options options;
};

// argv as the process got it. The operand count of the single-file form is checked later,
// after wildcard expansion.
ParseOutcome parseoptions(int argc, const char* const* argv);

std::string usagetext();
std::string helptext();
// "Sonorm version 1.01", a line feed, the rights notice (no final line break).
std::string versiontext();

#endif
