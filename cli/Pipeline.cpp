#include "Pipeline.h"

#include "Codes.h"
#include "ConsoleIo.h"
#include "Descriptors.h"
#include "FileSystem.h"
#include "Messages.h"
#include "ReportText.h"
#include "SpecialFile.h"
#include "TempFile.h"
#include "WaveLayout.h"
#include "WaveWriter.h"

#include <vector>

namespace {

Outcome finished(Status status, std::string message = std::string()) {
    Outcome outcome;
    outcome.status = status;
    outcome.message = std::move(message);
    return outcome;
}

// A failure caused by error; one for lack of descriptors may run again (see Runner.h).
Outcome failedby(const std::error_code& error, std::string message) {
    Outcome outcome = finished(Status::failed, std::move(message));
    outcome.nodescriptors = outofdescriptors(static_cast<std::uint32_t>(error.value()));
    return outcome;
}

Outcome failed(Message message, const std::string& name, const std::error_code& error) {
    return failedby(error, say(message, {name, errortext(error)}));
}

// Reads the rest of the data in the writer's blocks, so that a file whose data ends early
// fails where a conversion would, and hands each block to sink (if any) until it refuses one.
void readdata(Result& result, WaveSource& source, std::uint32_t remaining,
              const std::function<bool(const std::uint8_t*, std::uint32_t)>& sink = nullptr) {
    std::vector<std::uint8_t> buffer(WaveWriter::blocksize);
    while (remaining != 0) {
        std::uint32_t block = std::min(remaining, WaveWriter::blocksize);
        if (!source.read(result, buffer.data(), block) || (sink && !sink(buffer.data(), block))) {
            return;
        }
        remaining -= block;
    }
}

// The canonical file onto standard output. A failure while streaming leaves what went out;
// the caller reports it.
void writestdout(Result& result, WaveSource& source, std::error_code& error) {
    std::uint8_t header[wave::headersize];
    if (WaveWriter().composeheader(source, header) && writeoutdata(header, sizeof header, error)) {
        readdata(result, source, source.datachunksize(),
                 [&](const std::uint8_t* data, std::uint32_t count) {
                     return writeoutdata(data, count, error);
                 });
    }
}

// The original under a second name. A hard link is made only when the name is free; where the
// file system has none, a copy, also only under a free name.
bool keepbackup(const std::string& original, const std::string& backup, std::error_code& error) {
    if (fs::exists(topath(backup), error) || error) {
        error = error ? error : std::make_error_code(std::errc::file_exists);
        return false;
    }
    fs::create_hard_link(topath(original), topath(backup), error);
    if (error && error != std::errc::file_exists) {
        error.clear();
        fs::copy_file(topath(original), topath(backup), fs::copy_options::none, error);
        if (!error && !flushfile(backup, error)) {
            removefile(backup);
        }
    }
    return !error;
}

Outcome handle(const Job& job, const Policy& policy,
               const std::function<void(std::uint64_t)>& progress);

} // namespace

Policy policyfor(const Options& options) {
    Policy policy;
    policy.write = options.mode != Mode::check;
    policy.staged = options.mode == Mode::batch || options.mode == Mode::inplace;
    policy.durable = policy.keepattributes = policy.skipcanonical = options.mode == Mode::inplace;
    policy.noclobber = options.noclobber;
    policy.keeptimes = options.keeptimes;
    policy.splitlinks = options.splitlinks;
    policy.backup = options.backup;
    policy.repair = options.repair;
    return policy;
}

// A strict check of a file the engine refuses reads it once more as --repair would.
Outcome runjob(const Job& job, const Policy& policy,
               const std::function<void(std::uint64_t)>& progress) {
    Outcome outcome = handle(job, policy, progress);
    if (codes::kindof(outcome.result.code) == codes::kindlasterror &&
        outofdescriptors(outcome.result.syserr)) {
        outcome.nodescriptors = true;
        return outcome; // it runs again, or fails as it is
    }
    if (!policy.write && !policy.repair && outcome.result.code != 0) {
        Policy lenient = policy;
        lenient.repair = true;
        Outcome repaired = handle(job, lenient, [](std::uint64_t) {});
        if (repaired.status != Status::failed) {
            outcome.wouldrepair = repaired.facts;
        }
    }
    return outcome;
}

