#include "PlatformExpect.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace platform {

const std::uint32_t missingfile = ERROR_FILE_NOT_FOUND, missingfolder = ERROR_PATH_NOT_FOUND,
                    sameasinput = ERROR_SHARING_VIOLATION, outofmemory = ERROR_NOT_ENOUGH_MEMORY,
                    notextnumber = 0x3FFFFF00, endoffile = ERROR_HANDLE_EOF,
                    folderinput = ERROR_ACCESS_DENIED;
// "ファイルの終端です。" and the line break FormatMessageA ends it with, in code page 932.
const std::string endoffiletext =
    "\x83t\x83@\x83\x43\x83\x8B\x82\xCC\x8FI\x92[\x82\xC5\x82\xB7\x81\x42\r\n";
const bool openblockscreate = true;
const std::string twobytechar = "\x83\x5C"; // katakana so in code page 932: second byte '\'

// The share modes refuse the create whatever the spelling of the name.
std::vector<std::string> aliases(const TempDir&, const std::string& path) {
    std::string upper = path, forward = path;
    std::transform(path.begin(), path.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::replace(forward.begin(), forward.end(), '\\', '/');
    return {upper, forward};
}

std::string systemtext(std::uint32_t error) {
    char text[1024] = {};
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    return std::string(text, length);
}

} // namespace platform
