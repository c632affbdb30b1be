#include "FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/limits.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr mode_t publicmode = 0666; // narrowed by the umask
constexpr mode_t privatemode = 0600;
constexpr mode_t permissionbits = 07777;
constexpr std::int64_t nanoseconds = 1000000000;
constexpr char openfiles[] = "/proc/self/fd/";
// File systems whose close runs no flush that could fail (statfs f_type): tmpfs, ext2/3/4, XFS,
// Btrfs.
constexpr decltype(statfs::f_type) quietclose[] = {TMPFS_MAGIC, EXT4_SUPER_MAGIC, XFS_SUPER_MAGIC,
                                                   BTRFS_SUPER_MAGIC};
constexpr char scratchfolder[] = "/tmp";          // without TMPDIR
constexpr char scratchname[] = "/.sonorm-XXXXXX"; // made and unlinked at once (no O_TMPFILE)

bool fail(std::error_code& error) {
    error.assign(errno, std::system_category());
    return false;
}

int fd(FileHandle file) {
    return static_cast<int>(file);
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

std::int64_t nanos(const timespec& time) {
    return time.tv_sec * nanoseconds + time.tv_nsec;
}

timespec timeof(std::int64_t nanos) {
    return {static_cast<time_t>(nanos / nanoseconds), static_cast<long>(nanos % nanoseconds)};
}

bool given(int status, struct stat& info, FileInfo& out) {
    if (status != 0) {
        return false;
    }
    out.volume = info.st_dev;
    out.index = info.st_ino;
    out.links = info.st_nlink;
    out.size = static_cast<std::uint64_t>(info.st_size);
    out.accessed = nanos(info.st_atim);
    out.modified = nanos(info.st_mtim);
    out.owner = info.st_uid;
    out.group = info.st_gid;
    out.mode = info.st_mode;
    out.regular = S_ISREG(info.st_mode);
    return true;
}

// Every extended attribute of from (ACLs are among them) set on to.
bool copyxattrs(int from, int to) {
    std::vector<char> names(XATTR_LIST_MAX);
    std::vector<char> value(XATTR_SIZE_MAX);
    ssize_t size = ::flistxattr(from, names.data(), names.size());
    for (const char* name = names.data(); name < names.data() + size;
         name += std::strlen(name) + 1) {
        ssize_t length = ::fgetxattr(from, name, value.data(), value.size());
        if (length < 0 || ::fsetxattr(to, name, value.data(), std::size_t(length), 0) != 0) {
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

// The working folder is asked once: the tool never changes it.
std::string pathkey(const std::string& name) {
    static const fs::path working = [] {
        std::error_code error;
        return fs::current_path(error);
    }();
    const fs::path path(name);
    if (path.is_absolute()) {
        return path.lexically_normal().string();
    }
    return working.empty() ? std::string() : (working / path).lexically_normal().string();
}

std::string namekey(const std::string& name) {
    return name;
}

bool fileinfo(const std::string& name, FileInfo& info) {
    struct stat found {};
    return given(::stat(name.c_str(), &found), found, info);
}

bool fileinfo(FileHandle file, FileInfo& info) {
    struct stat found {};
    return given(::fstat(fd(file), &found), found, info);
}

bool fileinfo(const Folder& folder, const std::string& name, FileInfo& info) {
    struct stat found {};
    return given(::fstatat(fd(folder.handle()), name.c_str(), &found, AT_SYMLINK_NOFOLLOW), found,
                 info);
}

bool openreadwrite(const std::string& name, OwnedFile& file) {
    *file.put() = ::open(name.c_str(), O_RDWR | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    return file.get() != nofile;
}

// A name that is no link is its own file; only a link costs the walk over every component.
std::string realname(const std::string& name) {
    struct stat info {};
    if (::lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return name;
    }
    char* real = ::realpath(name.c_str(), nullptr);
    std::string out = real != nullptr ? real : name;
    std::free(real);
    return out;
}

// Opened for reading so that it can be flushed; a folder one may only write and search into is
// held by path alone. Local file systems whose close reports nothing are known by their type.
bool Folder::open(const std::string& name, std::error_code& error) {
    full = topath(name.empty() ? "." : name);
    int dir = ::open(full.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 && errno == EACCES) {
        dir = ::open(full.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    held = dir;
    if (dir < 0) {
        return fail(error);
    }
    struct statfs system {};
    late = ::fstatfs(dir, &system) != 0 || std::find(std::begin(quietclose), std::end(quietclose),
                                                     system.f_type) == std::end(quietclose);
    return true;
}

Folder::~Folder() {
    if (held != nofile) {
        ::close(fd(held));
    }
}

// The file may need /proc/self/fd to get its name (see linkfile), so without /proc no unnamed
// file is made. EISDIR: a kernel that knows no O_TMPFILE takes it for O_DIRECTORY.
bool createunnamed(const Folder& folder, bool privatefile, FileHandle& file,
                   std::error_code& error) {
    static const bool linkable = ::access(openfiles, X_OK) == 0;
    int made = linkable ? ::openat(fd(folder.handle()), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC,
                                   privatefile ? privatemode : publicmode)
                        : -1;
    if (made < 0) {
        errno = !linkable || errno == EISDIR ? EOPNOTSUPP : errno;
        return fail(error);
    }
    file = made;
    return true;
}

bool createnamed(const Folder& folder, const std::string& name, bool privatefile, FileHandle& file,
                 std::error_code& error) {
    int made = ::openat(fd(folder.handle()), name.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        privatefile ? privatemode : publicmode);
    file = made;
    return made >= 0 || fail(error);
}

bool lockfile(const Folder& folder, const std::string& name, FileHandle file) {
    FileInfo held;
    FileInfo named;
    // Only a lock held elsewhere counts: where none can be taken, no cleaner takes one either.
    return (::flock(fd(file), LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) &&
           (name.empty() ||
            (fileinfo(file, held) && fileinfo(folder, name, named) && held.samefile(named)));
}

// Straight from the descriptor (AT_EMPTY_PATH), which kernels before 6.10 allow only with a
// capability that root in a container may lack (ENOENT): then through /proc/self/fd, a longer
// way for the kernel, taken from then on.
bool linkfile(const Folder& folder, FileHandle file, const std::string& name,
              std::error_code& error) {
    static std::atomic<bool> direct{true};
    const int dir = fd(folder.handle());
    if (direct.load(std::memory_order_relaxed)) {
        if (::linkat(fd(file), "", dir, name.c_str(), AT_EMPTY_PATH) == 0) {
            return true;
        }
        if (errno != ENOENT) {
            return fail(error);
        }
    }
    const std::string self = openfiles + std::to_string(fd(file));
    if (::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        return fail(error);
    }
    direct.store(false, std::memory_order_relaxed);
    return true;
}

bool namefile(const Folder& folder, FileHandle file, const std::string& name, bool durable,
              std::error_code& error) {
    if (!linkfile(folder, file, name, error)) {
        return false;
    }
    if (durable) {
        ::fsync(fd(folder.handle())); // as after a rename
    }
    return true;
}

bool renamefile(const Folder& folder, const std::string& from, const std::string& to, bool durable,
                std::error_code& error) {
    int dir = fd(folder.handle());
    if (::renameat(dir, from.c_str(), dir, to.c_str()) != 0) {
        return fail(error);
    }
    // The rename reaches the disk with its folder; nothing could be undone if that failed.
    if (durable) {
        ::fsync(dir);
    }
    return true;
}

void removefile(const Folder& folder, const std::string& name) {
    ::unlinkat(fd(folder.handle()), name.c_str(), 0);
}

// Examined before it is opened (nothing but a regular file of ours is opened), opened without
// following a link, and removed only while its lock is held here.
void removeleftover(const Folder& folder, const std::string& name) {
    FileInfo seen;
    FileInfo opened;
    if (!fileinfo(folder, name, seen) || !seen.regular || seen.owner != ::geteuid()) {
        return;
    }
    Descriptor file{::openat(fd(folder.handle()), name.c_str(),
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.fd >= 0 && fileinfo(file.fd, opened) && opened.samefile(seen) &&
        ::flock(file.fd, LOCK_EX | LOCK_NB) == 0) {
        removefile(folder, name);
    }
}

FileHandle standardinput() {
    return STDIN_FILENO;
}

bool openstream(const std::string& name, OwnedFile& file, std::error_code& error) {
    *file.put() = ::open(name.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
    return file.get() != nofile || fail(error);
}

bool readstream(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t& got,
                std::error_code& error) {
    ssize_t read;
    while ((read = ::read(fd(file), buffer, count)) < 0 && errno == EINTR) {
    }
    got = read > 0 ? static_cast<std::uint32_t>(read) : 0;
    return read >= 0 || fail(error);
}

// O_EXCL: the file can never be given a name. EISDIR: a kernel that knows no O_TMPFILE takes
// it for O_DIRECTORY. (A descriptor's close on success leaves errno as it was.)
bool createscratch(OwnedFile& file, std::string& folder, std::error_code& error) {
    const char* tmpdir = std::getenv("TMPDIR");
    folder = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : scratchfolder;
    Descriptor made{::open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, privatemode)};
    if (made.fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR)) {
        std::string name = folder + scratchname;
        made.fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (made.fd >= 0 && ::unlink(name.c_str()) != 0) {
            return fail(error);
        }
    }
    if (made.fd < 0) {
        return fail(error);
    }
    *file.put() = std::exchange(made.fd, -1);
    return true;
}

FileHandle duplicatefile(FileHandle file) {
    Descriptor copy{::fcntl(fd(file), F_DUPFD_CLOEXEC, 0)};
    if (copy.fd < 0 || ::lseek(copy.fd, 0, SEEK_SET) != 0) {
        return nofile;
    }
    return std::exchange(copy.fd, -1);
}

bool flushfile(FileHandle file, std::error_code& error) {
    return ::fsync(fd(file)) == 0 || fail(error);
}

// Every close of a descriptor runs the file system's flush, so closing a duplicate reports what
// the last close would.
bool settlefile(FileHandle file, std::error_code& error) {
    int spare = ::dup(fd(file));
    return (spare >= 0 && ::close(spare) == 0) || fail(error);
}

// The owner first: a change of owner clears the set-id bits, which the mode then restores.
bool keepowner(const FileInfo& info, FileHandle to, std::error_code& error) {
    return ::fchown(fd(to), info.owner, info.group) == 0 || fail(error);
}

bool keepattributes(FileHandle from, const FileInfo& info, FileHandle to, std::error_code& error) {
    return (::fchmod(fd(to), info.mode & permissionbits) == 0 && copyxattrs(fd(from), fd(to))) ||
           fail(error);
}

bool keeptimes(const FileInfo& info, FileHandle to, std::error_code& error) {
    const timespec times[2] = {timeof(info.accessed), timeof(info.modified)};
    return ::futimens(fd(to), times) == 0 || fail(error);
}
