// The sub-key names of one registry level, collected before anything at that level is deleted
// so that deletions never shift the enumeration indexes.
#ifndef TESSEL_KEYNAMELIST_H
#define TESSEL_KEYNAMELIST_H

#include <cstddef>

// Platform results of the enumeration that the collection distinguishes.
constexpr long enumsuccess = 0;    // ERROR_SUCCESS
constexpr long enumnomore = 0x103; // ERROR_NO_MORE_ITEMS

// Writes the name of sub-key index into slot (capacity bytes, terminator included); returns
// the platform result.
using KeyEnumerator = long (*)(void* context, unsigned index, char* slot, std::size_t capacity);

class KeyNameList {
public:
    KeyNameList() = default;
    ~KeyNameList();
    KeyNameList(const KeyNameList&) = delete;
    KeyNameList& operator=(const KeyNameList&) = delete;

    // Enumerates indexes 0 to count - 1 into slots of maxlen + 1 bytes. An index that answers
    // enumnomore (sub-keys removed since they were counted) yields no name and the enumeration
    // goes on; any other failure ends it with false. False also when out of memory.
    bool collect(unsigned count, std::size_t maxlen, KeyEnumerator enumerate, void* context);
    // Number of names collected.
    unsigned size() const { return filled; }
    const char* name(unsigned i) const { return block + i * slotsize; }

private:
    char* block = nullptr;
    std::size_t slotsize = 0;
    unsigned filled = 0;
};

#endif
