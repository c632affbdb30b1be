// --in-place: each file is replaced by its canonical form without ever being at risk. The
// result is written beside it under a temporary name, flushed to disk and renamed over the
// original only after the conversion succeeded; on any failure the original stays as it was
// and the temporary file is removed. A file that already is canonical is not rewritten.
#ifndef SONORM_CLI_INPLACEREWRITER_H
#define SONORM_CLI_INPLACEREWRITER_H

#include "FileJob.h"
#include "RewriteFaults.h"

#include <string>

struct RewriteSettings {
    bool keeptimes = false;   // the rewritten file keeps its modification time
    std::string backupsuffix; // not empty: the original is kept as name + suffix
};

class InPlaceRewriter {
public:
    explicit InPlaceRewriter(RewriteSettings settings, const FaultInjector* faults = nullptr);
    JobOutcome run(const PlannedJob& job) const;

private:
    RewriteSettings settings;
    const FaultInjector* faults;
};

#endif
