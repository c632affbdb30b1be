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

// The name that stands for standard output (single form's OUTPUT) or input (--files-from).
constexpr char standardstream[] = "-";

struct Options {
    Mode mode = Mode::single;
    std::vector<std::string> operands;
    std::string outdir;
    std::string backup;    // suffix
    std::string filesfrom; // the file list's name; empty: none
    bool nulseparated = false;
    bool recursive = false;
    bool noclobber = false;
    bool keeptimes = false;
    bool splitlinks = false;
    bool quiet = false;
    bool json = false;
    bool repair = false;
    unsigned jobs = 0; // 0: one per processor core
};

// Parses argv into options; prints --help, --version and usage errors itself. Returns
// runoptions when the options are to be run, else the exit status. The operand count of the
// single form is checked after wildcard expansion, with usageerror.
constexpr int runoptions = -1;
int parseoptions(int argc, const char* const* argv, Options& options);
std::string usageerror(const std::string& message);

#endif
