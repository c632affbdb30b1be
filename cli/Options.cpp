#include "Options.h"

#include "ConsoleIo.h"
#include "Version.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace {

struct OptionText {
    const char* names;
    const char* value;
    const char* text;
};

constexpr OptionText optiontexts[] = {
#define SONORM_OPTION(names, value, text) {names, value, text},
#include "Options.def"
#undef SONORM_OPTION
};

const OptionText& textof(const std::string& names) {
    for (const OptionText& option : optiontexts) {
        if (names == option.names) {
            return option;
        }
    }
    throw std::logic_error("no text for the option " + names);
}

constexpr char synopsis[] =
    "usage: sonorm-cli INPUT OUTPUT\n"
    "       sonorm-cli -o DIR [-r] [-n] [--keep-times] [-j N] [-q] FILE...\n"
    "       sonorm-cli --in-place [--backup SUFFIX] [--split-links] [-r] [--keep-times] [-j N] "
    "[-q] FILE...\n"
    "       sonorm-cli --check [--json] [-r] [-j N] [-q] FILE...\n";

constexpr char description[] =
    "\nRewrites PCM WAV files (1 or 2 channels, 8 or 16 bits) in the canonical layout: a 44-byte\n"
    "header (RIFF, a 16-byte \"fmt \" chunk, \"data\") followed by the samples byte for byte;\n"
    "every other chunk is dropped. The single form converts INPUT into OUTPUT as the program's\n"
    "start button does and prints its report on failure. Batch and in-place outputs are written\n"
    "under a temporary name and renamed into place only when complete (in place: flushed to\n"
    "disk first); a file that fails is reported on one line and the others go on.\n";

constexpr char footer[] =
    "A run over many files ends with a summary on stderr. On a terminal, batches and single\n"
    "files over 100 MiB show a progress line on stderr. The Windows build expands * and ? in\n"
    "FILE operands itself.\n\n"
    "Exit status: 0 every file converted, skipped or already canonical; 1 a file failed (or\n"
    "would fail, with --check); 2 usage error, an empty name, or INPUT and OUTPUT spelled the\n"
    "same; 130, 143, 129 interrupted by SIGINT, SIGTERM, SIGHUP.";

// The option list shows each option's value name only: the exclusions speak for themselves
// when a command line breaks them.
class HelpFormat : public CLI::Formatter {
public:
    std::string make_option_opts(const CLI::Option* option) const override {
        return option->get_type_name().empty() ? "" : " " + option->get_type_name();
    }
};

// CLI11 writes "\n"; the streams are binary, so the platform's line break is put in here.
std::string withlinebreaks(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '\n' ? std::string(linebreak) : std::string(1, c);
    }
    return out;
}

std::string versiontext() {
    char text[1024];
    std::snprintf(text, sizeof text, SONORM_VERSION_FORMAT, SONORM_PRODUCT, SONORM_FILEVERSION,
                  SONORM_LEGAL);
    return text;
}

std::string positivenumber(const std::string& value) {
    bool digits = !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
    return digits && value.find_first_not_of('0') != std::string::npos
               ? std::string()
               : "needs a whole number of at least 1, not '" + value + "'";
}

} // namespace

std::string usageerror(const std::string& message) {
    return withlinebreaks("sonorm-cli: " + message + "\n" + synopsis +
                          "Try 'sonorm-cli --help' for more.\n");
}

ParseOutcome parseoptions(int argc, const char* const* argv) {
    ParseOutcome outcome;
    Options& o = outcome.options;
    CLI::App app{synopsis + std::string(description), "sonorm-cli"};
    app.footer(footer);
    app.formatter(std::make_shared<HelpFormat>());
    app.get_formatter()->column_width(22);
    auto flag = [&](const std::string& names, bool& value) {
        return app.add_flag(names, value, textof(names).text);
    };
    auto option = [&](const std::string& names, auto& value) {
        return app.add_option(names, value, textof(names).text)->type_name(textof(names).value);
    };
    app.set_help_flag("-h,--help", textof("-h,--help").text);
    app.set_version_flag("--version", versiontext(), textof("--version").text);
    bool inplace = false;
    bool check = false;
    CLI::Option* outdir = option("-o,--output-dir", o.outdir)->check([](const std::string& v) {
        return v.empty() ? "needs a folder name" : "";
    });
    CLI::Option* recursive = flag("-r,--recursive", o.recursive);
    CLI::Option* noclobber = flag("-n,--no-clobber", o.noclobber);
    CLI::Option* inplaceflag = flag("--in-place", inplace)->excludes(outdir);
    option("--backup", o.backup)->needs(inplaceflag)->check([](const std::string& v) {
        return v.empty() ? "needs a suffix that is not empty" : "";
    });
    flag("--split-links", o.splitlinks)->needs(inplaceflag);
    CLI::Option* checkflag = flag("--check", check)->excludes(outdir)->excludes(inplaceflag);
    flag("--json", o.json)->needs(checkflag);
    flag("--keep-times", o.keeptimes)->excludes(checkflag);
    noclobber->excludes(inplaceflag)->excludes(checkflag);
    option("-j,--jobs", o.jobs)->check(positivenumber);
    flag("-q,--quiet", o.quiet);
    app.add_option("FILE", o.operands, "Input files (the single form: INPUT OUTPUT).")
        ->type_name("");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        outcome.out = withlinebreaks(app.help());
        return outcome;
    } catch (const CLI::CallForVersion& e) {
        outcome.out = withlinebreaks(std::string(e.what()) + "\n");
        return outcome;
    } catch (const CLI::ParseError& e) {
        outcome.status = exitusage;
        outcome.err = usageerror(e.what());
        return outcome;
    }
    o.mode = !o.outdir.empty() ? Mode::batch
             : inplace         ? Mode::inplace
             : check           ? Mode::check
                               : Mode::single;
    if (o.mode == Mode::single && recursive->count() > 0) {
        outcome.status = exitusage;
        outcome.err = usageerror("-r walks folders for -o, --in-place or --check");
        return outcome;
    }
    if (o.mode != Mode::single && o.operands.empty()) {
        outcome.status = exitusage;
        outcome.err = usageerror("no input files");
        return outcome;
    }
    outcome.run = true;
    return outcome;
}
