#include "CharStep.h"

#include <windows.h>

const char* charnext(const char* p) {
    return CharNextA(p);
}
