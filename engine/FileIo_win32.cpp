// Win32 file operations (kernel32, "A" entry points).
#include "FileIo.h"

#include "UniqueHandle.h"

#include <windows.h>

namespace {

HANDLE handle(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

constexpr DWORD readflags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN;
static_assert(readflags == 0x08000080, "sequential-scan read flags");
// INVALID_HANDLE_VALUE is -1 as a pointer-sized integer, the same value as nofile.
static_assert(sizeof(FileHandle) == sizeof(HANDLE), "handles fit the file handle type");

FileHandle stored(HANDLE file) {
    return file == INVALID_HANDLE_VALUE ? nofile : reinterpret_cast<FileHandle>(file);
}

// SetFilePointer's answer INVALID_SET_FILE_POINTER is also a valid low word: it is a failure
// only when the last error is then non-zero.
bool movepointer(FileHandle file, std::int64_t distance, DWORD method, std::uint64_t& position) {
    LONG high = static_cast<LONG>(static_cast<std::uint64_t>(distance) >> 32);
    DWORD low =
        SetFilePointer(handle(file), static_cast<LONG>(distance & 0xFFFFFFFF), &high, method);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        return false;
    }
    position = static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32 | low;
    return true;
}

} // namespace

FileHandle fileopenread(const char* name) {
    return stored(CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              readflags, nullptr));
}

FileHandle filecreatewrite(const char* name) {
    return stored(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
}

bool fileread(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t& done) {
    DWORD got = 0;
    BOOL ok = ReadFile(handle(file), buffer, count, &got, nullptr);
    done = got;
    return ok != FALSE;
}

// A synchronous WriteFile that reports success with fewer bytes written has run out of room.
bool filewrite(FileHandle file, const void* buffer, std::uint32_t count) {
    DWORD put = 0;
    if (!WriteFile(handle(file), buffer, count, &put, nullptr)) {
        return false;
    }
    if (put != count) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return true;
}

// Data goes through ReadFile and WriteFile only.
bool filemove(FileHandle, FileHandle, std::uint32_t, std::uint32_t& moved) {
    moved = 0;
    return false;
}

bool filecut(FileHandle file, std::uint64_t size) {
    return fileseek(file, static_cast<std::int64_t>(size), SeekOrigin::begin) &&
           SetEndOfFile(handle(file)) != FALSE;
}

bool fileseek(FileHandle file, std::int64_t distance, SeekOrigin origin) {
    std::uint64_t position = 0;
    return movepointer(file, distance, origin == SeekOrigin::begin ? FILE_BEGIN : FILE_CURRENT,
                       position);
}

bool filetell(FileHandle file, std::uint64_t& position) {
    return movepointer(file, 0, FILE_CURRENT, position);
}

bool filesize(FileHandle file, std::uint64_t& size) {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(handle(file), &value)) {
        return false;
    }
    size = static_cast<std::uint64_t>(value.QuadPart);
    return true;
}

bool fileclose(FileHandle file) {
    return CloseHandle(handle(file)) != FALSE;
}

std::uint32_t filelasterror() {
    return GetLastError();
}

void markendoffile() {
    SetLastError(ERROR_HANDLE_EOF);
}

std::uint32_t nomemoryerror() {
    return ERROR_NOT_ENOUGH_MEMORY;
}

// By identity: a caller that writes under another name first gets no share-mode refusal.
bool filesameasopen(FileHandle file, const char* name) {
    DWORD savederror = GetLastError();
    UniqueFile named(CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION open;
    BY_HANDLE_FILE_INFORMATION other;
    bool same = named && GetFileInformationByHandle(handle(file), &open) &&
                GetFileInformationByHandle(named.get(), &other) &&
                open.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
                open.nFileIndexHigh == other.nFileIndexHigh &&
                open.nFileIndexLow == other.nFileIndexLow;
    SetLastError(same ? ERROR_SHARING_VIOLATION : savederror);
    return same;
}

FileFault filefault(std::uint32_t error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return FileFault::notfound;
    case ERROR_ACCESS_DENIED:
        return FileFault::denied;
    case ERROR_SHARING_VIOLATION:
        return FileFault::busy;
    case ERROR_HANDLE_EOF:
        return FileFault::endoffile;
    default:
        return FileFault::other;
    }
}