namespace {

Outcome handle(const Job& job, const Policy& policy,
               const std::function<void(std::uint64_t)>& progress) {
    if (!job.problem.empty()) {
        return finished(job.skip ? Status::skipped : Status::failed, job.problem);
    }
    if (std::string special = specialfile(job.input); !special.empty()) {
        return finished(Status::failed, special); // named: refused (a walk skips it)
    }
    std::error_code error;
    const bool tostdout = policy.write && !policy.staged && job.output == standardstream;
    if (policy.write && policy.noclobber && !tostdout && fs::exists(topath(job.output), error)) {
        return finished(Status::skipped, say(Message::outputexists, {job.output}));
    }
    FileId id;
    if (policy.keepattributes && !policy.splitlinks && fileid(job.output, id) && id.links > 1) {
        return finished(Status::failed, say(Message::otherlinks, {std::to_string(id.links - 1)}));
    }
    Outcome outcome;
    TempFile temp;
    WaveFacts facts([&](std::uint64_t bytes) {
        temp.opened(); // data flows only after the writer has opened its output
        progress(bytes);
    });
    WaveSource source;
    source.watch(&facts);
    source.allowrepairs(policy.repair);
    if (!source.open(outcome.result, job.input.c_str())) {
        outcome.message = reporttext(outcome.result);
        return outcome;
    }
    facts.settle(source, filesize(job.input));
    outcome.facts = facts;
    outcome.status = facts.canonical ? Status::unchanged : Status::converted;
    bool leave = !policy.write || (policy.skipcanonical && facts.canonical);
    // Data that ends early fails here, before anything is written where nothing can be taken
    // back; a check finds the failure the same way.
    if ((!policy.write || tostdout) && facts.datastart + facts.datasize > facts.filesize) {
        readdata(outcome.result, source, facts.datasize);
    }
    if (!leave && tostdout) {
        if (outcome.result.ok()) {
            writestdout(outcome.result, source, error);
            outcome.written = wave::headersize + std::uint64_t{facts.datasize};
        }
        leave = true; // nothing more goes to a stream: no file, no times, no rename
    }
    std::string target = job.output;
    if (!leave && policy.staged) {
        fs::path folder = topath(job.output).parent_path();
        if ((!folder.empty() && !fs::is_directory(folder, error) &&
             !fs::create_directories(folder, error)) ||
            !temp.create(job.output, policy.keepattributes, error)) {
            source.close(outcome.result);
            return failed(Message::cannotcreatetemp, job.output, error);
        }
        target = temp.name();
    }
    if (!leave) {
        WaveWriter().write(outcome.result, source, target.c_str());
        temp.opened();
        outcome.written = wave::headersize + std::uint64_t{facts.datasize};
    }
    source.close(outcome.result);
    if (tostdout && error) {
        return finished(Status::failed, say(Message::stdoutfailed, {errortext(error)}));
    }
    if (!outcome.result.ok()) {
        outcome.status = Status::failed;
        outcome.message = reporttext(outcome.result);
        return outcome;
    }
    if (leave) {
        return outcome;
    }
    if (policy.durable && !flushfile(target, error)) {
        return failedby(error, say(Message::cannotflush, {errortext(error)}));
    }
    if (policy.keepattributes && !copyattributes(job.output, target, error)) {
        return failed(Message::cannotkeepattributes, job.output, error);
    }
    if (policy.keeptimes && !copytimes(job.input, target, error)) {
        return failed(Message::cannotsettimes, job.output, error);
    }
    const std::string backup = policy.backup.empty() ? "" : job.output + policy.backup;
    if (!backup.empty() && !keepbackup(job.output, backup, error)) {
        return failed(Message::cannotkeepbackup, backup, error);
    }
    if (policy.staged && !temp.commit(job.output, policy.durable, error)) {
        if (!backup.empty()) {
            removefile(backup); // a second name of the untouched original, made just now
        }
        return failed(Message::cannotreplace, job.output, error);
    }
    return outcome;
}

} // namespace
