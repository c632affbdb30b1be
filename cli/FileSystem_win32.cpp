#include "FileSystem.h"

#include "UniqueHandle.h"

#include <windows.h>

namespace {

constexpr DWORD keptattributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD anyshare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr int wordbits = 32;

bool fail(std::error_code& error) {
    error.assign(static_cast<int>(GetLastError()), std::system_category());
    return false;
}

UniqueFile openexisting(const std::string& name, DWORD access) {
    return UniqueFile(CreateFileA(name.c_str(), access, anyshare, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

} // namespace

fs::path topath(const std::string& name) {
    int size = static_cast<int>(name.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, name.data(), size, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_ACP, 0, name.data(), size, wide.data(), static_cast<int>(wide.size()));
    return fs::path(wide);
}

std::string nameof(const fs::path& path) {
    const std::wstring& wide = path.native();
    int size = static_cast<int>(wide.size());
    std::string name(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, wide.data(), size,
                                                                  nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), size, name.data(), static_cast<int>(name.size()),
                        nullptr, nullptr);
    return name;
}

std::string pathkey(const std::string& name) {
    std::error_code error;
    std::string key = nameof(fs::absolute(topath(name), error).lexically_normal());
    if (!key.empty()) {
        CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
    }
    return key;
}

bool fileid(const std::string& name, FileId& id) {
    UniqueFile file = openexisting(name, 0);
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.get(), &info)) {
        return false;
    }
    id = {info.dwVolumeSerialNumber,
          static_cast<std::uint64_t>(info.nFileIndexHigh) << wordbits | info.nFileIndexLow,
          info.nNumberOfLinks};
    return true;
}

std::string realname(const std::string& name) {
    return name;
}

bool createnew(const std::string& name, bool, std::error_code& error) {
    UniqueFile file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file || fail(error);
}

bool flushfile(const std::string& name, std::error_code& error) {
    UniqueFile file = openexisting(name, GENERIC_WRITE);
    return (file && FlushFileBuffers(file.get())) || fail(error);
}

bool replacefile(const std::string& from, const std::string& to, bool durable,
                 std::error_code& error) {
    DWORD flags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
    return MoveFileExA(from.c_str(), to.c_str(), flags) || fail(error);
}

// A temporary file may already carry the original's read-only attribute.
void removefile(const std::string& name) {
    if (!DeleteFileA(name.c_str()) && SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        DeleteFileA(name.c_str());
    }
}

bool copyattributes(const std::string& from, const std::string& to, std::error_code& error) {
    DWORD attributes = GetFileAttributesA(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return fail(error);
    }
    attributes &= keptattributes;
    return SetFileAttributesA(to.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL) ||
           fail(error);
}

bool copytimes(const std::string& from, const std::string& to, std::error_code& error) {
    FILETIME accessed;
    FILETIME modified;
    UniqueFile source = openexisting(from, 0);
    if (!source || !GetFileTime(source.get(), nullptr, &accessed, &modified)) {
        return fail(error);
    }
    UniqueFile target = openexisting(to, FILE_WRITE_ATTRIBUTES);
    return (target && SetFileTime(target.get(), nullptr, &accessed, &modified)) || fail(error);
}

std::uint32_t processid() {
    return GetCurrentProcessId();
}

bool processalive(std::uint32_t pid) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    return process ? WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT
                   : GetLastError() == ERROR_ACCESS_DENIED;
}

std::string hostname() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    GetComputerNameA(name, &size);
    return name;
}
