#include "TempDir.h"

#include "FileIo.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

// 64 random bits: the tests that run at once never pick the same name.
TempDir::TempDir() {
    std::random_device entropy;
    root = (fs::temp_directory_path() / "sonorm-test-").string() + std::to_string(entropy()) + "-" +
           std::to_string(entropy());
    folder("");
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

std::string TempDir::path(const std::string& name) const {
    return root + static_cast<char>(fs::path::preferred_separator) + name;
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    return writesparse(name, {{0, bytes}});
}

// Exclusive: a folder that exists already is a failure, also for the root.
std::string TempDir::folder(const std::string& name) const {
    const std::string made = name.empty() ? root : path(name);
    if (!fs::create_directory(made)) {
        throw std::runtime_error("cannot create " + made);
    }
    return made;
}

// Through the engine's own file seam: positioning beyond the end leaves a hole, so a file of
// several GiB costs only its pieces.
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

bool fileexists(const std::string& file) {
    std::error_code error;
    return fs::exists(file, error);
}

std::int64_t modtime(const std::string& file) {
    return fs::last_write_time(file).time_since_epoch().count();
}

// Whole seconds, which every file system here stores exactly.
std::int64_t backdatedtime() {
    static const auto past = std::chrono::floor<std::chrono::seconds>(
        fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 20));
    return std::chrono::duration_cast<fs::file_time_type::duration>(past.time_since_epoch())
        .count();
}

void backdate(const std::string& file) {
    fs::last_write_time(file, fs::file_time_type(fs::file_time_type::duration(backdatedtime())));
}
