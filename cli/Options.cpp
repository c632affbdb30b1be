#include "Options.h"

#include "ConsoleIo.h"
#include "Version.h"

#include <CLI/CLI.hpp>
#include <algorithm>
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
    return *std::find_if(std::begin(optiontexts), std::end(optiontexts),
                         [&](const OptionText& option) { return names == option.names; });
}

constexpr char synopsis[] =
    "usage: sonorm-cli INPUT OUTPUT [--repair]\n"
    "       sonorm-cli -o DIR [-r] [-n] [--repair] [--keep-times] [-j N] [-q] FILE...\n"
    "       sonorm-cli --in-place [--backup SUFFIX] [--split-links] [-r] [--repair] [--keep-times] "
    "[-j N] [-q] FILE...\n"
    "       sonorm-cli --check [--json] [-r] [--repair] [-j N] [-q] FILE...\n";

constexpr char description[] =
    "\nRewrites PCM WAV files (1 or 2 channels, 8 or 16 bits) in the canonical layout: a 44-byte\n"
    "header, then the samples byte for byte; every other chunk is dropped. See man sonorm-cli.\n";

constexpr char footer[] =
    "Exit status: 0 every file converted, skipped or already canonical; 1 a file failed (or\n"
    "would fail); 2 usage error, an empty name, or INPUT and OUTPUT spelled the same; 130, 143,\n"
    "129 interrupted by SIGINT, SIGTERM, SIGHUP.";

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

int parseoptions(int argc, const char* const* argv, Options& o) {
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
    flag("--repair", o.repair);
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
        o.mode = !o.outdir.empty() ? Mode::batch
                 : inplace         ? Mode::inplace
                 : check           ? Mode::check
                                   : Mode::single;
        if (o.mode == Mode::single && recursive->count() > 0) {
            throw CLI::ValidationError("-r walks folders only with -o, --in-place or --check");
        }
        if (o.mode != Mode::single && o.operands.empty()) {
            throw CLI::ValidationError("no input files");
        }
    } catch (const CLI::CallForHelp&) {
        writeout(withlinebreaks(app.help()));
        return exitok;
    } catch (const CLI::CallForVersion& e) {
        writeout(e.what() + std::string(linebreak));
        return exitok;
    } catch (const CLI::ParseError& e) {
        writeerr(usageerror(e.what()));
        return exitusage;
    }
    return runoptions;
}
