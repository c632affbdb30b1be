#include "FileSystem.h"

#include "UniqueHandle.h"

#include <aclapi.h>
#include <random>
#include <vector>
#include <windows.h>

namespace {

constexpr DWORD keptattributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD anyshare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD notafile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
constexpr int wordbits = 32;
constexpr int maxattempts = 100;
constexpr wchar_t scratchprefix[] = L"sonorm-";
constexpr wchar_t scratchsuffix[] = L".tmp";

bool fail(std::error_code& error) {
    error.assign(static_cast<int>(GetLastError()), std::system_category());
    return false;
}

HANDLE handle(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

// Full paths: Wine resolves a relative name in some calls against the current folder.
std::wstring infolder(const Folder& folder, const std::string& name) {
    return (folder.path() / topath(name)).wstring();
}

UniqueFile openexisting(const std::wstring& name, DWORD access, DWORD flags) {
    return UniqueFile(
        CreateFileW(name.c_str(), access, anyshare, nullptr, OPEN_EXISTING, flags, nullptr));
}

std::uint64_t joined(DWORD high, DWORD low) {
    return static_cast<std::uint64_t>(high) << wordbits | low;
}

// A device (NUL, CON) is no regular file, and has no file information.
bool given(HANDLE file, FileInfo& info) {
    BY_HANDLE_FILE_INFORMATION found;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        info.regular = false;
        return true;
    }
    if (!GetFileInformationByHandle(file, &found)) {
        return false;
    }
    info.volume = found.dwVolumeSerialNumber;
    info.index = joined(found.nFileIndexHigh, found.nFileIndexLow);
    info.links = found.nNumberOfLinks;
    info.size = joined(found.nFileSizeHigh, found.nFileSizeLow);
    info.accessed = static_cast<std::int64_t>(
        joined(found.ftLastAccessTime.dwHighDateTime, found.ftLastAccessTime.dwLowDateTime));
    info.modified = static_cast<std::int64_t>(
        joined(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime));
    info.mode = found.dwFileAttributes;
    info.regular = (found.dwFileAttributes & notafile) == 0;
    return true;
}

// Times left 0 and attributes 0 are left as they are.
bool setbasic(FileHandle file, FILE_BASIC_INFO basic, std::error_code& error) {
    return SetFileInformationByHandle(handle(file), FileBasicInfo, &basic, sizeof basic) ||
           fail(error);
}

// A file of this user: owned by the user or by the owner the user's new files get (elevated,
// the Administrators group).
bool ours(HANDLE file) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    UniqueHandle token;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    UniqueLocal held(descriptor);
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
        return false;
    }
    for (TOKEN_INFORMATION_CLASS kind : {TokenUser, TokenOwner}) {
        DWORD size = 0;
        GetTokenInformation(token.get(), kind, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        // Both records start with the SID's address.
        if (GetTokenInformation(token.get(), kind, buffer.data(), size, &size) &&
            EqualSid(owner, *reinterpret_cast<PSID*>(buffer.data()))) {
            return true;
        }
    }
    return false;
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

std::string namekey(const std::string& name) {
    std::string key = name;
    if (!key.empty()) {
        CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
    }
    return key;
}

bool fileinfo(const std::string& name, FileInfo& info) {
    UniqueFile file = openexisting(topath(name).wstring(), 0, FILE_FLAG_BACKUP_SEMANTICS);
    return file && given(file.get(), info);
}

bool fileinfo(FileHandle file, FileInfo& info) {
    return given(handle(file), info);
}

bool fileinfo(const Folder& folder, const std::string& name, FileInfo& info) {
    UniqueFile file = openexisting(infolder(folder, name), 0,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
    return file && given(file.get(), info);
}

bool openreadwrite(const std::string& name, OwnedFile& file) {
    HANDLE opened =
        CreateFileW(topath(name).wstring().c_str(), GENERIC_READ | GENERIC_WRITE, anyshare, nullptr,
                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    *file.put() = opened == INVALID_HANDLE_VALUE ? nofile : reinterpret_cast<FileHandle>(opened);
    return file.get() != nofile;
}

std::string realname(const std::string& name) {
    return name;
}

// Held by its full path, which must be a folder, as an open would find. A close reports
// nothing that the writes did not (see settlefile).
bool Folder::open(const std::string& name, std::error_code& error) {
    full = fs::absolute(topath(name.empty() ? "." : name), error);
    late = false;
    if (error) {
        return false;
    }
    const fs::file_type type = fs::status(full, error).type();
    if (type == fs::file_type::directory) {
        error.clear();
        return true;
    }
    if (type == fs::file_type::not_found) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    } else if (!error) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    return false;
}

Folder::~Folder() = default;

bool createunnamed(const Folder&, bool, FileHandle&, std::error_code& error) {
    error = std::make_error_code(std::errc::not_supported);
    return false;
}

// Shared for renaming only, so that it can be renamed into place while it is held.
bool createnamed(const Folder& folder, const std::string& name, bool, FileHandle& file,
                 std::error_code& error) {
    HANDLE made =
        CreateFileW(infolder(folder, name).c_str(), GENERIC_WRITE | WRITE_DAC, FILE_SHARE_DELETE,
                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    file = made == INVALID_HANDLE_VALUE ? nofile : reinterpret_cast<FileHandle>(made);
    return file != nofile || fail(error);
}

// The open handle is the lock: it refuses a cleaner's exclusive open from the making on.
bool lockfile(const Folder&, const std::string&, FileHandle) {
    return true;
}

bool linkfile(const Folder& folder, FileHandle file, const std::string& name,
              std::error_code& error) {
    DWORD size = GetFinalPathNameByHandleW(handle(file), nullptr, 0, FILE_NAME_NORMALIZED);
    std::wstring path(size, L'\0');
    size = GetFinalPathNameByHandleW(handle(file), path.data(), size, FILE_NAME_NORMALIZED);
    path.resize(size);
    return (size != 0 && CreateHardLinkW(infolder(folder, name).c_str(), path.c_str(), nullptr)) ||
           fail(error);
}

// No file here is without a name (createunnamed).
bool namefile(const Folder&, FileHandle, const std::string&, bool, std::error_code& error) {
    error = std::make_error_code(std::errc::not_supported);
    return false;
}

// A read-only file is replaced too, as in place keeps the attribute on the new file: the
// attribute is taken off for the rename, and put back if the rename fails.
bool renamefile(const Folder& folder, const std::string& from, const std::string& to, bool durable,
                std::error_code& error) {
    const std::wstring source = infolder(folder, from), target = infolder(folder, to);
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
    if (MoveFileExW(source.c_str(), target.c_str(), flags)) {
        return true;
    }
    fail(error);
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0 ||
        !SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    if (MoveFileExW(source.c_str(), target.c_str(), flags)) {
        return true;
    }
    SetFileAttributesW(target.c_str(), attributes);
    return false;
}

// A temporary file may already carry the original's read-only attribute.
void removefile(const Folder& folder, const std::string& name) {
    const std::wstring path = infolder(folder, name);
    if (!DeleteFileW(path.c_str()) && SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        DeleteFileW(path.c_str());
    }
}

// Opened exclusively (refused while its maker holds it), without following a link.
void removeleftover(const Folder& folder, const std::string& name) {
    UniqueFile file(
        CreateFileW(infolder(folder, name).c_str(),
                    DELETE | READ_CONTROL | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FileInfo info;
    FILE_DISPOSITION_INFO gone{TRUE};
    std::error_code error;
    if (file && given(file.get(), info) && info.regular && ours(file.get()) &&
        setbasic(reinterpret_cast<FileHandle>(file.get()), {{}, {}, {}, {}, FILE_ATTRIBUTE_NORMAL},
                 error)) {
        SetFileInformationByHandle(file.get(), FileDispositionInfo, &gone, sizeof gone);
    }
}

FileHandle standardinput() {
    return reinterpret_cast<FileHandle>(GetStdHandle(STD_INPUT_HANDLE));
}

bool openstream(const std::string& name, OwnedFile& file, std::error_code& error) {
    HANDLE opened =
        CreateFileW(topath(name).wstring().c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    *file.put() = opened == INVALID_HANDLE_VALUE ? nofile : reinterpret_cast<FileHandle>(opened);
    return file.get() != nofile || fail(error);
}

bool readstream(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t& got,
                std::error_code& error) {
    DWORD read = 0;
    const bool ok = ReadFile(handle(file), buffer, count, &read, nullptr) ||
                    GetLastError() == ERROR_BROKEN_PIPE;
    got = ok ? read : 0;
    return ok || fail(error);
}

// Made under a fresh name, so that no file of another is opened; exclusive.
bool createscratch(OwnedFile& file, std::string& folder, std::error_code& error) {
    std::wstring path(MAX_PATH + 1, L'\0');
    const DWORD length = GetTempPathW(static_cast<DWORD>(path.size()), path.data());
    if (length == 0 || length >= path.size()) {
        return fail(error);
    }
    path.resize(length);
    const fs::path where(path);
    folder = nameof(where);
    std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < maxattempts; ++attempt) {
        const std::wstring name =
            (where / (scratchprefix + std::to_wstring(random()) + scratchsuffix)).wstring();
        HANDLE made =
            CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (made != INVALID_HANDLE_VALUE) {
            *file.put() = reinterpret_cast<FileHandle>(made);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    return fail(error);
}

FileHandle duplicatefile(FileHandle file) {
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), handle(file), GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        return nofile;
    }
    UniqueFile owned(copy);
    return fileseek(reinterpret_cast<FileHandle>(copy), 0, SeekOrigin::begin)
               ? reinterpret_cast<FileHandle>(owned.release())
               : nofile;
}

bool flushfile(FileHandle file, std::error_code& error) {
    return FlushFileBuffers(handle(file)) || fail(error);
}

// A close reports nothing that the writes did not.
bool settlefile(FileHandle, std::error_code&) {
    return true;
}

// A file is its maker's: giving it to another takes a privilege the tool does not ask for.
bool keepowner(const FileInfo&, FileHandle, std::error_code&) {
    return true;
}

// The access control list as the original has it (inherited entries stay inherited), then
// the attributes.
bool keepattributes(FileHandle from, const FileInfo& info, FileHandle to, std::error_code& error) {
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    DWORD status = GetSecurityInfo(handle(from), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                   nullptr, &list, nullptr, &descriptor);
    UniqueLocal held(descriptor);
    if (status == ERROR_SUCCESS && GetSecurityDescriptorControl(descriptor, &control, &revision)) {
        const SECURITY_INFORMATION which =
            DACL_SECURITY_INFORMATION |
            ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                                : UNPROTECTED_DACL_SECURITY_INFORMATION);
        status =
            SetSecurityInfo(handle(to), SE_FILE_OBJECT, which, nullptr, nullptr, list, nullptr);
    }
    if (status != ERROR_SUCCESS) {
        error.assign(static_cast<int>(status), std::system_category());
        return false;
    }
    DWORD attributes = info.mode & keptattributes;
    return setbasic(to, {{}, {}, {}, {}, attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL},
                    error);
}

bool keeptimes(const FileInfo& info, FileHandle to, std::error_code& error) {
    FILE_BASIC_INFO basic{};
    basic.LastAccessTime.QuadPart = info.accessed;
    basic.LastWriteTime.QuadPart = info.modified;
    return setbasic(to, basic, error);
}
