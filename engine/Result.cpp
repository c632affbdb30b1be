#include "Result.h"

bool Result::fail(std::uint32_t failcode, std::uint32_t error) {
    if (code == 0) {
        code = failcode;
        syserr = error;
    }
    return false;
}
