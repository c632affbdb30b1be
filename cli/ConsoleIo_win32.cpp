#include "ConsoleIo.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

const char* const linebreak = "\r\n";

void consoleinit() {
    // Binary mode: report texts that already hold "\r\n" must not get a second "\r".
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

std::string fromutf8(const std::string& text) {
    int wide =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf16.data(), wide);
    int narrow = WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string native(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, native.data(), narrow, nullptr, nullptr);
    return native;
}

// A console only: _isatty also answers true for the NUL device.
bool stderristerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool stdoutisterminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

bool stdinisterminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}
