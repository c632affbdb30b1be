#include "FileSystem.h"

#include <algorithm>
#include <cstring>
#include <windows.h>

namespace {

constexpr DWORD keptattributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD formatflags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
constexpr DWORD neutrallanguage = 0x400;
constexpr std::size_t errortextsize = 512;
constexpr int wordbits = 32;

std::uint64_t joinwords(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << wordbits) | low;
}

FILETIME tofiletime(std::int64_t value) {
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(value));
    t.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(value) >> wordbits);
    return t;
}

bool isseparator(char c) {
    return c == '\\' || c == '/';
}

// Byte offset of the last path separator (or drive colon), stepping double-byte characters;
// npos when there is none.
std::size_t lastseparator(const std::string& path, bool colontoo) {
    std::size_t found = std::string::npos;
    const char* start = path.c_str();
    for (const char* p = start; *p != '\0'; p = CharNextA(p)) {
        if (isseparator(*p) || (colontoo && *p == ':')) {
            found = static_cast<std::size_t>(p - start);
        }
    }
    return found;
}

// Whether path ends in a separator, seen as a whole character.
bool endsinseparator(const std::string& path) {
    std::size_t last = lastseparator(path, true);
    return last != std::string::npos && last + 1 == path.size();
}

std::string uppercase(std::string text) {
    if (!text.empty()) {
        CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    }
    return text;
}

} // namespace

bool fsstat(const std::string& name, FileStat& st, bool follow) {
    st = FileStat{};
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    // No access asked: works while another handle holds the file with any share mode.
    HANDLE h = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    BOOL ok = GetFileInformationByHandle(h, &info);
    DWORD error = GetLastError();
    CloseHandle(h);
    if (!ok) {
        SetLastError(error);
        return false;
    }
    st.exists = true;
    st.isdir = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    st.islink = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    st.size = joinwords(info.nFileSizeHigh, info.nFileSizeLow);
    st.volume = info.dwVolumeSerialNumber;
    st.index = joinwords(info.nFileIndexHigh, info.nFileIndexLow);
    st.atime = static_cast<std::int64_t>(
        joinwords(info.ftLastAccessTime.dwHighDateTime, info.ftLastAccessTime.dwLowDateTime));
    st.mtime = static_cast<std::int64_t>(
        joinwords(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
    st.mode = info.dwFileAttributes;
    return true;
}

std::uint32_t fslasterror() {
    return GetLastError();
}

std::string fserrortext(std::uint32_t error) {
    char buf[errortextsize];
    DWORD length =
        FormatMessageA(formatflags, nullptr, error, neutrallanguage, buf, sizeof buf, nullptr);
    std::string text(buf, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        text = "error " + std::to_string(error);
    }
    return text;
}

std::uint32_t fserrexists() {
    return ERROR_FILE_EXISTS;
}

bool fslistdir(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(fsjoin(dir, "*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    do {
        if (std::strcmp(data.cFileName, ".") != 0 && std::strcmp(data.cFileName, "..") != 0) {
            names.emplace_back(data.cFileName);
        }
    } while (FindNextFileA(h, &data));
    DWORD error = GetLastError();
    FindClose(h);
    std::sort(names.begin(), names.end());
    SetLastError(error);
    return error == ERROR_NO_MORE_FILES;
}

bool fsmakedirs(const std::string& dir) {
    std::string path = dir;
    while (path.size() > 1 && endsinseparator(path) && path.back() != ':') {
        path.pop_back();
    }
    FileStat st;
    if (fsstat(path, st)) {
        if (!st.isdir) {
            SetLastError(ERROR_DIRECTORY);
            return false;
        }
        return true;
    }
    std::string parent = fsdirname(path);
    if (!parent.empty() && parent != path && !fsmakedirs(parent)) {
        return false;
    }
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
    }
    return true;
}

std::string fsjoin(const std::string& dir, const std::string& name) {
    if (dir.empty()) {
        return name;
    }
    if (endsinseparator(dir)) {
        return dir + name;
    }
    return dir + "\\" + name;
}

std::string fsbasename(const std::string& path) {
    std::size_t last = lastseparator(path, true);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string fsdirname(const std::string& path) {
    std::size_t last = lastseparator(path, true);
    if (last == std::string::npos) {
        return std::string();
    }
    if (path[last] == ':' || last == 0) {
        return path.substr(0, last + 1); // "C:" stays "C:", "\x" gives "\"
    }
    std::string head = path.substr(0, last);
    if (head.size() == 2 && head[1] == ':') {
        return head + "\\"; // "C:\x" gives "C:\"
    }
    return head;
}

std::string fsfullpath(const std::string& path) {
    char small[MAX_PATH];
    DWORD needed = GetFullPathNameA(path.c_str(), MAX_PATH, small, nullptr);
    if (needed == 0) {
        return path;
    }
    if (needed < MAX_PATH) {
        return std::string(small, needed);
    }
    std::string big(needed, '\0');
    DWORD got = GetFullPathNameA(path.c_str(), needed, &big[0], nullptr);
    big.resize(got < needed ? got : 0);
    return big.empty() ? path : big;
}

std::string fspathkey(const std::string& path) {
    return uppercase(fsfullpath(path));
}

bool fscreatenew(const std::string& name, bool) {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    return CloseHandle(h) != 0;
}

bool fsflush(const std::string& name) {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    BOOL ok = FlushFileBuffers(h);
    DWORD error = GetLastError();
    if (!CloseHandle(h) && ok) {
        return false;
    }
    SetLastError(error);
    return ok != 0;
}

bool fsreplace(const std::string& from, const std::string& to, bool writethrough) {
    DWORD flags = MOVEFILE_REPLACE_EXISTING | (writethrough ? MOVEFILE_WRITE_THROUGH : 0);
    return MoveFileExA(from.c_str(), to.c_str(), flags) != 0;
}

bool fslinkorcopy(const std::string& from, const std::string& to) {
    if (!DeleteFileA(to.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }
    if (CreateHardLinkA(to.c_str(), from.c_str(), nullptr)) {
        return true;
    }
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        return false;
    }
    if (!fsflush(to)) {
        DWORD error = GetLastError();
        DeleteFileA(to.c_str());
        SetLastError(error);
        return false;
    }
    return true;
}

bool fsremove(const std::string& name) {
    if (DeleteFileA(name.c_str())) {
        return true;
    }
    // A temporary file that already carries the original's read-only attribute.
    if (GetLastError() != ERROR_ACCESS_DENIED ||
        !SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        return false;
    }
    return DeleteFileA(name.c_str()) != 0;
}

bool fssettimes(const std::string& name, const FileStat& from) {
    HANDLE h = CreateFileA(name.c_str(), FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    FILETIME atime = tofiletime(from.atime);
    FILETIME mtime = tofiletime(from.mtime);
    BOOL ok = SetFileTime(h, nullptr, &atime, &mtime);
    DWORD error = GetLastError();
    CloseHandle(h);
    SetLastError(error);
    return ok != 0;
}

bool fssetmode(const std::string& name, const FileStat& from) {
    DWORD attributes = from.mode & keptattributes;
    return SetFileAttributesA(name.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL) !=
           0;
}

std::uint32_t fsprocessid() {
    return GetCurrentProcessId();
}
