#include "ConsoleIo.h"

#include <cstdio>

// Each piece is flushed at once so report lines and the progress line interleave in order.
void writeout(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void writeerr(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}
