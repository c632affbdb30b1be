#include "TestPlatform.h"

#include "FileSystem.h"

#include <windows.h>

std::string toolpath() {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    return nameof(topath(std::string(self, length)).parent_path() / "sonorm-cli.exe");
}

int exitstatus(int returned) {
    return returned;
}
