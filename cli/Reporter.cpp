#include "Reporter.h"

#include "ConsoleIo.h"
#include "ReportText.h"
#include "WaveLayout.h"

#include <cstdio>
#include <nlohmann/json.hpp>

namespace {

std::string describe(const Inspection& info) {
    std::string text = std::string(info.formattag == wave::formatpcm
                                       ? "PCM"
                                       : "format " + std::to_string(info.formattag)) +
                       ", " + std::to_string(info.channels) + " channels, " +
                       std::to_string(info.bits) + " bits, " + std::to_string(info.rate) + " Hz, " +
                       std::to_string(info.samples) + " samples, " + std::to_string(info.datasize) +
                       " data bytes";
    std::string drops;
    for (const ChunkEntry& chunk : droppedchunks(info.chunks)) {
        drops +=
            (drops.empty() ? "" : ", ") + chunk.id + " (" + std::to_string(chunk.size) + " bytes)";
    }
    if (info.chunks.fmtextra != 0) {
        drops +=
            (drops.empty() ? "" : ", ") + std::to_string(info.chunks.fmtextra) + " extra fmt bytes";
    }
    if (info.chunks.trailing != 0) {
        drops +=
            (drops.empty() ? "" : ", ") + std::to_string(info.chunks.trailing) + " trailing bytes";
    }
    text += "; drops " + (drops.empty() ? std::string("nothing") : drops);
    if (info.canonical) {
        text += "; already canonical";
    }
    return text;
}

} // namespace

std::string checkline(const std::string& name, const JobOutcome& outcome) {
    if (outcome.status == JobStatus::failed || !outcome.inspection) {
        return name + ": fails: " + oneline(outcome.message);
    }
    return name + ": ok: " + describe(*outcome.inspection);
}

std::string checkjson(const std::string& name, const JobOutcome& outcome) {
    nlohmann::ordered_json object;
    object["file"] = utf8text(name);
    const bool ok = outcome.status != JobStatus::failed && outcome.inspection;
    object["ok"] = ok;
    if (outcome.inspection) {
        const Inspection& info = *outcome.inspection;
        if (!ok) {
            object["code"] = info.result.code;
            object["syserr"] = info.result.syserr;
        }
        if (ok) {
            object["canonical"] = info.canonical;
            object["format"] = info.formattag;
            object["channels"] = info.channels;
            object["bits"] = info.bits;
            object["rate"] = info.rate;
            object["samples"] = info.samples;
            object["datasize"] = info.datasize;
            object["datastart"] = info.datastart;
            object["filesize"] = info.filesize;
            nlohmann::ordered_json dropped = nlohmann::ordered_json::array();
            for (const ChunkEntry& chunk : droppedchunks(info.chunks)) {
                dropped.push_back(
                    {{"id", chunk.id}, {"offset", chunk.offset}, {"size", chunk.size}});
            }
            object["dropped"] = dropped;
            object["fmtextra"] = info.chunks.fmtextra;
            object["trailing"] = info.chunks.trailing;
        }
    }
    if (!ok) {
        object["report"] = utf8text(outcome.message);
    }
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

Reporter::Reporter(ReportStyle reportstyle, bool quietflag, Progress& display)
    : style(reportstyle), quiet(quietflag), progress(display) {}

void Reporter::errline(const std::string& text) {
    progress.clear();
    writeerr(text + linebreak);
}

void Reporter::outline(const std::string& text) {
    progress.clear();
    writeout(text + linebreak);
}

void Reporter::count(const JobOutcome& outcome) {
    switch (outcome.status) {
    case JobStatus::converted:
        ++converted;
        written += outcome.written;
        break;
    case JobStatus::unchanged:
        ++unchanged;
        break;
    case JobStatus::skipped:
        ++skipped;
        break;
    case JobStatus::failed:
        ++failed;
        break;
    }
}

void Reporter::report(const PlannedJob& job, const JobOutcome& outcome) {
    count(outcome);
    if (style == ReportStyle::check) {
        outline(checkline(job.input, outcome));
        return;
    }
    if (style == ReportStyle::json) {
        outline(checkjson(job.input, outcome));
        return;
    }
    if (outcome.status == JobStatus::failed || (outcome.status == JobStatus::skipped && !quiet)) {
        std::string prefix = outcome.status == JobStatus::skipped ? "skipped: " : "";
        errline(job.input + ": " + prefix + oneline(outcome.message));
    }
}

void Reporter::summary(double seconds) {
    if (quiet) {
        return;
    }
    char time[32];
    std::snprintf(time, sizeof time, "%.2f s", seconds);
    std::string text;
    if (style == ReportStyle::convert) {
        text = "sonorm-cli: " + std::to_string(converted) + " converted, " +
               std::to_string(failed) + " failed, " + std::to_string(skipped) + " skipped, " +
               std::to_string(unchanged) + " already canonical; " + std::to_string(written) +
               " bytes written in " + time;
    } else {
        text = "sonorm-cli: " + std::to_string(converted + unchanged) + " would convert (" +
               std::to_string(unchanged) + " already canonical), " + std::to_string(failed) +
               " would fail, " + std::to_string(skipped) + " skipped; " + time;
    }
    errline(text);
}
