#include "Reporter.h"

#include "ConsoleIo.h"
#include "FailureLine.h"
#include "FileSystem.h"
#include "Messages.h"
#include "QuotedName.h"
#include "ReportText.h"
#include "WaveLayout.h"

#include <cstdio>
#include <nlohmann/json.hpp>

namespace {

constexpr auto redrawinterval = std::chrono::milliseconds(200);
constexpr double kibibyte = 1024.0;

// Native text (names, system and string-table texts; the ANSI code page on Windows) as UTF-8.
std::string utf8text(const std::string& native) {
    return topath(native).u8string();
}

// Whether text is valid UTF-8, as the JSON writer checks it.
bool isutf8(const std::string& text) {
    try {
        nlohmann::json(text).dump();
        return true;
    } catch (const nlohmann::json::type_error&) {
        return false;
    }
}

std::vector<std::string> utf8texts(const std::vector<std::string>& native) {
    std::vector<std::string> out;
    for (const std::string& text : native) {
        out.push_back(utf8text(text));
    }
    return out;
}

std::size_t index(Status status) {
    return static_cast<std::size_t>(status);
}

// What --repair changes (or would change) to take a file, one text each.
std::vector<std::string> repairtexts(const WaveFacts& facts) {
    std::vector<std::string> texts;
    if (facts.repairs.datasize) {
        texts.push_back(say(Message::repaireddatasize, {std::to_string(facts.repairs.declaredsize),
                                                        std::to_string(facts.datasize)}));
    }
    if (facts.repairs.padbytes != 0) {
        texts.push_back(say(Message::repairedpads, {std::to_string(facts.repairs.padbytes)}));
    }
    if (facts.repairs.extensible) {
        texts.push_back(say(Message::repairedextensible));
    }
    return texts;
}

std::string repairline(const WaveFacts& facts) {
    std::string line;
    for (const std::string& text : repairtexts(facts)) {
        line += (line.empty() ? "" : say(Message::listseparator)) + text;
    }
    return line;
}

// A header that disagrees with its own format: the conversion copies it as it is.
std::vector<std::string> warningtexts(const WaveFacts& facts) {
    if (facts.alignagrees) {
        return {};
    }
    return {say(Message::alignmismatch,
                {std::to_string(facts.blockalign), std::to_string(facts.bytespersecond),
                 std::to_string(facts.frame),
                 std::to_string(std::uint64_t{facts.rate} * facts.frame)})};
}

std::string warningline(const WaveFacts& facts) {
    std::string line;
    for (const std::string& text : warningtexts(facts)) {
        line += say(Message::warningnote, {text});
    }
    return line;
}

std::string describe(const WaveFacts& facts) {
    std::string drops;
    auto add = [&](const std::string& piece) {
        drops += (drops.empty() ? "" : say(Message::listseparator)) + piece;
    };
    for (const ChunkEntry& chunk : facts.dropped) {
        add(say(Message::droppedchunk, {chunk.id, std::to_string(chunk.size)}));
    }
    if (facts.moredropped != 0) {
        add(say(Message::moredropped, {std::to_string(facts.moredropped)}));
    }
    if (facts.fmtextra != 0) {
        add(say(Message::extrafmtbytes, {std::to_string(facts.fmtextra)}));
    }
    if (facts.trailing != 0) {
        add(say(Message::trailingbytes, {std::to_string(facts.trailing)}));
    }
    std::string format = facts.formattag == wave::formatpcm
                             ? say(Message::formatpcm)
                             : say(Message::formatother, {std::to_string(facts.formattag)});
    return say(Message::describe, {format, std::to_string(facts.channels),
                                   std::to_string(facts.bits), std::to_string(facts.rate),
                                   std::to_string(facts.samples), std::to_string(facts.datasize),
                                   drops.empty() ? say(Message::dropsnothing) : drops}) +
           (facts.canonical ? say(Message::alreadycanonical) : "") +
           (facts.repairs.any() ? say(Message::willrepair, {repairline(facts)}) : "") +
           warningline(facts);
}

std::string formatbytes(std::uint64_t bytes) {
    const char* units[] = {"B", "KiB", "MiB", "GiB"};
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    for (; value >= kibibyte && unit + 1 < std::size(units); ++unit) {
        value /= kibibyte;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.*f %s",
                  unit == 0  ? 0
                  : unit < 3 ? 1
                             : 2,
                  value, units[unit]);
    return text;
}

// The --check line of one file and its JSON object (UTF-8), without the line break.
std::string checkline(const std::string& name, const Outcome& outcome) {
    switch (outcome.status) {
    case Status::failed:
        return say(Message::failsline, {name, oneline(outcome.message)}) +
               (outcome.wouldrepair ? say(Message::wouldrepair, {repairline(*outcome.wouldrepair)})
                                    : "");
    case Status::skipped:
        return say(Message::skippedline, {name, outcome.message});
    default:
        return say(Message::okline, {name, describe(*outcome.facts)});
    }
}

std::string checkjson(const std::string& name, const Outcome& outcome) {
    nlohmann::ordered_json object;
    object["file"] = utf8text(name);
    if (outcome.status == Status::skipped) {
        object["skipped"] = utf8text(outcome.message);
    } else if (outcome.status == Status::failed) {
        object["ok"] = false;
        object["code"] = outcome.result.code;
        object["syserr"] = outcome.result.syserr;
        object["report"] = utf8text(oneline(outcome.message));
        object["repairable"] = outcome.wouldrepair.has_value();
        if (outcome.wouldrepair) {
            object["repairs"] = utf8texts(repairtexts(*outcome.wouldrepair));
        }
    } else {
        const WaveFacts& facts = *outcome.facts;
        nlohmann::ordered_json dropped = nlohmann::ordered_json::array();
        for (const ChunkEntry& chunk : facts.dropped) {
            dropped.push_back({{"id", chunk.id}, {"offset", chunk.offset}, {"size", chunk.size}});
        }
        object = {{"file", object["file"]},
                  {"ok", true},
                  {"canonical", facts.canonical},
                  {"format", facts.formattag},
                  {"channels", facts.channels},
                  {"bits", facts.bits},
                  {"rate", facts.rate},
                  {"samples", facts.samples},
                  {"datasize", facts.datasize},
                  {"datastart", facts.datastart},
                  {"filesize", facts.filesize},
                  {"dropped", dropped},
                  {"moredropped", facts.moredropped},
                  {"fmtextra", facts.fmtextra},
                  {"trailing", facts.trailing},
                  {"repairs", utf8texts(repairtexts(facts))},
                  {"warnings", utf8texts(warningtexts(facts))}};
    }
    // A name the text cannot carry exactly: its bytes, so that a script can find the file.
    if (!isutf8(utf8text(name))) {
        object["file_bytes"] = std::vector<unsigned char>(name.begin(), name.end());
    }
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace

Reporter::Reporter(const Options& runoptions, const std::vector<Job>& jobs)
    : options(runoptions), files(jobs.size()), begin(std::chrono::steady_clock::now()),
      lastdraw(begin) {
    for (const Job& job : jobs) {
        totalbytes += job.size;
    }
    progress = !options.quiet && stderristerminal() &&
               (options.mode != Mode::single || totalbytes > bigfilebytes);
}

void Reporter::clearline() {
    if (shown != 0) {
        errfailed |= !writeerr("\r" + std::string(shown, ' ') + "\r");
        shown = 0;
    }
}

void Reporter::print(bool toout, const std::string& text) {
    clearline();
    const std::string line = text + linebreak;
    std::error_code error;
    if (!toout) {
        errfailed |= !writeerr(line);
    } else if (!writeoutdata(line.data(), line.size(), error) && !outerror) {
        outerror = error;
    }
}

// files done of all, bytes of all, rate; only when the last drawing is old enough.
void Reporter::draw() {
    auto now = std::chrono::steady_clock::now();
    if (!progress || now - lastdraw < redrawinterval) {
        return;
    }
    lastdraw = now;
    double seconds = std::chrono::duration<double>(now - begin).count();
    std::string text =
        files > 1 ? say(Message::progressfiles, {std::to_string(done), std::to_string(files)})
                  : std::string();
    text +=
        say(Message::progressbytes,
            {formatbytes(readbytes), formatbytes(totalbytes),
             formatbytes(static_cast<std::uint64_t>(static_cast<double>(readbytes) / seconds))});
    std::size_t length = text.size();
    errfailed |= !writeerr("\r" + text + std::string(shown > length ? shown - length : 0, ' '));
    shown = length;
}

void Reporter::advance(std::uint64_t bytes) {
    std::lock_guard<std::mutex> hold(lock);
    readbytes += bytes;
    draw();
}

void Reporter::report(const Job& job, const Outcome& outcome) {
    std::lock_guard<std::mutex> hold(lock);
    ++counts[index(outcome.status)];
    ++done;
    written += outcome.status == Status::failed ? 0 : outcome.written; // a failed output is gone
    if (options.mode == Mode::check) {
        print(true, options.json ? checkjson(job.input, outcome)
                                 : checkline(quotedname(job.input), outcome));
    } else if (outcome.status == Status::failed) {
        print(false,
              options.mode == Mode::single
                  ? failureline(job, outcome)
                  : say(Message::fileline, {quotedname(job.input), oneline(outcome.message)}));
    } else if (outcome.status == Status::skipped && !options.quiet) {
        print(false, say(Message::skippedline, {quotedname(job.input), outcome.message}));
    } else if (outcome.facts && outcome.facts->repairs.any() && !options.quiet) {
        print(false,
              say(Message::repairedline, {quotedname(job.input), repairline(*outcome.facts)}));
    }
    draw();
}

int Reporter::finish() {
    std::lock_guard<std::mutex> hold(lock);
    char time[32];
    std::snprintf(time, sizeof time, "%.2f",
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    auto count = [&](Status status) { return std::to_string(counts[index(status)]); };
    std::string text =
        say(options.mode == Mode::check ? Message::summarycheck : Message::summaryconvert,
            {count(Status::converted), count(Status::failed), count(Status::skipped),
             count(Status::unchanged), std::to_string(written), time});
    clearline();
    // A report or summary that did not go out is no success.
    if (outerror) {
        print(false, say(Message::toolprefix, {say(Message::stdoutfailed, {errortext(outerror)})}));
    }
    if (!options.quiet && options.mode != Mode::single) {
        print(false, text);
    }
    return counts[index(Status::failed)] != 0 || outerror || errfailed ? exitfailed : exitok;
}
