// The single form's line for a failed conversion: the file the failing step worked on, the
// report, and after it, where the code and the system's number tell it, what happened in the
// user's terms ("out.wav: The file is not open [1,1,1,16]: OUTPUT is the same file as INPUT").
#ifndef SONORM_CLI_FAILURELINE_H
#define SONORM_CLI_FAILURELINE_H

#include "Pipeline.h"

#include <string>

std::string failureline(const Job& job, const Outcome& outcome);

#endif
