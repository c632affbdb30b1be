#include "ConsoleIo.h"

#include <cstdio>
#include <unistd.h>

const char* const linebreak = "\n";

void consoleinit() {}

bool stderristerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void writeout(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void writeerr(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

std::string utf8text(const std::string& native) {
    return native;
}
