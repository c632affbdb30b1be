#include "Pipeline.h"

#include "Codes.h"
#include "ConsoleIo.h"
#include "Descriptors.h"
#include "FileSystem.h"
#include "Messages.h"
#include "OutputFile.h"
#include "QuotedName.h"
#include "ReportText.h"
#include "SpecialFile.h"
#include "WaveLayout.h"
#include "WaveWriter.h"

#include <optional>
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

// The canonical file onto standard output, the data in the writer's blocks. A failure while
// streaming leaves what went out; the caller reports it.
void writestdout(Result& result, WaveSource& source, std::error_code& error) {
    std::uint8_t header[wave::headersize];
    if (!WaveWriter().composeheader(source, header) ||
        !writeoutdata(header, sizeof header, error)) {
        return;
    }
    std::vector<std::uint8_t> buffer(WaveWriter::blocksize);
    for (std::uint32_t remaining = source.datachunksize(), block; remaining != 0;
         remaining -= block) {
        block = std::min(remaining, WaveWriter::blocksize);
        if (!source.read(result, buffer.data(), block) ||
            !writeoutdata(buffer.data(), block, error)) {
            return;
        }
    }
}

// The input by its name, or a stream's copy once more.
bool openinput(Result& result, const Job& job, WaveSource& source) {
    if (job.copy == nofile) {
        return source.open(result, job.input.c_str());
    }
    const FileHandle again = duplicatefile(job.copy);
    return again != nofile ? source.open(result, again)
                           : result.fail(codes::openfailed, filelasterror());
}

// The file a staged output replaces, whose owner, permissions and attributes it keeps and
// which must not change meanwhile: the input in place (open in the reader), an existing OUTPUT
// in the single form (opened here, and closed before the rename).
struct Replaced {
    bool kept = false;
    FileHandle file = nofile;
    FileInfo info;
    OwnedFile opened;
    void release() {
        opened.close();
        file = nofile;
    }
};

// The single form stages an OUTPUT that is absent, or a regular file without other hard links
// that the user may read and write (then opened, a link resolved in target); anything else is
// written directly, as the program writes it.
bool stageable(const std::string& output, std::string& target, Replaced& replaced) {
    FileInfo there;
    if (!fileinfo(output, there)) {
        return true;
    }
    if (!there.regular || there.links > 1) {
        return false;
    }
    target = realname(output);
    replaced.kept = openreadwrite(target, replaced.opened);
    replaced.file = replaced.opened.get();
    return replaced.kept && fileinfo(replaced.file, replaced.info) && replaced.info.samefile(there);
}

std::error_code lasterror() {
    return std::error_code(static_cast<int>(filelasterror()), std::system_category());
}

bool copyfile(FileHandle from, FileHandle to, std::error_code& error) {
    std::vector<std::uint8_t> buffer(WaveWriter::blocksize);
    const auto size = static_cast<std::uint32_t>(buffer.size());
    std::uint32_t got = size;
    bool ok = fileseek(from, 0, SeekOrigin::begin);
    while (ok && got == size) {
        ok = fileread(from, buffer.data(), size, got) && filewrite(to, buffer.data(), got);
    }
    error = ok ? error : lasterror();
    return ok;
}

// The original under a second name beside it: a link to the open input, else (a file system
// without links) a copy through the descriptors with its owner, permissions and times, flushed.
// Never over an existing name.
bool keepbackup(const Folder& folder, FileHandle original, const FileInfo& read,
                const std::string& backup, std::error_code& error) {
    if (linkfile(folder, original, backup, error)) {
        return true;
    }
    OwnedFile copy;
    if (error == std::errc::file_exists || !createnamed(folder, backup, true, *copy.put(), error)) {
        return false;
    }
    bool done = copyfile(original, copy.get(), error) && keepowner(read, copy.get(), error) &&
                keepattributes(original, read, copy.get(), error) &&
                keeptimes(read, copy.get(), error) && flushfile(copy.get(), error);
    if (!copy.close() && done) {
        done = false;
        error = lasterror();
    }
    if (!done) {
        removefile(folder, backup);
    }
    return done;
}

Outcome writefile(const Job& job, const Policy& policy, WaveSource& source, const FileInfo& read,
                  Outcome outcome);

Outcome handle(const Job& job, const Policy& policy,
               const std::function<void(std::uint64_t)>& progress);

} // namespace

