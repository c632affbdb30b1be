#include "TextStep.h"

#include <windows.h>

const char* nextchar(const char* text) {
    return CharNextA(text);
}
