// Fault-injection seam for the steps that replace a file safely: a test makes one step fail
// and checks that the original survives and no temporary file is left.
#ifndef SONORM_CLI_REWRITEFAULTS_H
#define SONORM_CLI_REWRITEFAULTS_H

enum class RewriteStep { createtemp, convert, flush, backup, rename };

class FaultInjector {
public:
    virtual ~FaultInjector() = default;
    // True makes step fail as if the platform had refused it.
    virtual bool fails(RewriteStep step) const = 0;
};

constexpr const char* injectedfaulttext = "injected fault";

#endif
