#include "Planner.h"

#include "FileSystem.h"
#include "Messages.h"
#include "QuotedName.h"
#include "ReportText.h"
#include "SpecialFile.h"
#include "StringTexts.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace {

constexpr char wavextension[] = ".wav";
constexpr char stdinoutput[] = "stdin.wav"; // the name of standard input's output in a batch
constexpr char stdinkey[] = "stdin:";

// The key of a file: its identity when it exists, else the spelling of its path; its size.
// Standard input is never a file of that name.
std::string filekey(const std::string& name, std::uint64_t* size = nullptr) {
    if (name == standardstream) {
        return stdinkey;
    }
    FileInfo info;
    if (!fileinfo(name, info)) {
        return "path:" + pathkey(name);
    }
    if (size != nullptr) {
        *size = info.size;
    }
    return std::to_string(info.volume) + ":" + std::to_string(info.index);
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
    std::error_code error;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(topath(folder), error), end; !error && it != end;
         it.increment(error)) {
        entries.push_back(*it);
    }
    if (error) {
        jobs.push_back(
            Job{folder, "", say(Message::cannotreadfolder, {errortext(error)}), false, 0});
        return;
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return nameof(a.path().filename()) < nameof(b.path().filename());
    });
    for (const fs::directory_entry& entry : entries) {
        std::string name = nameof(entry.path());
        fs::path below = relative / entry.path().filename();
        if (entry.is_symlink(error)) {
            continue; // as find and cp -r do not, a walk follows no link
        }
        if (entry.is_directory(error)) {
            if (filekey(name) != outdirkey) {
                walk(name, below, outdirkey, jobs);
            }
        } else if (entry.exists(error) && iswavname(name)) {
            std::string special = specialfile(name);
            jobs.push_back(Job{name, nameof(below), special, !special.empty(), 0});
        }
    }
}

} // namespace

// While planning, a job's output holds its name below the output folder.
std::vector<Job> planjobs(const Options& options) {
    const bool batch = options.mode == Mode::batch;
    std::vector<Job> jobs;
    for (const std::string& operand : options.operands) {
        std::error_code error;
        if (operand.empty()) {
            jobs.push_back(Job{operand, "", tabletext(IDS_NEED_FILE_NAMES), false, 0});
        } else if (operand == standardstream) {
            jobs.push_back(Job{operand, stdinoutput, "", false, 0});
        } else if (!fs::is_directory(topath(operand), error)) {
            // A missing file is left to the conversion, which reports it as the program does.
            jobs.push_back(Job{operand, nameof(topath(operand).filename()), "", false, 0});
        } else if (options.recursive) {
            walk(operand, fs::path(), batch ? filekey(options.outdir) : "", jobs);
        } else {
            jobs.push_back(Job{operand, "", say(Message::isfolder), false, 0});
        }
    }
    std::map<std::string, std::string> seen;    // input key -> first input of that file
    std::map<std::string, std::string> outputs; // output key -> first input written there
    for (Job& job : jobs) {
        std::string relative = job.output;
        job.output.clear();
        if (!job.problem.empty()) {
            continue;
        }
        auto first = seen.emplace(filekey(job.input, &job.size), job.input);
        if (!first.second) {
            job.problem = say(Message::giventwice, {quotedname(first.first->second)});
            job.skip = true;
        } else if (options.mode == Mode::inplace) {
            job.output = realname(job.input);
        } else if (batch) {
            job.output = nameof(topath(options.outdir) / topath(relative));
            outputs.emplace(pathkey(job.output), job.input);
        }
    }
    // Outputs are checked once every input is known: an output may name a later input.
    for (Job& job : jobs) {
        if (!batch || !job.problem.empty()) {
            continue;
        }
        auto input = seen.find(filekey(job.output));
        auto other = outputs.find(pathkey(job.output));
        if (input != seen.end()) {
            const std::string output = quotedname(job.output);
            job.problem = input->second == job.input ? say(Message::outputisinput, {output})
                                                     : say(Message::outputisotherinput,
                                                           {output, quotedname(input->second)});
        } else if (other->second != job.input) {
            job.problem =
                say(Message::sameoutput, {quotedname(job.output), quotedname(other->second)});
        }
    }
    return jobs;
}
