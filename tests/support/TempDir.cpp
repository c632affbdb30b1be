#include "TempDir.h"

#include "FileIo.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device entropy;
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate =
            base / ("sonorm-test-" + std::to_string(stamp) + "-" + std::to_string(entropy()));
        if (fs::create_directory(candidate)) {
            root = candidate.string();
            return;
        }
    }
    throw std::runtime_error("no temporary folder");
}

// Read-only files (the Windows attribute) cannot be removed until they are writable again.
TempDir::~TempDir() {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(root, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(root, ignored);
}

// Joined as bytes: MinGW's std::filesystem would read a narrow name in another encoding than
// the ANSI code page and mangle double-byte names.
std::string TempDir::path(const std::string& name) const {
    return root + static_cast<char>(fs::path::preferred_separator) + name;
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    std::string file = path(name);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file);
    }
    return file;
}

std::string TempDir::folder(const std::string& name) const {
    std::string made = path(name);
    if (!makefolder(made)) {
        throw std::runtime_error("cannot create " + made);
    }
    return made;
}

// Written through the engine's own file seam: positioning beyond the end leaves a hole, so a
// file of several GiB costs only its pieces.
std::string TempDir::writesparse(const std::string& name, const SparsePieces& pieces) const {
    std::string file = path(name);
    FileHandle out = filecreatewrite(file.c_str());
    bool ok = out != nofile;
    for (const auto& [offset, bytes] : pieces) {
        ok = ok && fileseek(out, static_cast<std::int64_t>(offset), SeekOrigin::begin) &&
             filewrite(out, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }
    if (out == nofile || !fileclose(out) || !ok) {
        throw std::runtime_error("cannot write " + file);
    }
    return file;
}

std::vector<std::string> TempDir::list(const std::string& name) const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(name.empty() ? root : path(name))) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// In one piece: a byte-by-byte copy makes the tests of multi-block outputs slow.
std::string readfile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