Policy policyfor(const Options& options) {
    Policy policy;
    policy.write = options.mode != Mode::check;
    policy.durable = options.mode == Mode::inplace || options.mode == Mode::single;
    policy.replace = options.mode == Mode::inplace  ? Replace::input
                     : options.mode == Mode::single ? Replace::output
                                                    : Replace::any;
    policy.skipcanonical = options.mode == Mode::inplace;
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
    // Named: refused (a walk skips it). A stream named as INPUT was read into its copy.
    if (std::string special =
            job.walked || job.copy != nofile ? std::string() : specialfile(job.input);
        !special.empty()) {
        return finished(Status::failed, special);
    }
    std::error_code error;
    const bool tostdout =
        policy.write && policy.replace == Replace::output && job.output == standardstream;
    if (policy.write && policy.noclobber && fs::exists(topath(job.output), error)) {
        return finished(Status::skipped, say(Message::outputexists, {quotedname(job.output)}));
    }
    Outcome outcome;
    WaveFacts facts(progress);
    WaveSource source;
    source.watch(&facts);
    source.allowrepairs(policy.repair);
    if (!openinput(outcome.result, job, source)) {
        outcome.message = reporttext(outcome.result);
        return outcome;
    }
    FileInfo read;
    fileinfo(source.handle(), read);
    if (policy.replace == Replace::input && !policy.splitlinks && read.links > 1) {
        Result ignored;
        source.close(ignored);
        return finished(Status::failed, say(Message::otherlinks, {std::to_string(read.links - 1)}));
    }
    facts.settle(source, read.size);
    outcome.facts = facts;
    outcome.status = facts.canonical ? Status::unchanged : Status::converted;
    bool leave = !policy.write || (policy.skipcanonical && facts.canonical);
    // Data that ends early fails here, before anything is written where nothing can be taken
    // back, and a check finds it, from the sizes alone: as the short read of a conversion.
    if ((!policy.write || tostdout) && facts.datastart + facts.datasize > facts.filesize) {
        markendoffile();
        outcome.result.fail(codes::readfailed, filelasterror());
    }
    if (!leave && !tostdout) {
        return writefile(job, policy, source, read, std::move(outcome));
    }
    if (!leave && outcome.result.ok()) {
        writestdout(outcome.result, source, error);
        outcome.written = wave::headersize + std::uint64_t{facts.datasize};
    }
    source.close(outcome.result);
    if (tostdout && error) {
        return finished(Status::failed, say(Message::stdoutfailed, {errortext(error)}));
    }
    if (!outcome.result.ok()) {
        outcome.status = Status::failed;
        outcome.message = reporttext(outcome.result);
    }
    return outcome;
}

// Staged, the output is made beside its place and renamed over it only when complete: given
// the owner first (refused before anything is written when it cannot be kept), then after the
// conversion the permissions and attributes of the file it replaces, the input's times, the
// flush and the backup, while the input is still open. Written directly where the single form
// cannot stage. Closes the source.
Outcome writefile(const Job& job, const Policy& policy, WaveSource& source, const FileInfo& read,
                  Outcome outcome) {
    std::error_code error;
    std::string target = job.output, failure, backup;
    Replaced replaced;
    std::optional<OutputFile> temp;
    const bool single = policy.replace == Replace::output;
    if (single && source.holds(job.output.c_str())) {
        outcome.result.fail(codes::createfailed, filelasterror()); // as the direct create would
    } else if (!single || stageable(job.output, target, replaced)) {
        if (policy.replace == Replace::input) {
            replaced.kept = true;
            replaced.file = source.handle();
            replaced.info = read;
        }
        temp.emplace();
        if (!temp->create(target, replaced.kept, policy.replace == Replace::any, error)) {
            failure = say(Message::cannotcreatetemp, {quotedname(job.output), errortext(error)});
        } else if (replaced.kept && !keepowner(replaced.info, temp->handle(), error)) {
            failure =
                say(Message::cannotkeepattributes, {quotedname(job.output), errortext(error)});
        }
    }
    if (single && (!temp || !failure.empty())) { // written directly: nothing else keeps it
        failure.clear();
        temp.reset();
        replaced.release();
        replaced.kept = false;
    }
    if (outcome.result.ok() && failure.empty()) {
        if (temp) {
            WaveWriter().write(outcome.result, source, temp->handle());
            if (outcome.result.ok() && temp->folder().latefailures() &&
                !settlefile(temp->handle(), error)) {
                outcome.result.fail(codes::outclosefailed,
                                    static_cast<std::uint32_t>(error.value()));
            }
        } else {
            WaveWriter().write(outcome.result, source, target.c_str());
        }
        outcome.written = wave::headersize + std::uint64_t{outcome.facts->datasize};
    }
    if (temp && outcome.result.ok() && failure.empty()) {
        if (replaced.kept && !keepattributes(replaced.file, replaced.info, temp->handle(), error)) {
            failure =
                say(Message::cannotkeepattributes, {quotedname(job.output), errortext(error)});
        } else if (policy.keeptimes && !keeptimes(read, temp->handle(), error)) {
            failure = say(Message::cannotsettimes, {quotedname(job.output), errortext(error)});
        } else if (policy.durable && !flushfile(temp->handle(), error)) {
            failure = say(Message::cannotflush, {errortext(error)});
        } else if (!policy.backup.empty()) {
            backup = nameof(topath(target).filename()) + policy.backup;
            if (!keepbackup(temp->folder(), source.handle(), read, backup, error)) {
                failure = say(Message::cannotkeepbackup,
                              {quotedname(job.output + policy.backup), errortext(error)});
                backup.clear();
            }
        }
    }
    replaced.release();
    source.close(outcome.result);
    if (!outcome.result.ok()) {
        outcome.status = Status::failed;
        outcome.message = reporttext(outcome.result);
    } else if (!failure.empty()) {
        outcome = failedby(error, failure);
    } else if (temp) {
        OutputFile::Commit done =
            temp->commit(replaced.kept ? &replaced.info : nullptr, policy.durable, error);
        if (done != OutputFile::Commit::done) {
            outcome = failedby(error, done == OutputFile::Commit::changed
                                          ? say(Message::changedmeanwhile)
                                          : say(Message::cannotreplace,
                                                {quotedname(job.output), errortext(error)}));
        }
    }
    if (!backup.empty() && outcome.status == Status::failed) {
        // A second name of the original, made just now.
        removefile(temp->folder(), backup);
    }
    return outcome;
}

} // namespace
