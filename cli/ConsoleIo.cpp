#include "ConsoleIo.h"

#include <cerrno>
#include <cstdio>

// Each piece is flushed at once so report lines and the progress line interleave in order.
bool writeout(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
           std::fflush(stdout) == 0;
}

bool writeoutdata(const void* data, std::size_t count, std::error_code& error) {
    errno = 0;
    if (std::fwrite(data, 1, count, stdout) == count && std::fflush(stdout) == 0) {
        return true;
    }
    error = std::error_code(errno != 0 ? errno : EIO, std::generic_category());
    return false;
}

bool writeerr(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stderr) == text.size() &&
           std::fflush(stderr) == 0;
}
