#include "TestPlatform.h"

#include "FileSystem.h"

#include <windows.h>

namespace {

constexpr int shellnotstarted = -1;     // std::system: the shell itself could not start
constexpr int shellcannotlaunch = 9009; // cmd: it could not start the program (text on stderr)

} // namespace

std::string toolpath() {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    return nameof(topath(std::string(self, length)).parent_path() / "sonorm-cli.exe");
}

int exitstatus(int returned) {
    return returned;
}

// Wine (which runs every Windows test here) now and then ends a fresh process before it runs:
// the shell's, which std::system then reports (measured: 2 runs in 6000, -1 with the last error
// ERROR_INTERNAL_ERROR), or the tool's, which the shell reports with its own status and text.
// The tool itself never ends with either status.
bool startfailed(const ProcessResult& result) {
    return result.status == shellnotstarted ||
           (result.status == shellcannotlaunch && result.out.empty() && !result.err.empty());
}
