#include "Wildcard.h"

#include "FileSystem.h"

#include <algorithm>
#include <windows.h>
#include <shlwapi.h>

std::vector<std::string> expandwildcards(const std::vector<std::string>& operands) {
    std::vector<std::string> out;
    for (const std::string& operand : operands) {
        fs::path path = topath(operand);
        std::string pattern = nameof(path.filename());
        std::vector<std::string> found;
        // '*' and '?' lie below the trail-byte range of code page 932, so a byte test is exact.
        if (pattern.find_first_of("*?") != std::string::npos) {
            fs::path folder = path.parent_path();
            std::error_code error;
            for (const fs::directory_entry& entry :
                 fs::directory_iterator(folder.empty() ? fs::path(".") : folder, error)) {
                // Long names only: the file system's own matching would also take 8.3 names.
                std::string name = nameof(entry.path().filename());
                if (PathMatchSpecA(name.c_str(), pattern.c_str())) {
                    found.push_back(nameof(folder / entry.path().filename()));
                }
            }
        }
        std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
            return lstrcmpiA(a.c_str(), b.c_str()) < 0;
        });
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
