// sonorm-cli: converts PCM WAV files to the canonical 44-byte-header layout.
#include "ConsoleIo.h"
#include "Signals.h"
#include "Tool.h"

#include <exception>

int main(int argc, char** argv) {
    ignorewritesignals();
    try {
        return runtool(argc, argv);
    } catch (const std::exception& e) {
        writeerr(std::string("sonorm-cli: ") + e.what() + linebreak);
        return exitfailed;
    }
}
