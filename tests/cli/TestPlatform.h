// What differs between the native and the Windows test runs: temporary folders, running the
// tool as a process, and the texts the tool prints there (UTF-8 natively, code page 932 on
// Windows, errno or Win32 error texts).
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

std::string makeuniquefolder();
void removetree(const std::string& folder);
bool makefolder(const std::string& folder);

// A UTF-8 text as the tool prints it.
std::string nativetext(const std::string& utf8);
// The report of a missing input: the system's text for "no such file", a blank, [1,5,1,2].
std::string missingfilereport();
// Another spelling of the existing file name (same file, different bytes).
std::string otherspelling(const std::string& name);
// The error number the engine records when the output is the open input.
unsigned sameopenfileerror();
// The modification time set by backdate, in fsstat units.
long long backdatedtime();
void setmodtime(const std::string& name, long long time);
// A FileStat mode that is not the default of a new file: 0600 (POSIX), hidden (Windows).
unsigned unusualmode();
// A FileStat mode that makes a file read-only: 0444 (POSIX), read-only attribute (Windows).
unsigned readonlymode();

#endif
