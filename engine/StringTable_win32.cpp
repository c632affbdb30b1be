#include "StringTable.h"

#include <windows.h>

namespace {
// Longest string of the table in code page 932, with room to spare.
constexpr int entrysize = 1024;
} // namespace

int loadstringtable(void*, unsigned id, char* buf, int size) {
    if (buf == nullptr || size <= 0) {
        return 0;
    }
    buf[0] = '\0';
    return LoadStringA(GetModuleHandleA(nullptr), id, buf, size);
}

std::string stringtableentry(unsigned id) {
    char buf[entrysize];
    int length = loadstringtable(nullptr, id, buf, entrysize);
    return std::string(buf, length > 0 ? static_cast<std::size_t>(length) : 0);
}
