#include "AllocationLimit.h"

#include <new>

// Forwards to the ordinary new[] so the sanitizer sees pairs matching the ordinary delete[].
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (size >= AllocationLimit::limit) {
        ++AllocationLimit::refusals;
        return nullptr;
    }
    try {
        return ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}

// Under AddressSanitizer a refusal returns null, as without it, instead of ending the process.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}
