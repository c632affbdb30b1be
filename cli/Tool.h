// sonorm-cli as a whole: parses the command line, plans the jobs and runs them.
#ifndef SONORM_CLI_TOOL_H
#define SONORM_CLI_TOOL_H

// Returns the exit status.
int runtool(int argc, const char* const* argv);

#endif
