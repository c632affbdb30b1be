#include "Options.h"

#include "ConsoleIo.h"
#include "Version.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace {

// Joins lines with the platform's line break.
std::string lines(std::initializer_list<const char*> texts) {
    std::string out;
    for (const char* text : texts) {
        out += text;
        out += linebreak;
    }
    return out;
}

ParseOutcome usageerror(const std::string& message) {
    ParseOutcome outcome;
    outcome.status = exitusage;
    outcome.err = "sonorm-cli: " + message + linebreak + usagetext();
    return outcome;
}

} // namespace

std::string usagetext() {
    return lines({"usage: sonorm-cli INPUT OUTPUT",
                  "       sonorm-cli -o DIR [-r] [-n] [--keep-times] [-j N] [-q] FILE...",
                  "       sonorm-cli --in-place [--backup SUFFIX] [-r] [--keep-times] [-j N] "
                  "[-q] FILE...",
                  "       sonorm-cli --check [--json] [-r] [-j N] [-q] FILE...",
                  "Try 'sonorm-cli --help' for more."});
}

std::string helptext() {
    return lines({
        "usage: sonorm-cli INPUT OUTPUT",
        "       sonorm-cli -o DIR [-r] [-n] [--keep-times] [-j N] [-q] FILE...",
        "       sonorm-cli --in-place [--backup SUFFIX] [-r] [--keep-times] [-j N] [-q] FILE...",
        "       sonorm-cli --check [--json] [-r] [-j N] [-q] FILE...",
        "",
        "Rewrites PCM WAV files (1 or 2 channels, 8 or 16 bits) in the canonical layout: a",
        "44-byte header (RIFF, a 16-byte \"fmt \" chunk, \"data\") followed by the samples byte",
        "for byte. Every other chunk (LIST, fact, ...) is dropped.",
        "",
        "Single file:  sonorm-cli INPUT OUTPUT",
        "  Converts INPUT into OUTPUT (an existing OUTPUT is replaced). Prints nothing on",
        "  success. On failure prints the program's report, e.g. \"...[1,7,0,0]\", on stderr.",
        "",
        "Batch:  -o, --output-dir DIR  FILE...",
        "  Converts each FILE into DIR under the same name (DIR is created when missing).",
        "  A failed file is reported on one line (its name, then the report) and the batch",
        "  goes on. Each output is written under a temporary name and renamed into place",
        "  only when complete. Two inputs with the same output, or an output that is one",
        "  of the inputs, are reported and not converted.",
        "  -r, --recursive     walk folders given as FILE and mirror their tree under DIR",
        "                      (only files ending in .wav, any letter case)",
        "  -n, --no-clobber    leave existing outputs alone (reported as skipped)",
        "",
        "In place:  --in-place FILE...",
        "  Replaces each FILE by its canonical form: written beside it under a temporary",
        "  name, flushed to disk and renamed over it only after a successful conversion.",
        "  On any failure the file stays untouched. Files already canonical are left as",
        "  they are. The file keeps its permissions.",
        "  --backup SUFFIX     keep each original as FILE + SUFFIX",
        "",
        "Check:  --check FILE...",
        "  Reads and validates only; writes nothing. Prints per file whether it would",
        "  convert, its format, channels, bits, rate, sample count and data size, the",
        "  chunks a conversion drops and whether it is already canonical.",
        "  --json              one JSON object per file and line instead",
        "",
        "Common options:",
        "  --keep-times        give each output the input's modification time",
        "  -j, --jobs N        convert N files at a time (default: number of cores);",
        "                      report lines still follow the input order",
        "  -q, --quiet         no summary, no skipped lines, no progress display",
        "  -h, --help          this text",
        "  --version           version and rights notice",
        "",
        "A batch ends with a summary on stderr (converted, failed, skipped, bytes, time).",
        "On a terminal, batches and single files over 100 MiB show a progress line on",
        "stderr. The Windows build expands * and ? in FILE operands itself.",
        "",
        "Exit status: 0 all files converted (or skipped, or already canonical), 1 a file",
        "failed (or would fail, with --check), 2 usage error, empty file name, or INPUT and",
        "OUTPUT spelled the same.",
        "",
        "Examples:",
        "  sonorm-cli take1.wav take1-clean.wav",
        "  sonorm-cli -r -o build/sfx assets/sfx",
        "  sonorm-cli --in-place --backup .orig --keep-times *.wav",
        "  sonorm-cli --check --json -r assets | jq 'select(.ok == false)'",
    });
}

std::string versiontext() {
    char buf[1024];
    std::snprintf(buf, sizeof buf, "%s version %s\n%s", SONORM_PRODUCT, SONORM_FILEVERSION,
                  SONORM_LEGAL);
    return buf;
}

ParseOutcome parseoptions(int argc, const char* const* argv) {
    ParseOutcome outcome;
    Options& o = outcome.options;
    bool help = false;
    bool version = false;
    bool inplace = false;
    bool check = false;

    CLI::App app{"sonorm-cli", "sonorm-cli"};
    app.set_help_flag();
    app.add_flag("-h,--help", help);
    app.add_flag("--version", version);
    CLI::Option* outdir = app.add_option("-o,--output-dir", o.outdir);
    CLI::Option* recursive = app.add_flag("-r,--recursive", o.recursive);
    CLI::Option* noclobber = app.add_flag("-n,--no-clobber", o.noclobber);
    app.add_flag("--in-place", inplace);
    CLI::Option* backup = app.add_option("--backup", o.backupsuffix);
    app.add_flag("--check", check);
    CLI::Option* json = app.add_flag("--json", o.json);
    CLI::Option* keeptimes = app.add_flag("--keep-times", o.keeptimes);
    CLI::Option* jobs = app.add_option("-j,--jobs", o.jobs);
    app.add_flag("-q,--quiet", o.quiet);
    app.add_option("operands", o.operands);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return usageerror(e.what());
    }
    if (help) {
        outcome.out = helptext();
        return outcome;
    }
    if (version) {
        outcome.out = versiontext() + linebreak;
        return outcome;
    }

    int modes = (outdir->count() > 0) + inplace + check;
    if (modes > 1) {
        return usageerror("-o, --in-place and --check exclude each other");
    }
    o.mode = outdir->count() > 0 ? Mode::batch
             : inplace           ? Mode::inplace
             : check             ? Mode::check
                                 : Mode::single;
    if (o.mode == Mode::batch && o.outdir.empty()) {
        return usageerror("-o needs a folder name");
    }
    if (backup->count() > 0 && (o.mode != Mode::inplace || o.backupsuffix.empty())) {
        return usageerror("--backup needs --in-place and a non-empty suffix");
    }
    if (json->count() > 0 && o.mode != Mode::check) {
        return usageerror("--json goes with --check");
    }
    if (recursive->count() > 0 && o.mode == Mode::single) {
        return usageerror("-r goes with -o, --in-place or --check");
    }
    if (noclobber->count() > 0 && (o.mode == Mode::inplace || o.mode == Mode::check)) {
        return usageerror("-n goes with -o or the single-file form");
    }
    if (keeptimes->count() > 0 && o.mode == Mode::check) {
        return usageerror("--check writes nothing: --keep-times does not apply");
    }
    if (jobs->count() > 0 && o.jobs == 0) {
        return usageerror("-j needs a number of at least 1");
    }
    if (o.mode != Mode::single && o.operands.empty()) {
        return usageerror("no input files");
    }
    outcome.run = true;
    return outcome;
}
