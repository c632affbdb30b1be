#include "Interrupts.h"

#include <csignal>
#include <initializer_list>
#include <pthread.h>
#include <unistd.h>

namespace {

constexpr int statusbase = 128;
// Its own small stack: the default one follows RLIMIT_STACK, which may be too big to map.
constexpr std::size_t stacksize = 256 * 1024;

sigset_t interrupts;
void (*registered)() = nullptr;

void* waitforinterrupt(void*) {
    int signal = 0;
    while (sigwait(&interrupts, &signal) != 0) {
    }
    registered();
    _exit(statusbase + signal);
}

} // namespace

// The signals are blocked in every thread (the mask is inherited) and taken by one thread that
// waits for them, so the cleanup may take locks like any other code.
void catchinterrupts(void (*cleanup)()) {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    registered = cleanup;
    sigemptyset(&interrupts);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&interrupts, signal);
    }
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, stacksize);
    pthread_sigmask(SIG_BLOCK, &interrupts, nullptr);
    pthread_t waiter;
    if (pthread_create(&waiter, &attributes, waitforinterrupt, nullptr) != 0) {
        pthread_sigmask(SIG_UNBLOCK, &interrupts, nullptr); // the signals end the process as usual
    }
    pthread_attr_destroy(&attributes);
}
