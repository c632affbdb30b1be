// What differs between the native and the Windows runs of the sonorm-cli tests: running the
// tool as a process, and the language it speaks there.
#ifndef SONORM_TESTS_CLI_TESTPLATFORM_H
#define SONORM_TESTS_CLI_TESTPLATFORM_H

#include <string>
#include <vector>

struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
};

// The sonorm-cli executable beside the test executable.
std::string toolpath();
// Runs the tool with input as its standard input; stdout and stderr captured.
ProcessResult runtool(const std::vector<std::string>& args, const std::string& input = "");
// Makes the tools run from now on, and this process's texts (Messages.h), speak as under the
// locale (natively LC_ALL; Windows keeps the user's display language). Returns whether the
// tool speaks Japanese.
bool uselocale(const char* locale);

#endif
