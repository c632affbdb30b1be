// Test-only script for the kernel's file-to-file move that the engine tries first for every data
// block (copy_file_range on POSIX, which the test binary replaces). While a KernelMove lives,
// each call moves at most cap bytes (0: no cap), the call numbered failat (from 1) fails with
// error, and with pretend the calls before it answer as if they had moved what they were asked
// without moving anything. Win32 has no such move: scripted() is false there.
#ifndef SONORM_TESTS_KERNELMOVE_H
#define SONORM_TESTS_KERNELMOVE_H

#include <cstdint>
#include <vector>

class KernelMove {
public:
    struct Script {
        std::uint32_t cap;
        unsigned failat;
        int error;
        bool pretend;
    };

    explicit KernelMove(const Script& script);
    ~KernelMove();
    KernelMove(const KernelMove&) = delete;
    KernelMove& operator=(const KernelMove&) = delete;

    static bool scripted();
    // The byte counts asked for, call by call, since construction.
    static std::vector<std::uint32_t> asked();
};

#endif
