// sonorm-cli: converts PCM WAV files to the canonical 44-byte-header layout. Parses the
// command line, plans the jobs and runs them.
#include "ConsoleIo.h"
#include "FileList.h"
#include "FileSystem.h"
#include "Interrupts.h"
#include "Messages.h"
#include "Options.h"
#include "OutputFile.h"
#include "Planner.h"
#include "QuotedName.h"
#include "ReportText.h"
#include "Reporter.h"
#include "Runner.h"
#include "StreamCopy.h"
#include "StringTexts.h"
#include "UserLanguage.h"
#include "Wildcard.h"

#include <algorithm>
#include <exception>

namespace {

// The start button's checks: two names, neither empty, not spelled the same (other spellings
// of one file are refused by the conversion); "- -" is a filter, standard input to output.
int checksingle(const Options& options) {
    const std::vector<std::string>& names = options.operands;
    if (names.size() != 2) {
        writeerr(usageerror(say(Message::expectedtwo)));
    } else if (names[0].empty() || names[1].empty()) {
        writeerr(tabletext(IDS_NEED_FILE_NAMES) + linebreak);
    } else if (names[0] == names[1] && names[0] != standardstream) {
        writeerr(tabletext(IDS_SAME_FILE_NAMES) + linebreak);
    } else if (names[1] == standardstream && stdoutisterminal()) {
        writeerr(say(Message::toolprefix, {say(Message::stdoutterminal)}) + linebreak);
    } else {
        return exitok;
    }
    return exitusage;
}

// An input - reads standard input, once, as a WAV file: not in place, not where it holds the
// file list, not from a terminal.
int checkstandardinput(const Options& options) {
    const auto& names = options.operands;
    const auto inputs = options.mode == Mode::single ? names.begin() + 1 : names.end();
    if (std::find(names.begin(), inputs, standardstream) == inputs) {
        return exitok;
    }
    if (options.mode == Mode::inplace) {
        writeerr(usageerror(say(Message::stdininplace)));
    } else if (options.filesfrom == standardstream) {
        writeerr(usageerror(say(Message::stdinholdslist)));
    } else if (stdinisterminal()) {
        writeerr(say(Message::toolprefix, {say(Message::stdinterminal)}) + linebreak);
    } else {
        return exitok;
    }
    return exitusage;
}

int runtool(int argc, const char* const* argv) {
    consoleinit();
    setlanguage(userlanguage());
    usesystemtexts(currentlanguage());
    catchinterrupts(OutputFile::removeall);
    Options options;
    if (int status = parseoptions(argc, argv, options); status != runoptions) {
        return status;
    }
    options.operands = expandwildcards(options.operands);
    if (std::error_code error;
        !options.filesfrom.empty() &&
        !readfilelist(options.filesfrom, options.nulseparated, options.operands, error)) {
        const std::string list = options.filesfrom == standardstream
                                     ? say(Message::standardinput)
                                     : quotedname(options.filesfrom);
        writeerr(say(Message::cannotreadlist, {list, errortext(error)}) + linebreak);
        return exitusage; // as a usage error: nothing was started
    }
    if (int status = options.mode == Mode::single ? checksingle(options) : exitok;
        status != exitok) {
        return status;
    }
    if (int status = checkstandardinput(options); status != exitok) {
        return status;
    }
    std::vector<Job> jobs;
    if (options.mode == Mode::single) {
        const std::string& input = options.operands[0];
        jobs.push_back(
            {input, options.operands[1], "", false, input == standardstream ? 0 : filesize(input)});
    } else {
        std::error_code error;
        if (options.mode == Mode::batch && !fs::is_directory(topath(options.outdir), error) &&
            !fs::create_directories(topath(options.outdir), error)) {
            writeerr(
                say(Message::cannotcreatefolder, {quotedname(options.outdir), errortext(error)}) +
                linebreak);
            return exitfailed;
        }
        jobs = planjobs(options);
    }
    StreamCopy stream;
    stream.take(jobs, options.mode == Mode::single);
    const Policy policy = policyfor(options);
    Reporter reporter(options, jobs);
    runjobs(
        jobs, workercount(options.jobs, jobs.size()),
        [&](const Job& job) {
            return runjob(job, policy, [&](std::uint64_t bytes) { reporter.advance(bytes); });
        },
        [&](const Job& job, const Outcome& outcome) { reporter.report(job, outcome); });
    return reporter.finish();
}

} // namespace

int main(int argc, char** argv) {
    try {
        return runtool(argc, argv);
    } catch (const std::exception& e) {
        writeerr(say(Message::toolprefix, {e.what()}) + linebreak);
        return exitfailed;
    }
}
