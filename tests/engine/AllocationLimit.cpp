#include "AllocationLimit.h"

#include <atomic>
#include <cstdint>
#include <new>

namespace {

std::atomic<std::size_t> limit{SIZE_MAX};
std::atomic<std::size_t> refused{0};

} // namespace

AllocationLimit::AllocationLimit(std::size_t bytes) {
    refused = 0;
    limit = bytes;
}

AllocationLimit::~AllocationLimit() {
    limit = SIZE_MAX;
}

std::size_t AllocationLimit::refusals() {
    return refused;
}

// The replacement forwards to the ordinary operator new[], so memory it hands out is released by
// the ordinary delete[] (and the sanitizer sees matching pairs).
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (size >= limit) {
        ++refused;
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
