#include "StagedOutput.h"

#include "FileSystem.h"

#include <atomic>

namespace {
constexpr int maxnameattempts = 100;
std::atomic<unsigned> tempcounter{0};
} // namespace

StagedOutput::StagedOutput(std::string targetname, const FaultInjector* injector)
    : target(std::move(targetname)), faults(injector) {}

StagedOutput::~StagedOutput() {
    discard();
}

bool StagedOutput::injected(RewriteStep step) {
    if (faults != nullptr && faults->fails(step)) {
        lasterror = injectedfaulttext;
        return true;
    }
    return false;
}

bool StagedOutput::allowed(RewriteStep step) {
    return !injected(step);
}

bool StagedOutput::failsystem() {
    lasterror = fserrortext(fslasterror());
    return false;
}

bool StagedOutput::create(bool privatefile) {
    if (injected(RewriteStep::createtemp)) {
        return false;
    }
    std::string folder = fsdirname(target);
    std::string prefix = "." + fsbasename(target) + ".sonorm-" + std::to_string(fsprocessid());
    for (int attempt = 0; attempt < maxnameattempts; ++attempt) {
        std::string candidate =
            fsjoin(folder, prefix + "-" + std::to_string(tempcounter.fetch_add(1)) + ".tmp");
        if (fscreatenew(candidate, privatefile)) {
            temp = candidate;
            pending = true;
            return true;
        }
        if (fslasterror() != fserrexists()) {
            return failsystem();
        }
    }
    return failsystem();
}

bool StagedOutput::flush() {
    if (injected(RewriteStep::flush)) {
        return false;
    }
    if (!fsflush(temp)) {
        return failsystem();
    }
    durable = true;
    return true;
}

bool StagedOutput::commit() {
    if (injected(RewriteStep::rename)) {
        return false;
    }
    if (!fsreplace(temp, target, durable)) {
        return failsystem();
    }
    pending = false;
    return true;
}

void StagedOutput::discard() {
    if (pending) {
        fsremove(temp);
        pending = false;
    }
}
