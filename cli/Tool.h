// sonorm-cli as a whole: parses the command line and runs the chosen form.
#ifndef SONORM_CLI_TOOL_H
#define SONORM_CLI_TOOL_H

#include "Options.h"

// Returns the exit status.
int runtool(int argc, const char* const* argv);

// The single-file form: the start button's checks, then one conversion.
int runsingle(const Options& options);
// -o DIR, --in-place and --check over many files.
int runbatch(const Options& options);

#endif
