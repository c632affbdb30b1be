#include "ConsoleIo.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
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
