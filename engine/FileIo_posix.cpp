// POSIX file operations. No share modes exist here, so writing onto the open input is refused
// by an explicit same-file test (filesameasopen) before the output is created.
#include "FileIo.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

static_assert(sizeof(off_t) == sizeof(std::int64_t), "64-bit file offsets needed");

namespace {

constexpr mode_t createmode = 0666; // narrowed by the umask

int fd(FileHandle file) {
    return static_cast<int>(file);
}

} // namespace

FileHandle fileopenread(const char* name) {
    // A FIFO or device put in the file's place after the caller looked cannot hold the open, or
    // a read, forever; regular files ignore the flag.
    int file = ::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file < 0) {
        return nofile;
    }
    // A folder opens for reading here but not on Win32; refuse it at the same step.
    struct stat info;
    if (::fstat(file, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(file);
        errno = EISDIR;
        return nofile;
    }
    // The sequential-scan hint; a refusal changes nothing and is not a failure.
    int savederrno = errno;
    (void)::posix_fadvise(file, 0, 0, POSIX_FADV_SEQUENTIAL);
    errno = savederrno;
    return file;
}

FileHandle filecreatewrite(const char* name) {
    int file = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, createmode);
    return file < 0 ? nofile : file;
}

// read() may legally deliver less than asked without being at the end (signals, pipes), so it
// is repeated until the count is complete, the end of the file (0) or a failure.
bool fileread(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t& done) {
    done = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (done < count) {
        ssize_t got = ::read(fd(file), bytes + done, count - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::uint32_t>(got);
    }
    return true;
}

// Partial writes are continued; only a real error or a write of zero bytes ends the loop.
bool filewrite(FileHandle file, const void* buffer, std::uint32_t count) {
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    std::uint32_t written = 0;
    while (written < count) {
        ssize_t put = ::write(fd(file), bytes + written, count - written);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (put == 0) {
            errno = ENOSPC;
            return false;
        }
        written += static_cast<std::uint32_t>(put);
    }
    return true;
}

// copy_file_range moves the bytes inside the kernel (as cp does): no copy through user space.
// A refusal (EXDEV, EINVAL, ENOSYS, EOPNOTSUPP: file systems or kernels that cannot) and a real
// failure are not told apart here; the caller redoes the block with read and write.
bool filemove(FileHandle in, FileHandle out, std::uint32_t count, std::uint32_t& moved) {
    int savederrno = errno;
    moved = 0;
    while (moved < count) {
        ssize_t got = ::copy_file_range(fd(in), nullptr, fd(out), nullptr, count - moved, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            errno = savederrno;
            return false;
        }
        if (got == 0) {
            break;
        }
        moved += static_cast<std::uint32_t>(got);
    }
    return true;
}

bool filecut(FileHandle file, std::uint64_t size) {
    return ::ftruncate(fd(file), static_cast<off_t>(size)) == 0 &&
           fileseek(file, static_cast<std::int64_t>(size), SeekOrigin::begin);
}

bool fileseek(FileHandle file, std::int64_t distance, SeekOrigin origin) {
    int whence = origin == SeekOrigin::begin ? SEEK_SET : SEEK_CUR;
    return ::lseek(fd(file), static_cast<off_t>(distance), whence) != static_cast<off_t>(-1);
}

bool filetell(FileHandle file, std::uint64_t& position) {
    off_t at = ::lseek(fd(file), 0, SEEK_CUR);
    if (at == static_cast<off_t>(-1)) {
        return false;
    }
    position = static_cast<std::uint64_t>(at);
    return true;
}

bool filesize(FileHandle file, std::uint64_t& size) {
    struct stat info;
    if (::fstat(fd(file), &info) != 0) {
        return false;
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool fileclose(FileHandle file) {
    return ::close(fd(file)) == 0;
}

std::uint32_t filelasterror() {
    return static_cast<std::uint32_t>(errno);
}

void markendoffile() {
    errno = ENODATA;
}

std::uint32_t nomemoryerror() {
    return ENOMEM;
}

// The output may not exist yet: then it cannot be the input.
bool filesameasopen(FileHandle file, const char* name) {
    int savederrno = errno;
    struct stat open;
    struct stat named;
    bool same = ::fstat(fd(file), &open) == 0 && ::stat(name, &named) == 0 &&
                open.st_dev == named.st_dev && open.st_ino == named.st_ino;
    errno = same ? EBUSY : savederrno;
    return same;
}

FileFault filefault(std::uint32_t error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return FileFault::notfound;
    case EACCES:
    case EPERM:
        return FileFault::denied;
    case EBUSY:
        return FileFault::busy;
    case ENODATA:
        return FileFault::endoffile;
    default:
        return FileFault::other;
    }
}
