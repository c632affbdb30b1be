#include "FailureLine.h"

#include "Codes.h"
#include "FileIo.h"
#include "Messages.h"
#include "QuotedName.h"
#include "ReportText.h"

#include <algorithm>

namespace {

// The writer's codes. Three of their words are also reader codes (seek, open, RIFF read), but
// those reader steps all come before the input is open; after it, only a seek back over a
// block the kernel could not move would share a word, and that is the output's failure too.
constexpr std::uint32_t writercodes[] = {
    codes::createfailed,     codes::writerifffailed, codes::writefmtfailed, codes::writedatafailed,
    codes::writeblockfailed, codes::outclosefailed,  codes::buffernomemory,
};

// The cause of a failure at a step on OUTPUT, or at one on INPUT; empty when the report says
// all there is.
std::string outputcause(const Result& result) {
    if (result.code != codes::createfailed) {
        return "";
    }
    switch (filefault(result.syserr)) {
    case FileFault::busy:
        return say(Message::causesameasinput);
    case FileFault::notfound:
        return say(Message::causenofolder);
    case FileFault::denied:
        return say(Message::causedenied);
    default:
        return say(
            Message::causecannotcreate,
            {errortext(std::error_code(static_cast<int>(result.syserr), std::system_category()))});
    }
}

// Only a platform failure carries a number; the end of the file is the one cause said here.
std::string inputcause(const Result& result) {
    if (filefault(result.syserr) != FileFault::endoffile) {
        return "";
    }
    return say(result.code == codes::chunkheaderfailed ? Message::causenochunk
                                                       : Message::causeendsearly);
}

} // namespace

std::string failureline(const Job& job, const Outcome& outcome) {
    const Result& result = outcome.result;
    if (result.ok()) {
        return oneline(outcome.message); // not the engine's: the text names what failed
    }
    // The facts are known once the input is open; the writer works only after that.
    const bool output = outcome.facts.has_value() &&
                        std::find(std::begin(writercodes), std::end(writercodes), result.code) !=
                            std::end(writercodes);
    const std::string name = quotedname(output ? job.output : job.input);
    const std::string cause = output ? outputcause(result) : inputcause(result);
    return cause.empty() ? say(Message::fileline, {name, oneline(outcome.message)})
                         : say(Message::causeline, {name, oneline(outcome.message), cause});
}
