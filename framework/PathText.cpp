#include "PathText.h"

#include "CharStep.h"
#include "TextBuf.h"

bool cutatlast(char* text, char sep) {
    char* last = nullptr;
    for (char* p = text; *p != '\0'; p = nextansichar(p)) {
        if (*p == sep) {
            last = p;
        }
    }
    if (last == nullptr) {
        return false;
    }
    *last = '\0';
    return true;
}

bool composefilepath(char* buf, std::size_t size, const char* dir, const char* name,
                     const char* ext) {
    return TextBuf(buf, size).add(dir).add(pathseparator).add(name).add(ext).ok();
}

bool composehelppath(char* buf, std::size_t size, const char* dir, const char* name,
                     const char* window) {
    TextBuf text(buf, size);
    text.add(dir).add(pathseparator).add(name).add(".hlp");
    if (window != nullptr) {
        text.add('>').add(window);
    }
    return text.ok();
}
