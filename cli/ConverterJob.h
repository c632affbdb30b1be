// One file of a batch (-o DIR): converted into a temporary file beside its output, which is
// renamed onto the output only when the conversion succeeded. A failure never leaves a
// truncated output under the final name, nor destroys an older output.
#ifndef SONORM_CLI_CONVERTERJOB_H
#define SONORM_CLI_CONVERTERJOB_H

#include "FileJob.h"
#include "RewriteFaults.h"

struct ConvertSettings {
    bool noclobber = false; // an existing output is left alone (skipped)
    bool keeptimes = false; // the output gets the input's times
};

class ConverterJob {
public:
    explicit ConverterJob(ConvertSettings settings, const FaultInjector* faults = nullptr);
    JobOutcome run(const PlannedJob& job) const;

private:
    ConvertSettings settings;
    const FaultInjector* faults;
};

#endif
