// sonorm-cli run as a process over real files: exit statuses, exact texts in the language the
// tool speaks (Messages.def and the string table; code page 932 on Windows), outputs byte for
// byte, and that a failure never touches an input nor leaves a partial batch output.
#include "ConsoleIo.h"
#include "FileSystem.h"
#include "Messages.h"
#include "PlatformExpect.h"
#include "QuotedName.h"
#include "ReportText.h"
#include "StringTexts.h"
#include "TempDir.h"
#include "TestPlatform.h"
#include "Version.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>

using namespace wav;
using M = Message;
using Lines = std::vector<std::string>;

namespace {

// The lines of output, with the time of a summary line (the last) as "T".
Lines lines(const std::string& output) {
    Lines out;
    for (std::size_t pos = 0, end; pos < output.size(); pos = end + std::strlen(linebreak)) {
        end = std::min(output.find(linebreak, pos), output.size());
        out.push_back(output.substr(pos, end - pos));
    }
    if (!out.empty() && out.back().rfind("sonorm-cli: ", 0) == 0) {
        out.back() = std::regex_replace(out.back(), std::regex("[0-9]+\\.[0-9]{2}"), "T");
    }
    return out;
}

std::string summary(bool check, int converted, int failed, int skipped, int canonical,
                    std::size_t written = 0) {
    auto n = [](std::size_t v) { return std::to_string(v); };
    return say(check ? M::summarycheck : M::summaryconvert,
               {n(converted), n(failed), n(skipped), n(canonical), n(written), "T"});
}

// The one-line report of a platform failure at the reader's step.
std::string systemreport(unsigned step, std::uint32_t error, std::string text = "") {
    text = text.empty() ? errortext(std::error_code(int(error), std::system_category())) : text;
    return oneline(text + " [1," + std::to_string(step) + ",1," + std::to_string(error) + "]");
}

std::map<std::string, std::pair<std::string, std::int64_t>> snapshot(const TempDir& dir) {
    std::map<std::string, std::pair<std::string, std::int64_t>> files;
    for (const std::string& name : dir.list()) {
        files[name] = {readfile(dir.path(name)), modtime(dir.path(name))};
    }
    return files;
}

class Contract : public ::testing::Test {
protected:
    void SetUp() override { uselocale("C"); }
    TempDir dir;
    std::string d = samples(4001), good = decorated(d);
    std::size_t size = canonical(d).size();
    std::string in = dir.write("in.wav", good), riff = dir.write("r.wav", "RIFX" + good.substr(4));
    std::string cut =
        dir.write("cut.wav", riffwave(pcmfmt() + header("data", 4000) + d.substr(0, 1000)));
    // A string-table report: in English the suffix is set off by a blank, as after system texts.
    static std::string report(unsigned id, const std::string& suffix) {
        return tabletext(id) + (currentlanguage() == Language::english ? " " : "") + suffix;
    }
    std::string riffreport() const { return report(IDS_BAD_RIFF, "[1,7,0,0]"); }
    std::string out(const std::string& name) const {
        return nameof(topath(dir.path("out")) / name);
    }
};

// Refusals (exit 1 with the report, exit 2 with the usage) touch no file, also for every other
// name of the input as output. Data that ends early: an existing OUTPUT stays, a new one is not
// made, '-' gets nothing. "- -" filters standard input.
TEST_F(Contract, SingleFormRefusalsChangeNothing) {
    const std::string need = tabletext(IDS_NEED_FILE_NAMES), o = dir.path("o");
    const std::string nofolder = dir.path("none/o.wav");
    auto use = [](M m, Lines a = {}) { return say(M::toolprefix, {say(m, a)}); };
    std::vector<std::tuple<Lines, int, std::string>> cases = {
        {{riff, o}, 1, say(M::fileline, {riff, riffreport()})},
        {{in, nofolder},
         1,
         say(M::causeline,
             {nofolder,
              report(IDS_NOT_OPENED, "[1,1,1," + std::to_string(platform::missingfolder) + "]"),
              say(M::causenofolder)})},
        {{"", o}, 2, need},
        {{in, in}, 2, tabletext(IDS_SAME_FILE_NAMES)},
        {{in, o, o}, 2, use(M::expectedtwo)},
        {{"--in-place", "-n", in}, 2, use(M::optionexcludes, {"--no-clobber", "--in-place"})},
        {{"--split-links", in, o}, 2, use(M::optionrequires, {"--split-links", "--in-place"})},
        {{"-r", in, o}, 2, use(M::recursiveneedsmode)},
        {{"--files-from", "-", in, o}, 2, use(M::filesfromneedsmode)},
        {{"-o", o}, 2, use(M::noinputs)},
        {{"-o", o, "-o", o, in}, 2, use(M::optiontwice, {"--output-dir"})},
        {{"-o", o, "-j", "99999999999", in}, 2, use(M::optionbadvalue, {"--jobs", "99999999999"})},
        {{"-o", "-", in}, 2, say(M::toolprefix, {"--output-dir: " + say(M::outdirstream)})},
        {{"--in-place", "-"}, 2, use(M::stdininplace)},
        {{"--check", "--files-from", "-", "-"}, 2, use(M::stdinholdslist)},
        {{"--bogus", in, o}, 2, use(M::unexpectedargument, {"--bogus"})},
        {{"-o", o, "-j", "0", in},
         2,
         say(M::toolprefix, {"--jobs: " + say(M::needwholenumber, {"0"})})},
    };
    // Only "%" and a digit are a placeholder: a digit after any other character stays.
    EXPECT_TRUE(currentlanguage() == Language::japanese ||
                say(M::needwholenumber, {"0"}) == "needs a whole number of at least 1, not '0'");
    for (const std::string& alias : platform::aliases(dir, in)) {
        std::string busy = "[1,1,1," + std::to_string(platform::sameasinput) + "]";
        cases.push_back(
            {{in, alias},
             1,
             say(M::causeline, {alias, report(IDS_NOT_OPENED, busy), say(M::causesameasinput)})});
    }
    for (const std::string& name : dir.list()) {
        backdate(dir.path(name));
    }
    const auto before = snapshot(dir);
    for (const auto& [args, status, err] : cases) {
        ProcessResult r = runtool(args);
        Lines got = lines(r.err + linebreak);
        EXPECT_EQ(got[0], err);
        EXPECT_EQ(got.size(), status == 2 && err[0] == 's' ? 7u : 2u) << r.err; // usage: 5 lines
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(snapshot(dir), before);
    }
    std::string out = dir.write("out.wav", std::string(100000, 'z'));
    EXPECT_EQ(runtool({in, out}), (ProcessResult{0, "", ""}));
    EXPECT_EQ(readfile(out), canonical(d));
    EXPECT_EQ(runtool({in, "-"}), (ProcessResult{0, canonical(d), ""}));
    EXPECT_EQ(runtool({"-", "-"}, good), (ProcessResult{0, canonical(d), ""})); // through a copy
    ProcessResult r = runtool({cut, out});
    EXPECT_EQ(r.err, say(M::causeline,
                         {cut, systemreport(22, platform::endoffile, platform::endoffiletext),
                          say(M::causeendsearly)}) +
                         linebreak);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(runtool({cut, "-"}), r);
    EXPECT_FALSE(fileexists("-")); // the stream is no file of that name
    EXPECT_EQ(readfile(out), canonical(d));
    EXPECT_EQ(runtool({cut, dir.path("new.wav")}).err, r.err);
    EXPECT_FALSE(fileexists(dir.path("new.wav"))); // nor a partial new OUTPUT
}

// A batch goes on after failures, reporting in input order (the end of a file, never an earlier
// failure's number); outputs never replace an input, each other or (-n) an existing file. A walk
// follows no link.
TEST_F(Contract, BatchGoesOnAfterFailuresAndNeverReplacesAFile) {
    for (const char* folder : {"x", "out", "tree", "tree/sub"}) {
        dir.folder(folder);
    }
    std::string other = dir.write("x/in.wav", good), b = dir.write("b.wav", good);
    dir.write("out/b.wav", "older");
    backdate(dir.write("tree/sub/c.WAV", good));
    dir.write("tree/readme.txt", "text");
    std::error_code nolinks; // where links can be made, a walk follows none
    fs::create_symlink(topath(in), topath(dir.path("tree/l.wav")), nolinks);
    fs::create_directory_symlink(topath(dir.path("x")), topath(dir.path("tree/x")), nolinks);
    Lines args = {"-n", "-o", dir.path("out"), "-j", "2"}, expected;
    auto content = [](int i) { return samples(1000 + 5000 * (i % 4), i); };
    std::size_t written = size;
    for (int i = 0; i < 12; ++i) {
        args.push_back(dir.write("f" + std::to_string(10 + i) + ".wav",
                                 i % 3 == 1 ? readfile(riff) : decorated(content(i))));
        written += i % 3 == 1 ? 0 : canonical(content(i)).size();
        if (i % 3 == 1) {
            expected.push_back(say(M::fileline, {args.back(), riffreport()}));
        }
    }
    args.push_back(dir.path("missing.wav"));
    expected.push_back(args.back() + ": " + systemreport(5, platform::missingfile));
    for (std::size_t bytes : {0, 16}) {
        args.push_back(dir.write("z" + std::to_string(bytes) + ".wav", good.substr(0, bytes)));
        expected.push_back(
            args.back() + ": " +
            systemreport(bytes == 0 ? 6 : 9, platform::endoffile, platform::endoffiletext));
    }
    args.insert(args.end(), {in, other, b, "", dir.path("tree")});
    expected.insert(expected.end(),
                    {say(M::fileline, {other, say(M::sameoutput, {out("in.wav"), in})}),
                     say(M::skippedline, {b, say(M::outputexists, {out("b.wav")})}),
                     say(M::fileline, {"", tabletext(IDS_NEED_FILE_NAMES)}),
                     say(M::fileline, {dir.path("tree"), say(M::isfolder)}),
                     summary(false, 9, 10, 1, 0, written)});
    EXPECT_EQ(lines(runtool(args).err), expected);
    for (int i = 0; i < 12; ++i) {
        std::string out = dir.path("out/f" + std::to_string(10 + i) + ".wav");
        EXPECT_EQ(readfile(out), i % 3 == 1 ? "" : canonical(content(i))) << out;
    }
    EXPECT_EQ(dir.list("out").size(), 10u);
    EXPECT_EQ(readfile(out("in.wav")), canonical(d));
    EXPECT_EQ(readfile(out("b.wav")), "older");
    EXPECT_EQ(lines(runtool({"-o", dir.path(), in}).err)[0],
              say(M::fileline, {in, say(M::outputisinput, {in})}));
    ProcessResult r;
    for (int run = 0; run < 2; ++run) { // the output folder inside the tree is not walked
        r = runtool({"-q", "-r", "--keep-times", "-o", dir.path("tree/o"), dir.path("tree")});
    }
    EXPECT_EQ(r, (ProcessResult{0, "", ""}));
    EXPECT_EQ(readfile(dir.path("tree/o/sub/c.WAV")), canonical(d));
    EXPECT_EQ(readfile(in), good);
    EXPECT_EQ(modtime(dir.path("tree/o/sub/c.WAV")), backdatedtime());
    EXPECT_EQ(dir.list("tree/o"), Lines{"sub"});
}

// Workers that make the same new output folders at once all convert their files.
TEST_F(Contract, WorkersMakeNewFoldersTogether) {
    dir.folder("tree");
    for (int i = 0; i < 100; ++i) {
        dir.folder("tree/" + std::to_string(i));
        for (const char* name : {"a.wav", "b.wav"}) {
            dir.write("tree/" + std::to_string(i) + "/" + name, good);
        }
    }
    EXPECT_EQ(runtool({"-q", "-r", "-j", "4", "-o", dir.path("made"), dir.path("tree")}),
              (ProcessResult{0, "", ""}));
    EXPECT_EQ(readfile(dir.path("made/99/b.wav")), canonical(d));
}

// Each file counts once in every mode, also when the list (lines, CR LF, or NUL-separated) names
// it again. In place keeps times and backups, leaves canonical and failing files, and never
// replaces a file with a backup.
TEST_F(Contract, EveryModeCountsEachFileOnceAndInPlaceKeepsBackups) {
    std::string c = dir.write("c.wav", canonical(d)), again = dir.path(".") + "/c.wav";
    std::string list = dir.write("list", cut + "\r\n\n" + again + "\n");
    std::string b = dir.write("b.wav", good), taken = dir.write("b.wav.orig", "the user's own");
    backdate(in);
    backdate(c);
    const std::string skipped = say(M::skippedline, {again, say(M::giventwice, {c})});
    const std::vector<std::tuple<Lines, std::string, std::string>> cases = {
        {{"-o", dir.path("out"), "--files-from", list}, "", summary(false, 2, 1, 1, 1, 3 * size)},
        {{"--check", "-0", "--files-from", "-"}, cut + '\0' + again, summary(true, 2, 1, 1, 1)},
        {{"--in-place", "--backup", ".orig", "--keep-times", "--files-from", "-"},
         cut + "\n" + again,
         summary(false, 1, 2, 1, 1, size)},
    };
    ProcessResult r;
    for (const auto& [mode, input, counts] : cases) {
        Lines args = mode;
        args.insert(args.end(), {in, c, b});
        r = runtool(args, input);
        EXPECT_EQ(r.status, 1);
        const std::string& listing = mode[0] == "--check" ? r.out : r.err;
        EXPECT_NE(listing.find(skipped), std::string::npos) << listing;
        EXPECT_EQ(lines(r.err).back(), counts) << r.err;
    }
    EXPECT_NE(r.err.find(say(M::fileline, {b, say(M::cannotkeepbackup, {taken, ""})})),
              std::string::npos);
    EXPECT_EQ(readfile(in), canonical(d));
    EXPECT_EQ(readfile(in + ".orig"), good);
    EXPECT_EQ(modtime(in), backdatedtime());
    EXPECT_EQ(modtime(c), backdatedtime());
    EXPECT_EQ(readfile(b), good);
    EXPECT_EQ(readfile(taken), "the user's own");
    EXPECT_EQ(readfile(cut).substr(0, 4), "RIFF");
    EXPECT_EQ(dir.list(), (Lines{"b.wav", "b.wav.orig", "c.wav", "cut.wav", "in.wav", "in.wav.orig",
                                 "list", "out", "r.wav"}));
    r = runtool({"--check", "--files-from", dir.path("nolist")});
    EXPECT_EQ(r.err.rfind(say(M::cannotreadlist, {dir.path("nolist"), ""}), 0), 0u) << r.err;
    EXPECT_EQ(r.status, 2);
}

// --check writes nothing and speaks the locale's language (Japanese or else English) in the
// tool's, the string table's and the system's texts; --json keeps input order with -j 2.
TEST_F(Contract, CheckDescribesFilesInTheUsersLanguage) {
    std::string c = dir.write("c.wav", canonical(d) + "garbage!"),
                missing = dir.path("missing.wav");
    std::string odd = dir.write(
        "o.wav", riffwave(pcmfmt() + chunk("~ \x01\\", "") + fact(999999) + chunk("data", d)));
    // Canonical; its block align disagrees with the format (either field warns): copied as is.
    std::string w = dir.write(
        "w.wav", riffwave(chunk("fmt ", fmtbody(1, 2, 44100, 176400, 7, 16)) + chunk("data", d)));
    auto warning = [] { return say(M::alignmismatch, {"7", "176400", "4", "176400"}); };
    std::string nodata = dir.write("n.wav", riffwave(pcmfmt())),
                mono = dir.write("m.wav",
                                 riffwave(pcmfmt(1, 8) + chunk("LIST", "xx") + chunk("data", "y")) +
                                     "z");
    const auto before = snapshot(dir);
    auto ok = [&](const std::string& name, const std::string& drops) {
        return say(M::okline, {name, say(M::describe, {say(M::formatpcm), "2", "16", "44100",
                                                       "1000", "4001", drops})});
    };
    for (const char* locale : {"ja_JP.UTF-8", "C"}) {
        uselocale(locale); // Japanese on Windows either way: the Wine prefix's display language
        const bool japanese = currentlanguage() == Language::japanese;
        EXPECT_TRUE(japanese || locale[0] == 'C');
        const std::string system = systemreport(5, platform::missingfile),
                          comma = say(M::listseparator);
        EXPECT_NE(japanese,
                  std::all_of(system.begin(), system.end(), [](char c) { return c > 0; }));
        ProcessResult r = runtool({"-q", "--check", in, c, odd, w, riff, missing, dir.path()});
        EXPECT_EQ(lines(r.out), (Lines{ok(in, say(M::droppedchunk, {"LIST", "8"}) + comma +
                                                  say(M::droppedchunk, {"fact", "4"}) + comma +
                                                  say(M::extrafmtbytes, {"2"})),
                                       ok(c, say(M::trailingbytes, {"8"})),
                                       ok(odd, say(M::droppedchunk, {"~ \\x01\\x5C", "0"}) + comma +
                                                   say(M::droppedchunk, {"fact", "4"})),
                                       ok(w, say(M::dropsnothing)) + say(M::alreadycanonical) +
                                           say(M::warningnote, {warning()}),
                                       say(M::failsline, {riff, riffreport()}),
                                       say(M::failsline, {missing, system}),
                                       say(M::failsline, {dir.path(), say(M::isfolder)})}));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(lines(runtool({nodata, dir.path("n2.wav")}).err)[0],
                  say(M::causeline,
                      {nodata, systemreport(9, platform::endoffile), say(M::causenochunk)}));
        EXPECT_EQ(lines(runtool({"-o"}).err)[0],
                  say(M::toolprefix, {say(M::optionmissingvalue, {"--output-dir", "DIR"})}));
    }
    EXPECT_TRUE(currentlanguage() == Language::japanese ||
                runtool({"-q", "--check", mono}).out ==
                    mono + ": ok: PCM, 1 channel, 8 bits, 44100 Hz, 1 sample, 1 data byte; drops "
                           "LIST (2 bytes), 1 trailing byte\n");
    Lines got = lines(runtool({"--check", "--json", "-j", "2", in, riff, w}).out);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(nlohmann::json::parse(got[2])["warnings"][0], topath(warning()).u8string());
    EXPECT_EQ(nlohmann::json::parse(got[2])["canonical"], true);
    EXPECT_EQ(nlohmann::json::parse(got[0])["dropped"][1]["id"], "fact");
    EXPECT_EQ(nlohmann::json::parse(got[1])["report"], topath(riffreport()).u8string());
    EXPECT_EQ(snapshot(dir), before);
}

// One line per file: a name with control characters is quoted as the shell reads it back (a
// double-byte character, second byte '\\' in code page 932, stays whole), a report is joined.
TEST(OneLine, NamesAreQuotedAndReportsJoined) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a b'.wav", "a b'.wav"},
        {"a\nb", "'a'$'\\n''b'"},
        {"\x1b[1m\x7f", "''$'\\033''[1m'$'\\177'"},
        {"it's\t\r", "'it'\\''s'$'\\t\\r'"},
        {platform::twobytechar + "\x01", "'" + platform::twobytechar + "'$'\\001'"},
    };
    for (const auto& [name, quoted] : cases) {
        EXPECT_EQ(quotedname(name), quoted);
    }
    // A report is one line: a line break becomes a blank where none is beside it.
    EXPECT_EQ(oneline("\na\r\nb \nc\r\n"), "a b c");
}

// The man page is made from the option table by a pattern: no row may slip through it.
TEST_F(Contract, ManPageAndVersion) {
    std::string man =
        readfile(nameof(topath(toolpath()).parent_path().parent_path() / "cli/sonorm-cli.1"));
    EXPECT_NE(man.find("\\-\\-split\\-links"), std::string::npos);
    const std::vector<const char*> rows = {
#define SONORM_OPTION(names, value, text, japanese) names,
#include "Options.def"
#undef SONORM_OPTION
    };
    std::size_t entries = 0;
    for (std::size_t at = 0; (at = man.find(".TP\n", at)) != std::string::npos; at += 4) {
        ++entries;
    }
    EXPECT_EQ(entries, rows.size());
    EXPECT_EQ(runtool({"--version"}).out,
              "Sonorm version 1.01\n" SONORM_LEGAL + std::string(linebreak));
}

} // namespace
