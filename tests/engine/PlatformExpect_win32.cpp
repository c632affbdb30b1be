#include "PlatformExpect.h"

#include "StringTexts.h"
#include "WavBuilder.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace platform {

std::uint32_t missingfile() {
    return ERROR_FILE_NOT_FOUND;
}
std::uint32_t missingfolder() {
    return ERROR_PATH_NOT_FOUND;
}
std::uint32_t sameasinput() {
    return ERROR_SHARING_VIOLATION;
}
std::uint32_t outofmemory() {
    return ERROR_NOT_ENOUGH_MEMORY;
}
std::uint32_t toolarge() {
    return ERROR_DISK_FULL;
}

// The share modes refuse the create whatever the spelling of the name.
std::vector<std::string> aliases(const TempDir&, const std::string& path) {
    std::string upper = path;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::string forward = path;
    std::replace(forward.begin(), forward.end(), '\\', '/');
    return {path, upper, forward};
}

bool openblockscreate() {
    return true;
}

std::string systemtext(std::uint32_t error) {
    char text[1024] = {};
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    return std::string(text, length);
}

std::uint32_t notextnumber() {
    return 0x3FFFFF00;
}

namespace {

// The strings come from the test binary's own string table (EngineTestStrings.rc).
int loadresource(void*, unsigned id, char* buf, int size) {
    return LoadStringA(GetModuleHandleA(nullptr), id, buf, size);
}

} // namespace

StringLoader stringloader() {
    return loadresource;
}

// The UTF-8 source text as LoadStringA gives it under the Japanese code page 932 (the tests run
// with it as the ANSI code page).
constexpr UINT japanese = 932;

std::string stringtable(unsigned id) {
    const char* text = stringtext(id);
    if (text == nullptr) {
        return std::string();
    }
    int wide = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::vector<wchar_t> utf16(static_cast<std::size_t>(wide));
    MultiByteToWideChar(CP_UTF8, 0, text, -1, utf16.data(), wide);
    int narrow = WideCharToMultiByte(japanese, 0, utf16.data(), -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> ansi(static_cast<std::size_t>(narrow));
    WideCharToMultiByte(japanese, 0, utf16.data(), -1, ansi.data(), narrow, nullptr, nullptr);
    return std::string(ansi.data());
}

std::string twobytechar() {
    return "\x83\x5C";
} // katakana so in code page 932: second byte '\'

bool limitfilesize(std::uint64_t) {
    return false;
}
void unlimitfilesize() {}

} // namespace platform
