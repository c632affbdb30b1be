#include "BatchPlanner.h"

#include "StringSource.h"
#include "StringTexts.h"

#include <cctype>

namespace {
constexpr const char wavextension[] = ".wav";
constexpr std::size_t wavextensionlength = sizeof wavextension - 1;
} // namespace

bool iswavname(const std::string& name) {
    if (name.size() <= wavextensionlength) {
        return false;
    }
    std::size_t start = name.size() - wavextensionlength;
    for (std::size_t i = 0; i < wavextensionlength; ++i) {
        if (std::tolower(static_cast<unsigned char>(name[start + i])) != wavextension[i]) {
            return false;
        }
    }
    return true;
}

BatchPlanner::BatchPlanner(PlanSettings plansettings) : settings(std::move(plansettings)) {}

std::vector<PlannedJob> BatchPlanner::plan(const std::vector<std::string>& operands) {
    inputs.clear();
    if (!settings.outdir.empty()) {
        fsstat(settings.outdir, outdirstat);
    }
    for (const std::string& operand : operands) {
        addoperand(operand);
    }
    indexinputs();
    std::vector<PlannedJob> jobs;
    for (const Input& input : inputs) {
        PlannedJob job;
        job.input = input.name;
        job.problem = input.problem;
        job.size = input.stat.size;
        jobs.push_back(job);
    }
    if (settings.kind == PlanKind::batch) {
        mapbatch(jobs);
    } else if (settings.kind == PlanKind::inplace) {
        mapinplace(jobs);
    }
    return jobs;
}

void BatchPlanner::addoperand(const std::string& operand) {
    Input input;
    input.name = operand;
    if (operand.empty()) {
        input.problem = stringtextof(IDS_NEED_FILE_NAMES);
        inputs.push_back(input);
        return;
    }
    fsstat(operand, input.stat);
    if (input.stat.isdir) {
        if (settings.recursive) {
            walk(operand, std::string());
            return;
        }
        input.problem = "is a folder (give -r to convert the WAV files in it)";
    }
    // A missing file is left to the conversion, which reports it as the program does.
    input.relative = fsbasename(operand);
    inputs.push_back(input);
}

void BatchPlanner::walk(const std::string& folder, const std::string& relative) {
    std::vector<std::string> names;
    if (!fslistdir(folder, names)) {
        Input input;
        input.name = folder;
        input.problem = "cannot read the folder: " + fserrortext(fslasterror());
        inputs.push_back(input);
        return;
    }
    for (const std::string& name : names) {
        std::string path = fsjoin(folder, name);
        Input input;
        input.name = path;
        input.relative = fsjoin(relative, name);
        if (!fsstat(path, input.stat)) {
            continue; // a dangling link or an entry that vanished
        }
        if (input.stat.isdir) {
            // Linked folders are not followed (no loops); the output folder is not an input.
            FileStat own;
            fsstat(path, own, false);
            if (!own.islink && !samefile(input.stat, outdirstat)) {
                walk(path, input.relative);
            }
            continue;
        }
        if (iswavname(name)) {
            inputs.push_back(input);
        }
    }
}

void BatchPlanner::indexinputs() {
    byidentity.clear();
    bypath.clear();
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const Input& input = inputs[i];
        if (input.name.empty()) {
            continue;
        }
        if (input.stat.exists) {
            byidentity.emplace(std::make_pair(input.stat.volume, input.stat.index), i);
        }
        bypath.emplace(fspathkey(input.name), i);
    }
}

long BatchPlanner::findinput(const std::string& name, const FileStat& stat) const {
    long found = -1;
    if (stat.exists) {
        auto same = byidentity.find(std::make_pair(stat.volume, stat.index));
        if (same != byidentity.end()) {
            found = static_cast<long>(same->second);
        }
    }
    auto path = bypath.find(fspathkey(name));
    if (path != bypath.end() && (found < 0 || static_cast<long>(path->second) < found)) {
        found = static_cast<long>(path->second);
    }
    return found;
}

void BatchPlanner::mapbatch(std::vector<PlannedJob>& jobs) const {
    std::map<std::string, std::size_t> outputs; // output path key -> first job
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        PlannedJob& job = jobs[i];
        job.output = fsjoin(settings.outdir, inputs[i].relative);
        if (!job.problem.empty()) {
            continue;
        }
        FileStat outstat;
        fsstat(job.output, outstat);
        long clash = findinput(job.output, outstat);
        if (clash == static_cast<long>(i)) {
            job.problem = "the output would be the input itself: " + job.output;
            continue;
        }
        if (clash >= 0) {
            job.problem = "the output " + job.output + " is the input " +
                          inputs[static_cast<std::size_t>(clash)].name;
            continue;
        }
        std::string key = fspathkey(job.output);
        auto first = outputs.find(key);
        if (first != outputs.end()) {
            job.problem = "same output " + job.output + " as " + jobs[first->second].input;
            continue;
        }
        outputs.emplace(key, i);
    }
}

void BatchPlanner::mapinplace(std::vector<PlannedJob>& jobs) const {
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        PlannedJob& job = jobs[i];
        job.output = job.input;
        if (!job.problem.empty()) {
            continue;
        }
        long first = findinput(job.input, inputs[i].stat);
        if (first >= 0 && first < static_cast<long>(i)) {
            job.problem = "given twice (as " + inputs[static_cast<std::size_t>(first)].name + ")";
            job.skip = true;
            continue;
        }
        if (!settings.backupsuffix.empty()) {
            std::string backup = job.input + settings.backupsuffix;
            FileStat backupstat;
            fsstat(backup, backupstat);
            long clash = findinput(backup, backupstat);
            if (clash >= 0) {
                job.problem = "the backup " + backup + " would replace the input " +
                              inputs[static_cast<std::size_t>(clash)].name;
            }
        }
    }
}
