#include "Planner.h"

#include "FileSystem.h"
#include "ReportText.h"
#include "StringTable.h"
#include "StringTexts.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace {

constexpr char wavextension[] = ".wav";

struct Input {
    Job job;
    std::string relative; // output name below the output folder
};

Input input(const std::string& name, const std::string& relative, const std::string& problem = "") {
    Job job;
    job.input = name;
    job.problem = problem;
    return {job, relative};
}

// The key of a file: its identity when it exists, else the spelling of its path.
std::string filekey(const std::string& name) {
    FileId id;
    return fileid(name, id) ? std::to_string(id.volume) + ":" + std::to_string(id.index)
                            : "path:" + pathkey(name);
}

class Walker {
public:
    Walker(const Options& options) : options(options) {
        if (options.mode == Mode::batch) {
            outdirkey = filekey(options.outdir);
        }
    }

    void add(const std::string& operand) {
        std::error_code error;
        if (operand.empty()) {
            inputs.push_back(input(operand, "", stringtableentry(IDS_NEED_FILE_NAMES)));
        } else if (!fs::is_directory(topath(operand), error)) {
            // A missing file is left to the conversion, which reports it as the program does.
            inputs.push_back(input(operand, nameof(topath(operand).filename())));
        } else if (options.recursive) {
            walk(operand, fs::path());
        } else {
            inputs.push_back(
                input(operand, "", "is a folder (give -r to convert the WAV files in it)"));
        }
    }

    std::vector<Input> inputs;

private:
    void walk(const std::string& folder, const fs::path& relative) {
        std::error_code error;
        std::vector<fs::directory_entry> entries;
        for (fs::directory_iterator it(topath(folder), error), end; !error && it != end;
             it.increment(error)) {
            entries.push_back(*it);
        }
        if (error) {
            inputs.push_back(input(folder, "", "cannot read the folder: " + errortext(error)));
            return;
        }
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            return nameof(a.path().filename()) < nameof(b.path().filename());
        });
        for (const fs::directory_entry& entry : entries) {
            std::string name = nameof(entry.path());
            fs::path below = relative / entry.path().filename();
            if (entry.is_directory(error)) {
                if (!entry.is_symlink(error) && filekey(name) != outdirkey) {
                    walk(name, below);
                }
            } else if (entry.exists(error) && iswavname(name)) {
                inputs.push_back(input(name, nameof(below)));
            }
        }
    }

    const Options& options;
    std::string outdirkey;
};

} // namespace

bool iswavname(const std::string& name) {
    const std::size_t length = sizeof wavextension - 1;
    return name.size() > length &&
           std::equal(name.end() - length, name.end(), wavextension, [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

std::vector<Job> planjobs(const Options& options) {
    Walker walker(options);
    for (const std::string& operand : options.operands) {
        walker.add(operand);
    }
    std::map<std::string, std::string> seen;    // input key -> first input of that file
    std::map<std::string, std::string> outputs; // output key -> first input written there
    std::vector<Job> jobs;
    for (Input& input : walker.inputs) {
        Job& job = input.job;
        std::error_code error;
        job.size = fs::file_size(topath(job.input), error);
        job.size = error ? 0 : job.size;
        if (!job.problem.empty()) {
            jobs.push_back(job);
            continue;
        }
        auto first = seen.emplace(filekey(job.input), job.input);
        if (!first.second) {
            job.problem = "given twice (as " + first.first->second + ")";
            job.skip = true;
        } else if (options.mode == Mode::inplace) {
            job.output = realname(job.input);
        } else if (options.mode == Mode::batch) {
            job.output = nameof(topath(options.outdir) / topath(input.relative));
            outputs.emplace(pathkey(job.output), job.input);
        }
        jobs.push_back(job);
    }
    // Outputs are checked once every input is known: an output may name a later input.
    for (Job& job : jobs) {
        if (options.mode != Mode::batch || !job.problem.empty()) {
            continue;
        }
        auto input = seen.find(filekey(job.output));
        auto other = outputs.find(pathkey(job.output));
        if (input != seen.end()) {
            job.problem = input->second == job.input
                              ? "the output would be the input itself: " + job.output
                              : "the output " + job.output + " is the input " + input->second;
        } else if (other->second != job.input) {
            job.problem = "same output " + job.output + " as " + other->second;
        }
    }
    return jobs;
}
