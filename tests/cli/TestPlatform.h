// What differs between the native and the Windows runs of the sonorm-cli tests: running the
// tool as a process.
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
ProcessResult runtool(const std::vector<std::string>& args);

#endif
