#include "TextStep.h"

#include <windows.h>

const char* nextnativechar(const char* text) {
    return CharNextA(text);
}
