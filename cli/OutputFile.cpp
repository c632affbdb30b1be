#include "OutputFile.h"

#include <cinttypes>
#include <cstdio>
#include <mutex>
#include <random>
#include <set>

namespace {

constexpr char prefix[] = ".sonorm-";
constexpr char suffix[] = ".tmp";
constexpr int maxattempts = 100;
constexpr int namedigits = 16; // hex digits of 64 random bits

// Files with a name in flight and folders already cleaned. The lock is held only while a name
// is made or dropped (and for good by removeall), never while a file is written: files are
// made, written and renamed at once.
std::mutex lock;
std::set<const OutputFile*> named;
std::set<std::string> cleaned;
bool stopped = false;

std::string freshname() {
    thread_local std::mt19937_64 random{std::random_device{}()};
    char digits[namedigits + 1];
    std::snprintf(digits, sizeof digits, "%0*" PRIx64, namedigits,
                  static_cast<std::uint64_t>(random()));
    return prefix + std::string(digits) + suffix;
}

bool interrupted(std::error_code& error) {
    error = std::make_error_code(std::errc::interrupted);
    return false;
}

void clean(const Folder& folder) {
    const std::string front = prefix, back = suffix;
    std::error_code error;
    for (fs::directory_iterator it(folder.path(), error), end; !error && it != end;
         it.increment(error)) {
        std::string name = nameof(it->path().filename());
        if (name.size() > front.size() + back.size() && name.rfind(front, 0) == 0 &&
            name.compare(name.size() - back.size(), back.size(), back) == 0) {
            removeleftover(folder, name);
        }
    }
}

} // namespace

OutputFile::~OutputFile() {
    if (!name.empty()) {
        std::lock_guard<std::mutex> hold(lock);
        if (named.erase(this) != 0) {
            removefile(dir, name);
        }
    }
}

// An unnamed file is locked at once, so that its name, once linked, is never taken for a
// leftover.
bool OutputFile::create(const std::string& output, bool privatefile, std::error_code& error) {
    const fs::path path = topath(output);
    target = nameof(path.filename());
    if (!dir.open(nameof(path.parent_path()), error)) {
        return false;
    }
    std::unique_lock<std::mutex> hold(lock);
    if (stopped) {
        return interrupted(error);
    }
    const bool first = cleaned.insert(nameof(dir.path())).second;
    hold.unlock();
    if (first) {
        clean(dir);
    }
    if (createunnamed(dir, privatefile, *file.put(), error)) {
        return lockfile(dir, "", file.get());
    }
    // Where unnamed files are not supported, named ones; other errors are failures.
    bool retry = error == std::errc::not_supported;
    for (int attempt = 0; retry && attempt < maxattempts; ++attempt) {
        if (makenamed(privatefile, error)) {
            return true;
        }
        retry = error == std::errc::file_exists;
    }
    return false;
}

// A named file is locked right after its making. A cleaner may come in between: the name must
// then still be this file, else (as when the name is taken) file_exists.
bool OutputFile::makenamed(bool privatefile, std::error_code& error) {
    const std::string fresh = freshname();
    {
        std::lock_guard<std::mutex> hold(lock);
        if (stopped) {
            return interrupted(error);
        }
        if (!createnamed(dir, fresh, privatefile, *file.put(), error)) {
            return false;
        }
        named.insert(this);
        name = fresh;
    }
    if (lockfile(dir, name, file.get())) {
        return true;
    }
    std::lock_guard<std::mutex> hold(lock);
    named.erase(this);
    name.clear();
    file.close();
    error = std::make_error_code(std::errc::file_exists);
    return false;
}

// The link is made under the lock, so that removeall either sees the name or keeps it from
// being made.
bool OutputFile::givename(std::error_code& error) {
    std::lock_guard<std::mutex> hold(lock);
    for (int attempt = 0; attempt < maxattempts && name.empty(); ++attempt) {
        if (stopped) {
            return interrupted(error);
        }
        const std::string fresh = freshname();
        if (linkfile(dir, file.get(), fresh, error)) {
            named.insert(this);
            name = fresh;
        } else if (error != std::errc::file_exists) {
            return false;
        }
    }
    return !name.empty();
}

OutputFile::Commit OutputFile::commit(const FileInfo* original, bool durable,
                                      std::error_code& error) {
    if (name.empty() && !givename(error)) {
        return Commit::failed;
    }
    FileInfo now;
    if (original != nullptr && !(fileinfo(dir, target, now) && now.unchanged(*original))) {
        return Commit::changed;
    }
    if (!renamefile(dir, name, target, durable, error)) {
        return Commit::failed;
    }
    std::lock_guard<std::mutex> hold(lock);
    named.erase(this);
    name.clear();
    return Commit::done;
}

void OutputFile::removeall() {
    lock.lock(); // held until the process ends: nothing new is named meanwhile
    stopped = true;
    for (const OutputFile* file : named) {
        removefile(file->dir, file->name);
    }
    named.clear();
}
