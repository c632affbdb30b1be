#include "PlatformExpect.h"

#include "StringTexts.h"
#include "WavBuilder.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace platform {

std::uint32_t missingfile() {
    return ENOENT;
}
std::uint32_t missingfolder() {
    return ENOENT;
}
std::uint32_t sameasinput() {
    return EBUSY;
}
std::uint32_t outofmemory() {
    return ENOMEM;
}
std::uint32_t toolarge() {
    return EFBIG;
}

std::vector<std::string> aliases(const TempDir& dir, const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    std::string symbolic = dir.path("symlink-" + name);
    std::string hard = dir.path("hardlink-" + name);
    if (::symlink(path.c_str(), symbolic.c_str()) != 0 || ::link(path.c_str(), hard.c_str()) != 0) {
        return {};
    }
    return {path, dir.path(".") + "/" + name, symbolic, hard};
}

bool openblockscreate() {
    return false;
}

std::string systemtext(std::uint32_t error) {
    return std::strerror(static_cast<int>(error));
}

std::uint32_t notextnumber() {
    return 1000000;
}

namespace {

// As LoadStringA: at most size - 1 bytes and a terminator; the length copied.
int loadutf8(void*, unsigned id, char* buf, int size) {
    const char* text = stringtext(id);
    if (text == nullptr || size <= 0) {
        return 0;
    }
    std::size_t length = std::strlen(text);
    if (length > static_cast<std::size_t>(size) - 1) {
        length = static_cast<std::size_t>(size) - 1;
    }
    std::memcpy(buf, text, length);
    buf[length] = '\0';
    return static_cast<int>(length);
}

} // namespace

StringLoader stringloader() {
    return loadutf8;
}

std::string stringtable(unsigned id) {
    const char* text = stringtext(id);
    return text == nullptr ? std::string() : std::string(text);
}

std::string twobytechar() {
    return "\xC3\xA9";
} // U+00E9 in UTF-8

bool limitfilesize(std::uint64_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN); // a failing write then reports EFBIG instead of a signal
    struct rlimit limit;
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) {
        return false;
    }
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

void unlimitfilesize() {
    struct rlimit limit;
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
}

} // namespace platform
