#include "StreamCopy.h"

#include "Messages.h"
#include "QuotedName.h"
#include "ReportText.h"
#include "SpecialFile.h"

#include <vector>

namespace {

constexpr std::uint32_t copyblock = 1u << 20;

bool readsstream(const Job& job, bool single) {
    return job.problem.empty() &&
           (job.input == standardstream || (single && streamfile(job.input)));
}

} // namespace

void StreamCopy::take(std::vector<Job>& jobs, bool single) {
    for (Job& job : jobs) {
        if (readsstream(job, single)) {
            if (fill(job.input, job.problem)) {
                job.copy = file.get();
                job.size = size;
            }
            return;
        }
    }
}

bool StreamCopy::fill(const std::string& input, std::string& problem) {
    const std::string shown =
        input == standardstream ? say(Message::standardinput) : quotedname(input);
    std::error_code error;
    OwnedFile opened;
    if (input != standardstream && !openstream(input, opened, error)) {
        problem = say(Message::cannotreadstream, {shown, errortext(error)});
        return false;
    }
    const FileHandle from = input == standardstream ? standardinput() : opened.get();
    std::string folder;
    if (!createscratch(file, folder, error)) {
        problem = say(Message::cannotcopystream, {shown, quotedname(folder), errortext(error)});
        return false;
    }
    std::vector<std::uint8_t> buffer(copyblock);
    std::uint32_t got = 0;
    while (readstream(from, buffer.data(), copyblock, got, error) && got != 0) {
        if (!filewrite(file.get(), buffer.data(), got)) {
            error.assign(static_cast<int>(filelasterror()), std::system_category());
            problem = say(Message::cannotcopystream, {shown, quotedname(folder), errortext(error)});
            file.close(); // gone with its space: nothing is left behind
            return false;
        }
        size += got;
    }
    if (error) {
        problem = say(Message::cannotreadstream, {shown, errortext(error)});
        file.close();
        return false;
    }
    return true;
}
