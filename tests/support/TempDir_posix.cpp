#include "TempDir.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace {
constexpr std::int64_t backdatedseconds = 1000000000; // 2001-09-09
constexpr std::int64_t nanoseconds = 1000000000;
} // namespace

bool TempDir::makefolder(const std::string& folder) {
    return ::mkdir(folder.c_str(), 0777) == 0;
}

bool fileexists(const std::string& file) {
    struct stat st;
    return ::stat(file.c_str(), &st) == 0;
}

std::int64_t modtime(const std::string& file) {
    struct stat st = {};
    ::stat(file.c_str(), &st);
    return std::int64_t{st.st_mtim.tv_sec} * nanoseconds + st.st_mtim.tv_nsec;
}

std::int64_t backdatedtime() {
    return backdatedseconds * nanoseconds;
}

void backdate(const std::string& file) {
    const timespec times[2] = {{backdatedseconds, 0}, {backdatedseconds, 0}};
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
}
