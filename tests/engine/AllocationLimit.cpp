#include "AllocationLimit.h"

#include <new>

// Forwards to the ordinary operator new[], so what it hands out is released by the ordinary
// delete[] (and the sanitizer sees matching pairs).
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

// Under AddressSanitizer a refused allocation then gives the nothrow new a null pointer, as the
// program sees it without the sanitizer, instead of ending the test process.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}
