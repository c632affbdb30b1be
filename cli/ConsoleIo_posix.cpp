#include "ConsoleIo.h"

#include <cstdio>
#include <unistd.h>

const char* const linebreak = "\n";

void consoleinit() {}

bool stderristerminal() {
    return isatty(STDERR_FILENO) == 1;
}
