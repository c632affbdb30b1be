#include "Signals.h"

#include <csignal>

void ignorewritesignals() {
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}
