#include "FileSystem.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/limits.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr mode_t publicmode = 0666; // narrowed by the umask
constexpr mode_t privatemode = 0600;
constexpr mode_t permissionbits = 07777;

bool fail(std::error_code& error) {
    error.assign(errno, std::system_category());
    return false;
}

// A descriptor closed on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

bool syncfolder(const std::string& name) {
    fs::path folder = fs::path(name).parent_path();
    Descriptor dir{::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY)};
    return dir.fd >= 0 && ::fsync(dir.fd) == 0;
}

// Every extended attribute of from (ACLs are among them) set on to.
bool copyxattrs(const std::string& from, const std::string& to) {
    std::vector<char> names(XATTR_LIST_MAX);
    std::vector<char> value(XATTR_SIZE_MAX);
    ssize_t size = ::listxattr(from.c_str(), names.data(), names.size());
    for (const char* name = names.data(); name < names.data() + size;
         name += std::strlen(name) + 1) {
        ssize_t length = ::getxattr(from.c_str(), name, value.data(), value.size());
        if (length < 0 || ::setxattr(to.c_str(), name, value.data(), std::size_t(length), 0) != 0) {
            return false;
        }
    }
    return size >= 0 || errno == ENOTSUP;
}

} // namespace

fs::path topath(const std::string& name) {
    return fs::path(name);
}

std::string nameof(const fs::path& path) {
    return path.string();
}

std::string pathkey(const std::string& name) {
    std::error_code error;
    return fs::absolute(name, error).lexically_normal().string();
}

bool fileid(const std::string& name, FileId& id) {
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0) {
        return false;
    }
    id = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
          static_cast<std::uint64_t>(info.st_nlink)};
    return true;
}

std::string realname(const std::string& name) {
    char* real = ::realpath(name.c_str(), nullptr);
    std::string out = real != nullptr ? real : name;
    std::free(real);
    return out;
}

bool createnew(const std::string& name, bool privatefile, std::error_code& error) {
    Descriptor file{::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                           privatefile ? privatemode : publicmode)};
    return file.fd >= 0 || fail(error);
}

bool flushfile(const std::string& name, std::error_code& error) {
    Descriptor file{::open(name.c_str(), O_RDONLY | O_CLOEXEC)};
    return (file.fd >= 0 && ::fsync(file.fd) == 0) || fail(error);
}

bool replacefile(const std::string& from, const std::string& to, bool durable,
                 std::error_code& error) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return fail(error);
    }
    // The rename reaches the disk with its folder; nothing could be undone if that failed.
    if (durable) {
        syncfolder(to);
    }
    return true;
}

void removefile(const std::string& name) {
    ::unlink(name.c_str());
}

bool copyattributes(const std::string& from, const std::string& to, std::error_code& error) {
    struct stat info {};
    if (::stat(from.c_str(), &info) != 0) {
        return fail(error);
    }
    // The owner first: a change of owner clears the set-id bits, which the mode then restores.
    // When the owner cannot be kept, nothing further is given (no set-id bits to another owner).
    return (::chown(to.c_str(), info.st_uid, info.st_gid) == 0 &&
            ::chmod(to.c_str(), info.st_mode & permissionbits) == 0 && copyxattrs(from, to)) ||
           fail(error);
}

bool copytimes(const std::string& from, const std::string& to, std::error_code& error) {
    struct stat info {};
    if (::stat(from.c_str(), &info) != 0) {
        return fail(error);
    }
    const timespec times[2] = {info.st_atim, info.st_mtim};
    return ::utimensat(AT_FDCWD, to.c_str(), times, 0) == 0 || fail(error);
}

std::uint32_t processid() {
    return static_cast<std::uint32_t>(::getpid());
}

bool processalive(std::uint32_t pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::string hostname() {
    char name[HOST_NAME_MAX + 1] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}
