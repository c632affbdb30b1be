#include "Reporter.h"

#include "ConsoleIo.h"
#include "FileSystem.h"
#include "RepairText.h"
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

std::size_t index(Status status) {
    return static_cast<std::size_t>(status);
}

std::string describe(const WaveFacts& facts) {
    std::string text =
        (facts.formattag == wave::formatpcm ? std::string("PCM")
                                            : "format " + std::to_string(facts.formattag)) +
        ", " + std::to_string(facts.channels) + " channels, " + std::to_string(facts.bits) +
        " bits, " + std::to_string(facts.rate) + " Hz, " + std::to_string(facts.samples) +
        " samples, " + std::to_string(facts.datasize) + " data bytes; drops ";
    std::string drops;
    auto add = [&](const std::string& piece) { drops += (drops.empty() ? "" : ", ") + piece; };
    for (const ChunkEntry& chunk : facts.dropped) {
        add(chunk.id + " (" + std::to_string(chunk.size) + " bytes)");
    }
    if (facts.fmtextra != 0) {
        add(std::to_string(facts.fmtextra) + " extra fmt bytes");
    }
    if (facts.trailing != 0) {
        add(std::to_string(facts.trailing) + " trailing bytes");
    }
    return text + (drops.empty() ? "nothing" : drops) +
           (facts.canonical ? "; already canonical" : "") +
           (facts.repairs.any() ? willrepairlabel + repairline(facts.repairs, facts.datasize) : "");
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
        return name + ": fails: " + oneline(outcome.message) +
               (outcome.wouldrepair ? wouldrepairlabel + repairline(outcome.wouldrepair->repairs,
                                                                    outcome.wouldrepair->datasize)
                                    : "");
    case Status::skipped:
        return name + ": skipped: " + outcome.message;
    default:
        return name + ": ok: " + describe(*outcome.facts);
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
            object["repairs"] =
                repairtexts(outcome.wouldrepair->repairs, outcome.wouldrepair->datasize);
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
                  {"fmtextra", facts.fmtextra},
                  {"trailing", facts.trailing},
                  {"repairs", repairtexts(facts.repairs, facts.datasize)}};
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
        writeerr("\r" + std::string(shown, ' ') + "\r");
        shown = 0;
    }
}

void Reporter::print(bool toout, const std::string& text) {
    clearline();
    (toout ? writeout : writeerr)(text + linebreak);
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
        files > 1 ? std::to_string(done) + "/" + std::to_string(files) + " files, " : std::string();
    text += formatbytes(readbytes) + " of " + formatbytes(totalbytes) + ", " +
            formatbytes(static_cast<std::uint64_t>(static_cast<double>(readbytes) / seconds)) +
            "/s";
    std::size_t length = text.size();
    writeerr("\r" + text + std::string(shown > length ? shown - length : 0, ' '));
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
    written += outcome.written;
    if (options.mode == Mode::check) {
        print(true, options.json ? checkjson(job.input, outcome) : checkline(job.input, outcome));
    } else if (outcome.status == Status::failed) {
        print(false, options.mode == Mode::single ? outcome.message
                                                  : job.input + ": " + oneline(outcome.message));
    } else if (outcome.status == Status::skipped && !options.quiet) {
        print(false, job.input + ": skipped: " + outcome.message);
    } else if (outcome.facts && outcome.facts->repairs.any() && !options.quiet) {
        print(false, job.input + repairedlabel +
                         repairline(outcome.facts->repairs, outcome.facts->datasize));
    }
    draw();
}

int Reporter::finish() {
    std::lock_guard<std::mutex> hold(lock);
    char time[32];
    std::snprintf(time, sizeof time, "%.2f s",
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    const bool check = options.mode == Mode::check;
    auto count = [&](Status status, const char* what) {
        return std::to_string(counts[index(status)]) + " " + what;
    };
    std::string text =
        "sonorm-cli: " + count(Status::converted, check ? "would convert, " : "converted, ") +
        count(Status::failed, check ? "would fail, " : "failed, ") +
        count(Status::skipped, "skipped, ") + count(Status::unchanged, "already canonical; ") +
        (check ? "" : std::to_string(written) + " bytes written in ") + time;
    clearline();
    if (!options.quiet && options.mode != Mode::single) {
        print(false, text);
    }
    return counts[index(Status::failed)] != 0 ? exitfailed : exitok;
}
