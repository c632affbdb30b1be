// While one lives, nothrow new[] of at least its size is refused (this binary replaces it).
#ifndef SONORM_TESTS_ALLOCATIONLIMIT_H
#define SONORM_TESTS_ALLOCATIONLIMIT_H

#include <atomic>
#include <cstddef>
#include <cstdint>

struct AllocationLimit {
    static inline std::atomic<std::size_t> limit{SIZE_MAX}, refusals{0};
    explicit AllocationLimit(std::size_t bytes) { refusals = 0, limit = bytes; }
    ~AllocationLimit() { limit = SIZE_MAX; }
};

#endif
