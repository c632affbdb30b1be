#include "FileList.h"

#include "Options.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

std::vector<std::string> splitfilelist(const std::string& text, bool nulseparated) {
    const char separator = nulseparated ? '\0' : '\n';
    std::vector<std::string> names;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = std::min(text.find(separator, start), text.size());
        std::string name = text.substr(start, end - start);
        if (!nulseparated && !name.empty() && name.back() == '\r') {
            name.pop_back();
        }
        if (!name.empty()) {
            names.push_back(name);
        }
        start = end + 1;
    }
    return names;
}

bool readfilelist(const std::string& name, bool nulseparated, std::vector<std::string>& names,
                  std::error_code& error) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> owned(nullptr, std::fclose);
    std::FILE* file = stdin;
    errno = 0;
    if (name != standardstream) {
        owned.reset(std::fopen(name.c_str(), "rb"));
        file = owned.get();
    }
    std::string text;
    char block[BUFSIZ];
    for (std::size_t count;
         file != nullptr && (count = std::fread(block, 1, sizeof block, file)) != 0;) {
        text.append(block, count);
    }
    if (file == nullptr || std::ferror(file)) {
        error = std::error_code(errno != 0 ? errno : EIO, std::generic_category());
        return false;
    }
    for (std::string& entry : splitfilelist(text, nulseparated)) {
        names.push_back(std::move(entry));
    }
    return true;
}
