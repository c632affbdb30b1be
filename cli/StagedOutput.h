// A temporary file beside a target (same folder, so the final rename stays on one volume).
// The conversion writes into it; commit renames it over the target; anything else removes it.
#ifndef SONORM_CLI_STAGEDOUTPUT_H
#define SONORM_CLI_STAGEDOUTPUT_H

#include "RewriteFaults.h"

#include <string>

class StagedOutput {
public:
    StagedOutput(std::string target, const FaultInjector* faults);
    ~StagedOutput();
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    // Reserves a fresh temporary name (created exclusively; private: mode 0600).
    bool create(bool privatefile);
    // Writes the temporary file through to disk; a commit after it is written through too.
    bool flush();
    bool commit();
    void discard();
    const std::string& name() const { return temp; }
    // Text of the last failure: the system's or the injected one.
    const std::string& error() const { return lasterror; }
    // False, with the injected text as error(), when step is set to fail; for the steps that
    // run outside this class.
    bool allowed(RewriteStep step);
    // Keeps the system's text of the last error as error(); returns false.
    bool failsystem();

private:
    bool injected(RewriteStep step);

    std::string target;
    std::string temp;
    const FaultInjector* faults;
    std::string lasterror;
    bool pending = false;
    bool durable = false;
};

#endif
