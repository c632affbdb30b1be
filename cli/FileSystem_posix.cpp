#include "FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::int64_t nanosecondspersecond = 1000000000;
constexpr mode_t publicfilemode = 0666; // narrowed by the umask
constexpr mode_t privatefilemode = 0600;
constexpr mode_t foldermode = 0777;
constexpr mode_t permissionbits = 07777;
constexpr std::size_t copyblocksize = 1 << 20;
constexpr std::size_t errortextsize = 256;

std::int64_t nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * nanosecondspersecond + t.tv_nsec;
}

timespec totimespec(std::int64_t ns) {
    timespec t{};
    t.tv_sec = static_cast<time_t>(ns / nanosecondspersecond);
    t.tv_nsec = static_cast<long>(ns % nanosecondspersecond);
    return t;
}

bool syncfolder(const std::string& folder) {
    int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
        return false;
    }
    bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

bool writeall(int fd, const char* data, std::size_t count) {
    while (count > 0) {
        ssize_t done = write(fd, data, count);
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += done;
        count -= static_cast<std::size_t>(done);
    }
    return true;
}

bool copyfile(const std::string& from, const std::string& to) {
    int in = open(from.c_str(), O_RDONLY);
    if (in < 0) {
        return false;
    }
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, privatefilemode);
    if (out < 0) {
        int error = errno;
        close(in);
        errno = error;
        return false;
    }
    std::vector<char> buffer(copyblocksize);
    bool ok = true;
    for (;;) {
        ssize_t got = read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (!writeall(out, buffer.data(), static_cast<std::size_t>(got))) {
            ok = false;
            break;
        }
    }
    int error = errno;
    ok = ok && fsync(out) == 0;
    error = ok ? 0 : (error != 0 ? error : errno);
    close(in);
    if (close(out) != 0 && ok) {
        ok = false;
        error = errno;
    }
    errno = error;
    return ok;
}

} // namespace

bool fsstat(const std::string& name, FileStat& st, bool follow) {
    st = FileStat{};
    struct stat s {};
    int rc = follow ? stat(name.c_str(), &s) : lstat(name.c_str(), &s);
    if (rc != 0) {
        return false;
    }
    st.exists = true;
    st.isdir = S_ISDIR(s.st_mode);
    st.islink = S_ISLNK(s.st_mode);
    st.size = static_cast<std::uint64_t>(s.st_size);
    st.volume = static_cast<std::uint64_t>(s.st_dev);
    st.index = static_cast<std::uint64_t>(s.st_ino);
    st.atime = nanoseconds(s.st_atim);
    st.mtime = nanoseconds(s.st_mtim);
    st.mode = static_cast<std::uint32_t>(s.st_mode & permissionbits);
    return true;
}

std::uint32_t fslasterror() {
    return static_cast<std::uint32_t>(errno);
}

std::string fserrortext(std::uint32_t error) {
    char buf[errortextsize];
    // GNU strerror_r: returns the text, not necessarily in buf.
    const char* text = strerror_r(static_cast<int>(error), buf, sizeof buf);
    return text != nullptr ? std::string(text) : std::string();
}

std::uint32_t fserrexists() {
    return EEXIST;
}

bool fslistdir(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) {
        return false;
    }
    errno = 0;
    while (dirent* entry = readdir(d)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names.emplace_back(entry->d_name);
        }
    }
    int error = errno;
    closedir(d);
    std::sort(names.begin(), names.end());
    errno = error;
    return error == 0;
}

bool fsmakedirs(const std::string& dir) {
    std::string path = dir;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    FileStat st;
    if (fsstat(path, st)) {
        if (!st.isdir) {
            errno = ENOTDIR;
            return false;
        }
        return true;
    }
    std::string parent = fsdirname(path);
    if (!parent.empty() && parent != path && !fsmakedirs(parent)) {
        return false;
    }
    if (mkdir(path.c_str(), foldermode) != 0 && errno != EEXIST) {
        return false;
    }
    return true;
}

std::string fsjoin(const std::string& dir, const std::string& name) {
    if (dir.empty()) {
        return name;
    }
    if (dir.back() == '/') {
        return dir + name;
    }
    return dir + "/" + name;
}

std::string fsbasename(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string fsdirname(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return std::string();
    }
    std::size_t end = path.find_last_not_of('/', slash);
    return end == std::string::npos ? std::string("/") : path.substr(0, end + 1);
}

std::string fsfullpath(const std::string& path) {
    std::string whole = path;
    if (whole.empty() || whole[0] != '/') {
        std::vector<char> cwd(4096);
        if (getcwd(cwd.data(), cwd.size()) != nullptr) {
            whole = std::string(cwd.data()) + "/" + whole;
        }
    }
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (pos <= whole.size()) {
        std::size_t next = whole.find('/', pos);
        if (next == std::string::npos) {
            next = whole.size();
        }
        std::string part = whole.substr(pos, next - pos);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        pos = next + 1;
    }
    std::string out;
    for (const std::string& part : parts) {
        out += "/" + part;
    }
    return out.empty() ? std::string("/") : out;
}

std::string fspathkey(const std::string& path) {
    return fsfullpath(path);
}

bool fscreatenew(const std::string& name, bool privatefile) {
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL,
                  privatefile ? privatefilemode : publicfilemode);
    if (fd < 0) {
        return false;
    }
    return close(fd) == 0;
}

bool fsflush(const std::string& name) {
    int fd = open(name.c_str(), O_RDWR);
    if (fd < 0) {
        return false;
    }
    bool ok = fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {
        return false;
    }
    errno = error;
    return ok;
}

bool fsreplace(const std::string& from, const std::string& to, bool writethrough) {
    if (rename(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    // The rename reaches the disk only with its folder; a failure here changes nothing that
    // could be undone, so it is not reported.
    if (writethrough) {
        syncfolder(fsdirname(to));
    }
    return true;
}

bool fslinkorcopy(const std::string& from, const std::string& to) {
    if (unlink(to.c_str()) != 0 && errno != ENOENT) {
        return false;
    }
    if (link(from.c_str(), to.c_str()) == 0) {
        syncfolder(fsdirname(to));
        return true;
    }
    if (errno != EXDEV && errno != EPERM && errno != ENOTSUP && errno != EMLINK) {
        return false;
    }
    if (!copyfile(from, to)) {
        int error = errno;
        unlink(to.c_str());
        errno = error;
        return false;
    }
    return true;
}

bool fsremove(const std::string& name) {
    return unlink(name.c_str()) == 0;
}

bool fssettimes(const std::string& name, const FileStat& from) {
    timespec times[2] = {totimespec(from.atime), totimespec(from.mtime)};
    return utimensat(AT_FDCWD, name.c_str(), times, 0) == 0;
}

bool fssetmode(const std::string& name, const FileStat& from) {
    return chmod(name.c_str(), static_cast<mode_t>(from.mode & permissionbits)) == 0;
}

std::uint32_t fsprocessid() {
    return static_cast<std::uint32_t>(getpid());
}
