#include "PlatformExpect.h"

#include "StringTable.h"
#include "StringTexts.h"
#include "TempDir.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace platform {

const std::uint32_t missingfile = ENOENT;
const std::uint32_t missingfolder = ENOENT;
const std::uint32_t sameasinput = EBUSY;
const std::uint32_t outofmemory = ENOMEM;
const std::uint32_t toolarge = EFBIG;
const std::uint32_t notextnumber = 1000000;
const std::uint32_t endoffile = ENODATA;
const std::uint32_t folderinput = EISDIR;
const std::string unreadablefile = "/proc/self/mem"; // offset 0 is never mapped
const std::uint32_t readfailure = EIO;
const std::string endoffiletext = "No data available";
const bool openblockscreate = false;

std::vector<std::string> aliases(const TempDir& dir, const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    std::string symbolic = dir.path("symlink-" + name);
    std::string hard = dir.path("hardlink-" + name);
    if (::symlink(path.c_str(), symbolic.c_str()) != 0 || ::link(path.c_str(), hard.c_str()) != 0) {
        return {};
    }
    return {dir.path(".") + "/" + name, symbolic, hard};
}

std::string systemtext(std::uint32_t error) {
    return std::strerror(static_cast<int>(error));
}

const StringLoader stringloader = loadstringtable;

std::string stringtable(unsigned id) {
    const char* text = stringtext(id);
    return text == nullptr ? std::string() : std::string(text);
}

const std::string twobytechar = "\xC3\xA9"; // U+00E9 in UTF-8

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
