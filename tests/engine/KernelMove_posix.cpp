#include "KernelMove.h"

#include <cerrno>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool active = false;
KernelMove::Script script{};
std::vector<std::uint32_t> lengths;

} // namespace

KernelMove::KernelMove(const Script& given) {
    script = given;
    lengths.clear();
    active = true;
}

KernelMove::~KernelMove() {
    active = false;
}

bool KernelMove::scripted() {
    return true;
}

std::vector<std::uint32_t> KernelMove::asked() {
    return lengths;
}

// Defined in the test binary, this replaces the C library's function for the engine; without a
// script every call goes to the kernel unchanged.
extern "C" ssize_t copy_file_range(int in, off64_t* inoffset, int out, off64_t* outoffset,
                                   size_t length, unsigned int flags) {
    if (active) {
        lengths.push_back(static_cast<std::uint32_t>(length));
        if (lengths.size() == script.failat) {
            errno = script.error;
            return -1;
        }
        if (script.cap != 0 && length > script.cap) {
            length = script.cap;
        }
        if (script.pretend) {
            return static_cast<ssize_t>(length);
        }
    }
    return ::syscall(SYS_copy_file_range, in, inoffset, out, outoffset, length, flags);
}
