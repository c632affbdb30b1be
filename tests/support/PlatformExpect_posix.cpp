#include "PlatformExpect.h"

#include "TempDir.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace platform {

const std::uint32_t missingfile = ENOENT, missingfolder = ENOENT, sameasinput = EBUSY,
                    outofmemory = ENOMEM, notextnumber = 1000000, endoffile = ENODATA,
                    folderinput = EISDIR;
const std::string endoffiletext = "No data available";
const bool openblockscreate = false;
const std::string twobytechar = "\xC3\xA9"; // U+00E9 in UTF-8

std::vector<std::string> aliases(const TempDir& dir, const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    std::string symbolic = dir.path("symlink-" + name), hard = dir.path("hardlink-" + name);
    if (::symlink(path.c_str(), symbolic.c_str()) != 0 || ::link(path.c_str(), hard.c_str()) != 0) {
        return {};
    }
    return {dir.path(".") + "/" + name, symbolic, hard};
}

std::string systemtext(std::uint32_t error) {
    return std::strerror(static_cast<int>(error));
}

} // namespace platform
