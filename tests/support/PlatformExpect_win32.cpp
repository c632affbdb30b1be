#include "PlatformExpect.h"

#include "StringTable.h"
#include "StringTexts.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace platform {

const std::uint32_t missingfile = ERROR_FILE_NOT_FOUND;
const std::uint32_t missingfolder = ERROR_PATH_NOT_FOUND;
const std::uint32_t sameasinput = ERROR_SHARING_VIOLATION;
const std::uint32_t outofmemory = ERROR_NOT_ENOUGH_MEMORY;
const std::uint32_t toolarge = ERROR_DISK_FULL;
const std::uint32_t notextnumber = 0x3FFFFF00;
const std::uint32_t endoffile = ERROR_HANDLE_EOF;
const std::uint32_t folderinput = ERROR_ACCESS_DENIED;
const std::string unreadablefile;
const std::uint32_t readfailure = 0;
// "ファイルの終端です。" and the line break FormatMessageA ends it with, in code page 932.
const std::string endoffiletext =
    "\x83t\x83@\x83\x43\x83\x8B\x82\xCC\x8FI\x92[\x82\xC5\x82\xB7\x81\x42\r\n";
const bool openblockscreate = true;

// The share modes refuse the create whatever the spelling of the name.
std::vector<std::string> aliases(const TempDir&, const std::string& path) {
    std::string upper = path;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::string forward = path;
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

// The strings come from the test executable's own string table.
const StringLoader stringloader = loadstringtable;

// The UTF-8 source text as LoadStringA gives it under the Japanese code page 932, which the
// tests run with as the ANSI code page.
std::string stringtable(unsigned id) {
    constexpr UINT japanese = 932;
    const char* text = stringtext(id);
    if (text == nullptr) {
        return std::string();
    }
    int wide = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, &utf16[0], wide);
    int narrow = WideCharToMultiByte(japanese, 0, utf16.data(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(japanese, 0, utf16.data(), -1, &ansi[0], narrow, nullptr, nullptr);
    return ansi.c_str();
}

const std::string twobytechar = "\x83\x5C"; // katakana so in code page 932: second byte '\'

bool limitfilesize(std::uint64_t) {
    return false;
}

void unlimitfilesize() {}

} // namespace platform
