#include "Wildcard.h"

#include "FileSystem.h"
#include "TextStep.h"

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
// any run; letters compare without case.
bool matches(const char* pattern, const char* name) {
    if (*pattern == '*') {
        for (const char* rest = name;; rest = nextnativechar(rest)) {
            if (matches(pattern + 1, rest)) {
                return true;
            }
            if (*rest == '\0') {
                return false;
            }
        }
    }
    if (*pattern == '\0' || *name == '\0') {
        return *pattern == *name;
    }
    const char* nextname = nextnativechar(name);
    const char* nextpattern = nextnativechar(pattern);
    std::size_t length = static_cast<std::size_t>(nextname - name);
    bool same = *pattern == '?' || (length == static_cast<std::size_t>(nextpattern - pattern) &&
                                    (length == 1 ? foldascii(*pattern) == foldascii(*name)
                                                 : std::memcmp(pattern, name, length) == 0));
    return same && matches(nextpattern, nextname);
}

bool lessnocase(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) < 0;
}

} // namespace

std::vector<std::string> expandwildcards(const std::vector<std::string>& operands) {
    std::vector<std::string> out;
    for (const std::string& operand : operands) {
        fs::path path = topath(operand);
        std::string pattern = nameof(path.filename());
        std::vector<std::string> found;
        std::error_code error;
        if (haswildcard(pattern)) {
            fs::path folder = path.parent_path();
            for (const fs::directory_entry& entry :
                 fs::directory_iterator(folder.empty() ? fs::path(".") : folder, error)) {
                std::string name = nameof(entry.path().filename());
                if (matches(pattern.c_str(), name.c_str())) {
                    found.push_back(nameof(folder / entry.path().filename()));
                }
            }
        }
        std::sort(found.begin(), found.end(), lessnocase);
        if (found.empty()) {
            found.push_back(operand); // reported as a missing file
        }
        out.insert(out.end(), found.begin(), found.end());
    }
    return out;
}

// The C runtime's own argument globbing stays off: the tool expands operands itself.
extern "C" {
int _dowildcard = 0;
}
