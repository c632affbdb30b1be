#include "TempFile.h"

#include "FileSystem.h"

#include <cstdio>
#include <mutex>
#include <regex>
#include <set>

namespace {

constexpr char prefix[] = ".sonorm-";
constexpr char suffix[] = ".tmp";
constexpr int maxattempts = 100;

// Files in flight and folders already cleaned; one lock, also taken by removeall.
std::mutex lock;
std::set<std::string> inflight;
std::set<std::string> cleaned;
unsigned counter = 0;
bool stopped = false;

// 8 hex digits of a hash of the host name (FNV-1a), so names stay short.
std::string hosttag() {
    constexpr std::uint32_t basis = 2166136261u;
    constexpr std::uint32_t prime = 16777619u;
    std::uint32_t hash = basis;
    for (char c : hostname()) {
        hash = (hash ^ static_cast<unsigned char>(c)) * prime;
    }
    char tag[9];
    std::snprintf(tag, sizeof tag, "%08x", hash);
    return tag;
}

// Removes ".sonorm-HOST-PID-N.tmp" files of this host whose process no longer runs.
void cleanleftovers(const fs::path& folder, const std::string& tag) {
    // Both prefix and suffix start with '.', which the expression takes literally.
    const std::regex ours("\\" + std::string(prefix) + tag + "-([0-9]{1,9})-[0-9]+\\" + suffix);
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        std::smatch found;
        std::string name = nameof(entry.path().filename());
        if (std::regex_match(name, found, ours) &&
            !processalive(static_cast<std::uint32_t>(std::stoul(found[1].str())))) {
            removefile(nameof(entry.path()));
        }
    }
}

} // namespace

TempFile::TempFile() : hold(lock, std::defer_lock) {}

TempFile::~TempFile() {
    if (!hold.owns_lock()) {
        hold.lock();
    }
    if (inflight.erase(path) != 0) {
        removefile(path);
    }
}

void TempFile::opened() {
    if (hold.owns_lock()) {
        hold.unlock();
    }
}

bool TempFile::create(const std::string& output, bool privatefile, std::error_code& error) {
    static const std::string tag = hosttag();
    fs::path folder = topath(output).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    hold.lock(); // until the writer has opened the file: see opened()
    if (stopped) {
        error = std::make_error_code(std::errc::interrupted);
        return false;
    }
    if (cleaned.insert(pathkey(nameof(folder))).second) {
        cleanleftovers(folder, tag);
    }
    const std::string stem = prefix + tag + "-" + std::to_string(processid()) + "-";
    for (int attempt = 0; attempt < maxattempts; ++attempt) {
        std::string name = nameof(folder / topath(stem + std::to_string(counter++) + suffix));
        if (createnew(name, privatefile, error)) {
            path = name;
            inflight.insert(path);
            return true;
        }
        std::error_code ignored;
        if (!fs::exists(topath(name), ignored)) {
            break; // not a name clash
        }
    }
    hold.unlock();
    return false;
}

bool TempFile::commit(const std::string& output, bool durable, std::error_code& error) {
    if (!hold.owns_lock()) {
        hold.lock();
    }
    bool done = !stopped && replacefile(path, output, durable, error);
    if (done) {
        inflight.erase(path);
    }
    hold.unlock();
    return done;
}

void TempFile::removeall() {
    lock.lock(); // held until the process ends: nothing new is made meanwhile
    stopped = true;
    for (const std::string& name : inflight) {
        removefile(name);
    }
    inflight.clear();
}
