#include "Descriptors.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>

namespace {

// Without /proc, the numbers up to this are asked one by one.
constexpr rlim_t probedescriptors = 1 << 16;

// The descriptors open now (the listing's own among them, which errs on the safe side).
std::size_t opendescriptors(rlim_t limit) {
    std::size_t open = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
         it.increment(error)) {
        ++open;
    }
    if (!error && open != 0) {
        return open;
    }
    open = 0;
    for (rlim_t fd = 0; fd < std::min(limit, probedescriptors); ++fd) {
        open += ::fcntl(static_cast<int>(fd), F_GETFD) != -1 ? 1 : 0;
    }
    return open;
}

} // namespace

std::size_t descriptorroom() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return SIZE_MAX;
    }
    const std::size_t open = opendescriptors(limit.rlim_cur);
    return limit.rlim_cur > open ? static_cast<std::size_t>(limit.rlim_cur) - open : 0;
}

bool outofdescriptors(std::uint32_t error) {
    return error == EMFILE || error == ENFILE;
}
