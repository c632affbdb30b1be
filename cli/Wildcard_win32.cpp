#include "Wildcard.h"

#include "FileSystem.h"

#include <algorithm>
#include <cstring>
#include <windows.h>

namespace {

bool haswildcard(const std::string& name) {
    // '*' and '?' lie below the trail-byte range of code page 932, so a byte test is exact.
    return name.find_first_of("*?") != std::string::npos;
}

char foldascii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether name matches pattern, '?' standing for one character (one or two bytes) and '*' for
// any run. FindFirstFileA also matches the short 8.3 names ("x.wave" is "X~1.WAV"); this check
// keeps only long names that match.
bool matches(const char* pattern, const char* name) {
    if (*pattern == '\0') {
        return *name == '\0';
    }
    if (*pattern == '*') {
        for (const char* rest = name;; rest = CharNextA(rest)) {
            if (matches(pattern + 1, rest)) {
                return true;
            }
            if (*rest == '\0') {
                return false;
            }
        }
    }
    if (*name == '\0') {
        return false;
    }
    const char* nextname = CharNextA(name);
    if (*pattern == '?') {
        return matches(pattern + 1, nextname);
    }
    const char* nextpattern = CharNextA(pattern);
    std::size_t length = static_cast<std::size_t>(nextpattern - pattern);
    if (static_cast<std::size_t>(nextname - name) != length) {
        return false;
    }
    if (length == 1 ? foldascii(*pattern) != foldascii(*name)
                    : std::memcmp(pattern, name, length) != 0) {
        return false;
    }
    return matches(nextpattern, nextname);
}

bool lessnocase(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) < 0;
}

} // namespace

std::vector<std::string> expandwildcards(const std::vector<std::string>& operands) {
    std::vector<std::string> out;
    for (const std::string& operand : operands) {
        if (!haswildcard(fsbasename(operand))) {
            out.push_back(operand);
            continue;
        }
        std::string folder = fsdirname(operand);
        std::string pattern = fsbasename(operand);
        std::vector<std::string> found;
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA(operand.c_str(), &data);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (std::strcmp(data.cFileName, ".") != 0 &&
                    std::strcmp(data.cFileName, "..") != 0 &&
                    matches(pattern.c_str(), data.cFileName)) {
                    found.push_back(fsjoin(folder, data.cFileName));
                }
            } while (FindNextFileA(h, &data));
            FindClose(h);
        }
        if (found.empty()) {
            out.push_back(operand);
            continue;
        }
        std::sort(found.begin(), found.end(), lessnocase);
        out.insert(out.end(), found.begin(), found.end());
    }
    return out;
}

// The C runtime's own argument globbing stays off: the tool expands operands itself, matching
// long names only.
extern "C" {
int _dowildcard = 0;
}
