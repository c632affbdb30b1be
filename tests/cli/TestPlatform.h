// sonorm-cli run as a process through the shell (sh natively, cmd on Windows).
#ifndef SONORM_TESTS_CLI_TESTPLATFORM_H
#define SONORM_TESTS_CLI_TESTPLATFORM_H

#include <ostream>
#include <string>
#include <vector>

struct ProcessResult {
    int status = -1;
    std::string out, err;
};
// Each field compared on its own; printed as {status, out, err} when a check fails.
bool operator==(const ProcessResult& a, const ProcessResult& b);
std::ostream& operator<<(std::ostream& out, const ProcessResult& r);

// Runs the tool with input as its standard input; stdout and stderr captured.
ProcessResult runtool(const std::vector<std::string>& args, const std::string& input = "");
// Makes the tools run from now on, and this process's texts (Messages.h), speak as under the
// locale (natively LC_ALL; on Windows the user's display language decides).
void uselocale(const char* locale);

// The platform's part: the executable beside the test's, the exit status in what std::system
// returned, and whether a run never reached the tool because the platform ended a fresh process
// before it ran, as the shell reports it (Wine, now and then; never natively). Such a run is
// made once more.
std::string toolpath();
int exitstatus(int returned);
bool startfailed(const ProcessResult& result);

#endif
