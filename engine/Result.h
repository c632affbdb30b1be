// The engine's status record: the first failure recorded wins.
#ifndef SONORM_RESULT_H
#define SONORM_RESULT_H

#include <cstdint>

struct Result {
    std::uint32_t code = 0;   // 0: no failure; kind << 24 | facility << 16 | number
    std::uint32_t syserr = 0; // system error number belonging to the failure

    bool ok() const { return code == 0; }
    // Records a failure unless one is already recorded; returns false for call-site brevity.
    bool fail(std::uint32_t failcode, std::uint32_t error = 0);
};

#endif
