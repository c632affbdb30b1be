#include "KeyNameList.h"

#include <cstdlib>

KeyNameList::~KeyNameList() {
    std::free(block);
}

bool KeyNameList::collect(unsigned count, std::size_t maxlen, KeyEnumerator enumerate,
                          void* context) {
    std::free(block);
    block = nullptr;
    filled = 0;
    slotsize = maxlen + 1;
    if (count == 0) {
        return true;
    }
    if (slotsize == 0 || count > static_cast<std::size_t>(-1) / slotsize) {
        return false;
    }
    block = static_cast<char*>(std::calloc(count, slotsize));
    if (block == nullptr) {
        return false;
    }
    for (unsigned i = 0; i < count; ++i) {
        // Names are kept contiguous: an index without a name leaves no gap.
        char* slot = block + filled * slotsize;
        const long result = enumerate(context, i, slot, slotsize);
        if (result == enumnomore) {
            continue;
        }
        if (result != enumsuccess) {
            return false;
        }
        // The platform terminates the name; a defensive terminator keeps reads in the slot.
        slot[slotsize - 1] = '\0';
        ++filled;
    }
    return true;
}
