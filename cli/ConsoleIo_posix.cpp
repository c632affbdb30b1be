#include "ConsoleIo.h"

#include <cstdio>
#include <unistd.h>

const char* const linebreak = "\n";

void consoleinit() {}

std::string fromutf8(const std::string& text) {
    return text;
}

bool stderristerminal() {
    return isatty(STDERR_FILENO) == 1;
}

bool stdoutisterminal() {
    return isatty(STDOUT_FILENO) == 1;
}

bool stdinisterminal() {
    return isatty(STDIN_FILENO) == 1;
}
