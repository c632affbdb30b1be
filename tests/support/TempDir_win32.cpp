#include "TempDir.h"

#include <windows.h>

namespace {
constexpr std::int64_t backdatedfiletime = 126444672000000000; // 2001-09-09
constexpr int wordbits = 32;
} // namespace

bool TempDir::makefolder(const std::string& folder) {
    return CreateDirectoryA(folder.c_str(), nullptr) != FALSE;
}

bool fileexists(const std::string& file) {
    return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::int64_t modtime(const std::string& file) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data);
    const FILETIME& t = data.ftLastWriteTime;
    return static_cast<std::int64_t>(std::uint64_t{t.dwHighDateTime} << wordbits | t.dwLowDateTime);
}

std::int64_t backdatedtime() {
    return backdatedfiletime;
}

void backdate(const std::string& file) {
    HANDLE h = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    FILETIME t = {static_cast<DWORD>(backdatedfiletime), backdatedfiletime >> wordbits};
    SetFileTime(h, nullptr, &t, &t);
    CloseHandle(h);
}
