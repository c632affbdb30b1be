// Turns the operands of a batch into jobs: folders walked with -r (only *.wav, any letter
// case), outputs mapped under the output folder, and every name collision found before
// anything is written: two inputs that would share an output, an output that is one of the
// inputs, an in-place backup name that is one of the inputs, an input given twice.
#ifndef SONORM_CLI_BATCHPLANNER_H
#define SONORM_CLI_BATCHPLANNER_H

#include "FileJob.h"
#include "FileSystem.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

enum class PlanKind { batch, inplace, check };

struct PlanSettings {
    PlanKind kind = PlanKind::batch;
    std::string outdir; // batch
    bool recursive = false;
    std::string backupsuffix; // in place
};

class BatchPlanner {
public:
    explicit BatchPlanner(PlanSettings settings);
    // Jobs in operand order; within a walked folder in sorted name order.
    std::vector<PlannedJob> plan(const std::vector<std::string>& operands);

private:
    struct Input {
        std::string name;
        std::string relative; // output name relative to the output folder
        std::string problem;
        FileStat stat;
    };

    void addoperand(const std::string& operand);
    void walk(const std::string& folder, const std::string& relative);
    void mapbatch(std::vector<PlannedJob>& jobs) const;
    void mapinplace(std::vector<PlannedJob>& jobs) const;
    // Index of the first input that is the file name (same file or same path), or -1.
    long findinput(const std::string& name, const FileStat& stat) const;
    void indexinputs();

    PlanSettings settings;
    FileStat outdirstat;
    std::vector<Input> inputs;
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> byidentity;
    std::map<std::string, std::size_t> bypath;
};

// Whether name ends in ".wav", in any letter case.
bool iswavname(const std::string& name);

#endif
