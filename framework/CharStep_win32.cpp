#include "CharStep.h"

#include <windows.h>

const char* nextansichar(const char* p) {
    return CharNextA(p);
}
