// POSIX file operations. No share modes exist here, so writing onto the open input is refused
// by an explicit same-file test (filesameasopen) before the output is created.
//
// A file opened for reading that allows reads at an offset (a regular file, not a pipe) gets a
// read-ahead window: its first bytes come with the open, in one read, and the reader's chunk
// walk (small reads and seeks) is served from them without a system call. Such a file keeps its
// position here, not in the system: reads and moves beyond the window go to explicit offsets.
// What any call reports (bytes, positions, error numbers) stays as the plain calls would report
// it.
#include "FileIo.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

static_assert(sizeof(off_t) == sizeof(std::int64_t), "64-bit file offsets needed");

namespace {

constexpr mode_t createmode = 0666; // narrowed by the umask
// Enough for the headers of the files met in practice: "fmt ", "fact", LIST texts, "data".
constexpr std::uint32_t windowsize = 4096;
// Descriptors below this number can have a window; others are read with the plain calls.
constexpr int windowslots = 1024;
// A transfer this large asks the system for its sequential-scan hint first.
constexpr std::uint32_t sequentialhint = 1024 * 1024;

struct Window {
    std::uint64_t position = 0; // the file's position
    std::uint64_t start = 0;    // file offset of bytes[0]
    std::uint32_t length = 0;   // bytes held
    bool advised = false;       // the sequential-scan hint was given
    unsigned char bytes[windowsize];
};

// By descriptor. A slot is set by the open that made the descriptor and cleared before its
// close, so no other file can have that number meanwhile: no lock is needed.
std::atomic<Window*> windows[windowslots];

int fd(FileHandle file) {
    return static_cast<int>(file);
}

// The window of the last file closed on this thread, for the next one opened: one allocation
// per thread instead of one per file.
thread_local std::unique_ptr<Window> spare;

Window* takewindow() {
    Window* window = spare.release();
    if (window == nullptr) {
        return new (std::nothrow) Window;
    }
    window->position = window->start = 0;
    window->length = 0;
    window->advised = false;
    return window;
}

void givewindow(Window* window) {
    if (window != nullptr && spare == nullptr) {
        spare.reset(window);
    } else {
        delete window;
    }
}

Window* windowof(FileHandle file) {
    return file >= 0 && file < windowslots ? windows[file].load(std::memory_order_acquire)
                                           : nullptr;
}

// One pread, repeated on EINTR only; the count delivered, or -1 with errno.
ssize_t readat(int file, void* buffer, std::size_t count, std::uint64_t offset) {
    ssize_t got;
    do {
        got = ::pread(file, buffer, count, static_cast<off_t>(offset));
    } while (got < 0 && errno == EINTR);
    return got;
}

// Once per file, before its first large transfer; a refusal changes nothing.
void advise(int file, Window& window, std::uint32_t count) {
    if (!window.advised && count >= sequentialhint) {
        window.advised = true;
        int savederrno = errno;
        (void)::posix_fadvise(file, 0, 0, POSIX_FADV_SEQUENTIAL);
        errno = savederrno;
    }
}

bool windowread(int file, Window& window, unsigned char* bytes, std::uint32_t count,
                std::uint32_t& done) {
    advise(file, window, count);
    while (done < count) {
        const std::uint64_t end = window.start + window.length;
        if (window.position >= window.start && window.position < end) {
            auto part = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(count - done, end - window.position));
            std::memcpy(bytes + done, window.bytes + (window.position - window.start), part);
            window.position += part;
            done += part;
            continue;
        }
        // What the window could not hold goes straight to the caller's buffer.
        const bool direct = count - done >= windowsize;
        ssize_t got = direct ? readat(file, bytes + done, count - done, window.position)
                             : readat(file, window.bytes, windowsize, window.position);
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break;
        }
        if (direct) {
            window.position += static_cast<std::uint64_t>(got);
            done += static_cast<std::uint32_t>(got);
        } else {
            window.start = window.position;
            window.length = static_cast<std::uint32_t>(got);
        }
    }
    return true;
}

} // namespace

// The window's first read doubles as the test for a folder (EISDIR, as Win32 refuses a folder
// at the open). A file that refuses reads at an offset (ESPIPE: pipes, terminals) or whose first
// read fails is read with the plain calls, which then report what they report.
FileHandle fileopenread(const char* name) {
    // A FIFO or device put in the file's place after the caller looked cannot hold the open, or
    // a read, forever; regular files ignore the flag.
    int file = ::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file < 0) {
        return nofile;
    }
    int savederrno = errno;
    Window* window = takewindow();
    ssize_t got = window != nullptr ? readat(file, window->bytes, windowsize, 0) : -1;
    const bool pipe = got < 0 && window != nullptr && errno == ESPIPE;
    struct stat info;
    if (got < 0 && !pipe && ::fstat(file, &info) == 0 && S_ISDIR(info.st_mode)) {
        givewindow(window);
        ::close(file);
        errno = EISDIR;
        return nofile;
    }
    if (got >= 0 && file < windowslots) {
        window->length = static_cast<std::uint32_t>(got);
        windows[file].store(window, std::memory_order_release);
    } else {
        givewindow(window);
    }
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
    if (Window* window = windowof(file)) {
        return windowread(fd(file), *window, bytes, count, done);
    }
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

// copy_file_range moves the bytes inside the kernel (as cp does): no copy through user space;
// from a file with a window at its position, which the system advances. A refusal (EXDEV,
// EINVAL, ENOSYS, EOPNOTSUPP: file systems or kernels that cannot) and a real failure are not
// told apart here; the caller redoes the block with read and write.
bool filemove(FileHandle in, FileHandle out, std::uint32_t count, std::uint32_t& moved) {
    int savederrno = errno;
    Window* window = windowof(in);
    loff_t offset = 0;
    if (window != nullptr) {
        advise(fd(in), *window, count);
        offset = static_cast<loff_t>(window->position);
    }
    moved = 0;
    while (moved < count) {
        ssize_t got = ::copy_file_range(fd(in), window != nullptr ? &offset : nullptr, fd(out),
                                        nullptr, count - moved, 0);
        if (window != nullptr) {
            window->position = static_cast<std::uint64_t>(offset);
        }
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

// With a window, as lseek answers on a regular file: a position below 0 is refused (EINVAL).
bool fileseek(FileHandle file, std::int64_t distance, SeekOrigin origin) {
    if (Window* window = windowof(file)) {
        const std::int64_t base =
            origin == SeekOrigin::begin ? 0 : static_cast<std::int64_t>(window->position);
        if (distance < -base || distance > std::numeric_limits<std::int64_t>::max() - base) {
            errno = EINVAL;
            return false;
        }
        window->position = static_cast<std::uint64_t>(base + distance);
        return true;
    }
    int whence = origin == SeekOrigin::begin ? SEEK_SET : SEEK_CUR;
    return ::lseek(fd(file), static_cast<off_t>(distance), whence) != static_cast<off_t>(-1);
}

bool filetell(FileHandle file, std::uint64_t& position) {
    if (Window* window = windowof(file)) {
        position = window->position;
        return true;
    }
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
    if (file >= 0 && file < windowslots) {
        givewindow(windows[file].exchange(nullptr, std::memory_order_acq_rel));
    }
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
