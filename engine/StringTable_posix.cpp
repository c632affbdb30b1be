#include "StringTable.h"

#include "StringTexts.h"

int loadstringtable(void*, unsigned id, char* buf, int size) {
    return putstringtable(stringtext(id), buf, size);
}

std::string stringtableentry(unsigned id) {
    const char* text = stringtext(id);
    return text != nullptr ? std::string(text) : std::string();
}
