#include "Options.h"

#include "ConsoleIo.h"
#include "Messages.h"
#include "Version.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

struct OptionText {
    const char* names;
    const char* value;
    const char* english;
    const char* japanese;
};

constexpr OptionText optiontexts[] = {
#define SONORM_OPTION(names, value, english, japanese) {names, value, english, japanese},
#include "Options.def"
#undef SONORM_OPTION
};

const OptionText& optionof(const std::string& names) {
    return *std::find_if(std::begin(optiontexts), std::end(optiontexts),
                         [&](const OptionText& option) { return names == option.names; });
}

std::string textof(const std::string& names) {
    const OptionText& option = optionof(names);
    return currentlanguage() == Language::japanese ? fromutf8(option.japanese) : option.english;
}

// The forms of the command line; the option names are the same in every language.
constexpr char forms[] =
    " sonorm-cli INPUT OUTPUT [--repair]\n"
    "       sonorm-cli -o DIR [-r] [-n] [--repair] [--keep-times] [-j N] [-q] FILE...\n"
    "       sonorm-cli --in-place [--backup SUFFIX] [--split-links] [-r] [--repair] [--keep-times] "
    "[-j N] [-q] FILE...\n"
    "       sonorm-cli --check [--json] [-r] [--repair] [-j N] [-q] FILE...\n";

std::string synopsis() {
    return say(Message::usageprefix) + forms;
}

constexpr char requiredword[] = " required ";
constexpr char missingword[] = " missing";
constexpr char equalsword[] = " = ";

// CLI11's own texts of what it enforces, in the user's language; CLI11 says them in English.
std::string parseerrortext(const CLI::ParseError& error) {
    const std::string text = error.what();
    auto split = [&](const char* word, Message message) {
        std::size_t at = text.find(word);
        return say(message, {text.substr(0, at), text.substr(at + std::strlen(word))});
    };
    if (dynamic_cast<const CLI::ExcludesError*>(&error) != nullptr) {
        return split(" excludes ", Message::optionexcludes);
    }
    if (dynamic_cast<const CLI::RequiresError*>(&error) != nullptr) {
        return split(" requires ", Message::optionrequires);
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        return say(Message::unexpectedargument, {text.substr(text.find(": ") + 2)});
    }
    // "NAME: 1 required TYPE missing" or "NAME: At Most 1 required but received 2".
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        const std::string name = text.substr(0, text.find(": "));
        const std::size_t required = text.find(requiredword), missing = text.rfind(missingword);
        if (required == std::string::npos || missing == std::string::npos ||
            required + std::strlen(requiredword) > missing) {
            return say(Message::optiontwice, {name});
        }
        const std::size_t type = required + std::strlen(requiredword);
        return say(Message::optionmissingvalue, {name, text.substr(type, missing - type)});
    }
    // "Could not convert: NAME = VALUE"
    if (const std::size_t equals = text.find(equalsword);
        dynamic_cast<const CLI::ConversionError*>(&error) != nullptr &&
        equals != std::string::npos) {
        const std::size_t name = text.find(": ") + 2;
        return say(Message::optionbadvalue, {text.substr(name, equals - name),
                                             text.substr(equals + std::strlen(equalsword))});
    }
    if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr) {
        return text; // the checks' own texts, already in the user's language
    }
    return say(Message::unknownusage, {text});
}

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
               : say(Message::needwholenumber, {value});
}

} // namespace

std::string usageerror(const std::string& message) {
    return withlinebreaks(say(Message::toolprefix, {message}) + "\n" + synopsis() +
                          say(Message::usagetry) + "\n");
}

int parseoptions(int argc, const char* const* argv, Options& o) {
    CLI::App app{synopsis() + "\n" + say(Message::helpdescription) + "\n", "sonorm-cli"};
    app.footer(say(Message::helpfooter));
    app.formatter(std::make_shared<HelpFormat>());
    app.get_formatter()->column_width(22);
    app.get_formatter()->label("Usage", say(Message::labelusage));
    app.get_formatter()->label("OPTIONS", say(Message::labeloptions));
    app.get_formatter()->label("Positionals", say(Message::labelpositionals));
    app.option_defaults()->group(say(Message::groupoptions));
    auto flag = [&](const std::string& names, bool& value) {
        return app.add_flag(names, value, textof(names));
    };
    auto option = [&](const std::string& names, auto& value) {
        return app.add_option(names, value, textof(names))->type_name(optionof(names).value);
    };
    app.set_help_flag("-h,--help", textof("-h,--help"));
    app.set_version_flag("--version", versiontext(), textof("--version"));
    bool inplace = false;
    bool check = false;
    CLI::Option* outdir = option("-o,--output-dir", o.outdir)->check([](const std::string& v) {
        return v.empty()             ? say(Message::needfolder)
               : v == standardstream ? say(Message::outdirstream)
                                     : "";
    });
    CLI::Option* recursive = flag("-r,--recursive", o.recursive);
    CLI::Option* noclobber = flag("-n,--no-clobber", o.noclobber);
    CLI::Option* inplaceflag = flag("--in-place", inplace)->excludes(outdir);
    option("--backup", o.backup)->needs(inplaceflag)->check([](const std::string& v) {
        return v.empty() ? say(Message::needsuffix) : "";
    });
    flag("--split-links", o.splitlinks)->needs(inplaceflag);
    flag("--repair", o.repair);
    CLI::Option* checkflag = flag("--check", check)->excludes(outdir)->excludes(inplaceflag);
    flag("--json", o.json)->needs(checkflag);
    flag("--keep-times", o.keeptimes)->excludes(checkflag);
    noclobber->excludes(inplaceflag)->excludes(checkflag);
    CLI::Option* filesfrom = option("--files-from", o.filesfrom)->check([](const std::string& v) {
        return v.empty() ? say(Message::needlistname) : "";
    });
    flag("-0,--null", o.nulseparated)->needs(filesfrom);
    option("-j,--jobs", o.jobs)->check(positivenumber);
    flag("-q,--quiet", o.quiet);
    app.add_option("FILE", o.operands, say(Message::helpfiles))->type_name("");
    try {
        app.parse(argc, argv);
        o.mode = !o.outdir.empty() ? Mode::batch
                 : inplace         ? Mode::inplace
                 : check           ? Mode::check
                                   : Mode::single;
        if (o.mode == Mode::single && recursive->count() > 0) {
            throw CLI::ValidationError(say(Message::recursiveneedsmode));
        }
        if (o.mode == Mode::single && filesfrom->count() > 0) {
            throw CLI::ValidationError(say(Message::filesfromneedsmode));
        }
        if (o.mode != Mode::single && o.operands.empty() && filesfrom->count() == 0) {
            throw CLI::ValidationError(say(Message::noinputs));
        }
    } catch (const CLI::CallForHelp&) {
        return writeout(withlinebreaks(app.help())) ? exitok : exitfailed;
    } catch (const CLI::CallForVersion& e) {
        return writeout(e.what() + std::string(linebreak)) ? exitok : exitfailed;
    } catch (const CLI::ParseError& e) {
        writeerr(usageerror(parseerrortext(e)));
        return exitusage;
    }
    return runoptions;
}
