#include "ConsoleIo.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <vector>
#include <windows.h>

const char* const linebreak = "\r\n";

void consoleinit() {
    // Binary mode: report texts that already hold "\r\n" must not get a second "\r".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

// A console only: _isatty also answers true for the NUL device.
bool stderristerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

std::string utf8text(const std::string& native) {
    if (native.empty()) {
        return native;
    }
    int size = static_cast<int>(native.size());
    int wide = MultiByteToWideChar(CP_ACP, 0, native.data(), size, nullptr, 0);
    if (wide <= 0) {
        return native;
    }
    std::vector<wchar_t> buffer(static_cast<std::size_t>(wide));
    MultiByteToWideChar(CP_ACP, 0, native.data(), size, buffer.data(), wide);
    int narrow = WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0) {
        return native;
    }
    std::string out(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, &out[0], narrow, nullptr, nullptr);
    return out;
}
