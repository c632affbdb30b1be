#include "Descriptors.h"

#include <cstdint>
#include <windows.h>

// Files are opened with CreateFileA: the C runtime's limit of streams does not apply.
std::size_t descriptorroom() {
    return SIZE_MAX;
}

bool outofdescriptors(std::uint32_t error) {
    return error == ERROR_TOO_MANY_OPEN_FILES;
}
