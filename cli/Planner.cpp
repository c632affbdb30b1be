#include "Planner.h"

#include "FileSystem.h"
#include "Messages.h"
#include "QuotedName.h"
#include "ReportText.h"
#include "SpecialFile.h"
#include "StringTexts.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <unordered_map>

namespace {

constexpr char wavextension[] = ".wav";
constexpr char stdinoutput[] = "stdin.wav"; // the name of standard input's output in a batch
constexpr char stdinkey[] = "stdin:";

// The key of a file that exists: its identity; its size.
bool identitykey(const std::string& name, std::string& key, std::uint64_t* size = nullptr) {
    FileInfo info;
    if (!fileinfo(name, info)) {
        return false;
    }
    if (size != nullptr) {
        *size = info.size;
    }
    key = std::to_string(info.volume) + ":" + std::to_string(info.index);
    return true;
}

std::string spellingkey(const std::string& name) {
    return "path:" + pathkey(name);
}

// The key of a file: its identity when it exists, else the spelling of its path.
std::string filekey(const std::string& name) {
    std::string key;
    return identitykey(name, key) ? key : spellingkey(name);
}

// The key of an input: standard input's own (never a file of that name), a file's identity and
// its size, or where no file exists the spelling of its path (then spelled is set).
std::string inputkey(const std::string& name, std::uint64_t& size, bool& spelled) {
    std::string key;
    if (name == standardstream) {
        key = stdinkey;
    } else if (!identitykey(name, key, &size)) {
        key = spellingkey(name);
        spelled = true;
    }
    return key;
}

// Whether folder holds nothing or is missing: then no name in it reaches a file yet.
bool emptyfolder(const std::string& folder) {
    std::error_code error;
    fs::directory_iterator it(topath(folder), error);
    return error ? error == std::errc::no_such_file_or_directory : it == fs::directory_iterator();
}

bool iswavname(const std::string& name) {
    const std::size_t length = sizeof wavextension - 1;
    return name.size() > length &&
           std::equal(name.end() - length, name.end(), wavextension, [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

void walk(const std::string& folder, const fs::path& relative, const std::string& outdirkey,
          std::vector<Job>& jobs) {
    struct Entry {
        std::string name; // its file name, by which entries are sorted
        fs::path filename;
        std::string path;
        bool isfolder;
        std::string special; // why a file is not read
    };
    std::error_code error;
    std::vector<Entry> entries; // the folders and .wav files
    for (fs::directory_iterator it(topath(folder), error), end; !error && it != end;
         it.increment(error)) {
        std::error_code unknown;
        if (it->is_symlink(unknown)) {
            continue; // as find and cp -r do not, a walk follows no link
        }
        const bool isfolder = it->is_directory(unknown);
        std::string path = nameof(it->path());
        if (isfolder || (it->exists(unknown) && iswavname(path))) {
            fs::path filename = it->path().filename();
            entries.push_back(Entry{nameof(filename), std::move(filename), std::move(path),
                                    isfolder, isfolder ? std::string() : specialfile(*it)});
        }
    }
    if (error) {
        jobs.push_back(
            Job{folder, "", say(Message::cannotreadfolder, {errortext(error)}), false, 0});
        return;
    }
    // What relative / name spells for a bare file name, the library choosing the separator once.
    std::string below = nameof(relative / fs::path("-"));
    below.pop_back();
    std::vector<Entry*> sorted; // moving pointers, not entries
    sorted.reserve(entries.size());
    for (Entry& entry : entries) {
        sorted.push_back(&entry);
    }
    std::sort(sorted.begin(), sorted.end(),
              [](const Entry* a, const Entry* b) { return a->name < b->name; });
    for (Entry* each : sorted) {
        Entry& entry = *each;
        if (!entry.isfolder) {
            const bool skip = !entry.special.empty();
            jobs.push_back(Job{std::move(entry.path), below + entry.name, std::move(entry.special),
                               skip, 0, true});
        } else if (filekey(entry.path) != outdirkey) {
            walk(entry.path, relative / entry.filename, outdirkey, jobs);
        }
    }
}

} // namespace

// While planning, a job's output holds where a batch writes it: the output folder followed by
// the name below it.
std::vector<Job> planjobs(const Options& options) {
    const bool batch = options.mode == Mode::batch;
    const fs::path outdir = batch ? topath(options.outdir) : fs::path();
    std::vector<Job> jobs;
    for (const std::string& operand : options.operands) {
        std::error_code error;
        if (operand.empty()) {
            jobs.push_back(Job{operand, "", tabletext(IDS_NEED_FILE_NAMES), false, 0});
        } else if (operand == standardstream) {
            jobs.push_back(Job{operand, nameof(outdir / stdinoutput), "", false, 0});
        } else if (!fs::is_directory(topath(operand), error)) {
            // A missing file is left to the conversion, which reports it as the program does.
            jobs.push_back(Job{operand, nameof(outdir / topath(operand).filename()), "", false, 0});
        } else if (options.recursive) {
            walk(operand, outdir, batch ? filekey(options.outdir) : "", jobs);
        } else {
            jobs.push_back(Job{operand, "", say(Message::isfolder), false, 0});
        }
    }
    // Outputs differ only in the names below the output folder, which hold no "." or ".." parts:
    // their namekeys tell them apart. An output folder that holds nothing yet holds none of the
    // inputs either.
    std::unordered_map<std::string, std::size_t> seen; // input key -> first job of that file
    std::vector<std::string> outputkeys(jobs.size());  // not resized: outputs views them
    std::unordered_map<std::string_view, std::size_t> outputs; // -> first job written there
    bool spelledinputs = false; // some input does not exist: its key is its spelling
    const bool nooutputs = batch && emptyfolder(options.outdir);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        Job& job = jobs[i];
        std::string output = std::move(job.output);
        job.output.clear();
        if (!job.problem.empty()) {
            continue;
        }
        auto first = seen.emplace(inputkey(job.input, job.size, spelledinputs), i);
        if (!first.second) {
            job.problem = say(Message::giventwice, {quotedname(jobs[first.first->second].input)});
            job.skip = true;
        } else if (options.mode == Mode::inplace) {
            job.output = realname(job.input);
        } else if (batch) {
            job.output = std::move(output);
            outputkeys[i] = namekey(job.output);
            outputs.emplace(outputkeys[i], i);
        }
    }
    // Outputs are checked once every input is known: an output may name a later input.
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        Job& job = jobs[i];
        if (!batch || !job.problem.empty()) {
            continue;
        }
        std::string key;
        const bool exists = !nooutputs && identitykey(job.output, key);
        auto input = exists          ? seen.find(key)
                     : spelledinputs ? seen.find(spellingkey(job.output))
                                     : seen.end();
        auto other = outputs.find(outputkeys[i]);
        if (input != seen.end()) {
            const std::string output = quotedname(job.output);
            const std::string& first = jobs[input->second].input;
            job.problem = first == job.input
                              ? say(Message::outputisinput, {output})
                              : say(Message::outputisotherinput, {output, quotedname(first)});
        } else if (const std::string& first = jobs[other->second].input; first != job.input) {
            job.problem = say(Message::sameoutput, {quotedname(job.output), quotedname(first)});
        }
    }
    return jobs;
}
