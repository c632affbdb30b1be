// Test-only stand-in for exhausted memory: while an AllocationLimit lives, every nothrow array
// allocation of at least its size is refused (the test binary replaces that operator new[]).
#ifndef SONORM_TESTS_ALLOCATIONLIMIT_H
#define SONORM_TESTS_ALLOCATIONLIMIT_H

#include <cstddef>

class AllocationLimit {
public:
    explicit AllocationLimit(std::size_t bytes);
    ~AllocationLimit();
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

    // Allocations refused since construction.
    static std::size_t refusals();
};

#endif
