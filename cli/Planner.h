// Turns the operands of a run over many files into jobs, in operand order: folders walked with
// -r (files ending in .wav in any letter case, sorted by name; no symbolic link is followed,
// and the output folder is not walked), outputs mapped under the output folder (in place: onto the
// file behind any symbolic link), and every clash found before anything is written. An input given
// twice, by any name, is skipped the second time in every mode; two inputs with one output, or
// an output that is an input, fail.
#ifndef SONORM_CLI_PLANNER_H
#define SONORM_CLI_PLANNER_H

#include "Options.h"
#include "Pipeline.h"

#include <vector>

std::vector<Job> planjobs(const Options& options);

#endif
