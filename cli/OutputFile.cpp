#include "OutputFile.h"

#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace {

constexpr char prefix[] = ".sonorm-";
constexpr char suffix[] = ".tmp";
constexpr int maxattempts = 100;
constexpr int namedigits = 16; // hex digits of 64 random bits

// Files with a name in flight and folders already cleaned. The lock guards these sets only: no
// system call is made under it, but by removeall, which keeps it.
std::mutex lock;
std::set<const OutputFile*> named;
std::set<std::string> cleaned;
// removeall has begun: no name is made from then on.
std::atomic<bool> stopped{false};
// Names being made: removeall waits until none is, so that each has failed or is in named.
std::atomic<int> naming{0};

// The folder of the last file this thread made, with what that file's name had before its file
// name (where known).
struct RecentFolder {
    bool known = false;
    std::string lead;
    std::shared_ptr<const Folder> folder;
};
thread_local RecentFolder recent;

// Held around the making of one name, which is allowed only before removeall. Both sides are
// sequentially consistent: removeall sees this one counted, or this one sees it stopped.
class Naming {
public:
    Naming() { naming.fetch_add(1); }
    ~Naming() { naming.fetch_sub(1); }
    Naming(const Naming&) = delete;
    Naming& operator=(const Naming&) = delete;
    bool allowed() const { return !stopped.load(); }
};

std::string freshname() {
    thread_local std::mt19937_64 random{std::random_device{}()};
    char digits[namedigits + 1];
    std::snprintf(digits, sizeof digits, "%0*" PRIx64, namedigits,
                  static_cast<std::uint64_t>(random()));
    return prefix + std::string(digits) + suffix;
}

// Once removeall has begun the process ends in its thread: a worker that finds it begun, and is
// making no name, waits for that, so that nothing more is made or reported.
void haltifstopped() {
    while (stopped.load()) {
        std::this_thread::sleep_for(std::chrono::hours(1));
    }
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

// Named while it was not committed: the name goes, then its entry (removeall may remove it
// meanwhile, too).
OutputFile::~OutputFile() {
    if (!name.empty()) {
        removefile(*dir, name);
        dropname();
    }
}

bool OutputFile::create(const std::string& output, bool privatefile, bool makefolder,
                        std::error_code& error) {
    haltifstopped();
    if (!openfolder(output, makefolder, error)) {
        return false;
    }
    if (createunnamed(*dir, privatefile, *file.put(), error)) {
        return true;
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

// The output's folder and file name: the folder this thread used last where output is what
// the last output had before its file name, then a bare file name; else opened (made first
// where missing and allowed: another worker making it meanwhile is no failure) and cleaned of
// leftovers, the first time in the run.
bool OutputFile::openfolder(const std::string& output, bool makefolder, std::error_code& error) {
    if (recent.known && output.size() > recent.lead.size() &&
        output.compare(0, recent.lead.size(), recent.lead) == 0) {
        const fs::path rest = topath(output.substr(recent.lead.size()));
        if (!rest.has_root_path() && !rest.has_parent_path()) {
            target = nameof(rest);
            dir = recent.folder;
            return true;
        }
    }
    const fs::path path = topath(output);
    target = nameof(path.filename());
    const std::size_t leadsize = output.size() - target.size();
    const bool tail =
        output.size() >= target.size() && output.compare(leadsize, target.size(), target) == 0;
    const std::string folder = nameof(path.parent_path());
    auto opened = std::make_shared<Folder>();
    if (!opened->open(folder, error)) {
        if (!makefolder || folder.empty() || error != std::errc::no_such_file_or_directory) {
            return false;
        }
        fs::create_directories(topath(folder), error);
        if (error || !opened->open(folder, error)) {
            return false;
        }
    }
    recent = RecentFolder{tail, tail ? output.substr(0, leadsize) : std::string(), opened};
    std::unique_lock<std::mutex> hold(lock);
    const bool first = cleaned.insert(nameof(opened->path())).second;
    hold.unlock();
    if (first) {
        clean(*opened);
    }
    dir = recent.folder;
    return true;
}

// A named file is locked right after its making. A cleaner may come in between: the name must
// then still be this file, else (as when the name is taken) file_exists.
bool OutputFile::makenamed(bool privatefile, std::error_code& error) {
    bool made = false;
    {
        Naming making;
        if (making.allowed()) {
            givenname(freshname());
            made = createnamed(*dir, name, privatefile, *file.put(), error);
            if (!made) {
                dropname();
            }
        }
    }
    haltifstopped();
    if (!made) {
        return false;
    }
    if (lockfile(*dir, name, file.get())) {
        return true;
    }
    dropname();
    file.close();
    error = std::make_error_code(std::errc::file_exists);
    return false;
}

// An unnamed file is locked before it gets a name, so that the name is never taken for a
// leftover (nobody else can hold the lock of a file that no name reaches).
bool OutputFile::givename(std::error_code& error) {
    (void)lockfile(*dir, "", file.get());
    for (int attempt = 0; attempt < maxattempts; ++attempt) {
        bool linked = false;
        {
            Naming making;
            if (making.allowed()) {
                givenname(freshname());
                linked = linkfile(*dir, file.get(), name, error);
                if (!linked) {
                    dropname();
                }
            }
        }
        haltifstopped();
        if (linked) {
            return true;
        }
        if (error != std::errc::file_exists) {
            return false;
        }
    }
    return false;
}

// Listed before the name exists, so that removeall finds it as soon as it may exist.
void OutputFile::givenname(const std::string& fresh) {
    std::lock_guard<std::mutex> hold(lock);
    named.insert(this);
    name = fresh;
}

void OutputFile::dropname() {
    std::lock_guard<std::mutex> hold(lock);
    named.erase(this);
    name.clear();
}

// An unnamed file with nothing to keep takes the output's name itself where there is none: a
// complete file, so no name of its own and no rename are needed.
OutputFile::Commit OutputFile::commit(const FileInfo* original, bool durable,
                                      std::error_code& error) {
    if (name.empty()) {
        if (original == nullptr) {
            if (namefile(*dir, file.get(), target, durable, error)) {
                return Commit::done;
            }
            if (error != std::errc::file_exists) {
                return Commit::failed;
            }
        }
        if (!givename(error)) {
            return Commit::failed;
        }
    }
    FileInfo now;
    if (original != nullptr && !(fileinfo(*dir, target, now) && now.unchanged(*original))) {
        return Commit::changed;
    }
    if (!renamefile(*dir, name, target, durable, error)) {
        return Commit::failed;
    }
    dropname();
    return Commit::done;
}

// Waits for the names being made, then removes every listed one; the lock is kept until the
// process ends, so nothing is listed or dropped meanwhile.
void OutputFile::removeall() {
    stopped.store(true);
    while (naming.load() != 0) {
        std::this_thread::yield();
    }
    lock.lock();
    for (const OutputFile* file : named) {
        removefile(*file->dir, file->name);
    }
    named.clear();
}
