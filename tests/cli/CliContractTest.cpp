// sonorm-cli run as a process over real files: exit statuses, exact texts in the language the
// tool speaks (Messages.def and the string table; code page 932 on Windows), outputs byte for
// byte, and that a failure never touches an input nor leaves a partial batch output.
#include "ConsoleIo.h"
#include "FileSystem.h"
#include "Messages.h"
#include "PlatformExpect.h"
#include "ReportText.h"
#include "StringTexts.h"
#include "TempDir.h"
#include "TestPlatform.h"
#include "Version.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>

using namespace wav;
using M = Message;

namespace {

std::vector<std::string> lines(const std::string& output) {
    std::vector<std::string> out;
    const std::string lb = linebreak;
    for (std::size_t pos = 0, end; pos < output.size(); pos = end + lb.size()) {
        end = std::min(output.find(lb, pos), output.size());
        out.push_back(output.substr(pos, end - pos));
    }
    return out;
}

std::string report(unsigned id, const std::string& suffix) {
    return tabletext(id) + suffix;
}

// The report of a platform failure at the reader's step; one line in a batch.
std::string systemreport(unsigned step, std::uint32_t error, bool batch,
                         std::string text = std::string()) {
    text =
        (text.empty() ? errortext(std::error_code(static_cast<int>(error), std::system_category()))
                      : text) +
        " [1," + std::to_string(step) + ",1," + std::to_string(error) + "]";
    return batch ? oneline(text) : text;
}

// The summary line up to its time.
std::string summary(bool check, int converted, int failed, int skipped, int unchanged,
                    std::size_t written = 0) {
    std::string text =
        say(check ? M::summarycheck : M::summaryconvert,
            {std::to_string(converted), std::to_string(failed), std::to_string(skipped),
             std::to_string(unchanged), std::to_string(written), "\x01"});
    return text.substr(0, text.find('\x01'));
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
    std::string d = samples(4001);
    std::string good = decorated(d);
    std::string in = dir.write("in.wav", good);
    std::string riff = dir.write("r.wav", "RIFX" + good.substr(4));
    std::string cut =
        dir.write("cut.wav", riffwave(pcmfmt() + header("data", 4000) + d.substr(0, 1000)));
};

TEST_F(Contract, SingleFormAndStandardOutput) {
    backdate(in);
    std::string out = dir.write("out.wav", std::string(100000, 'z'));
    ProcessResult r = runtool({"--keep-times", in, out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(readfile(out), canonical(d));
    EXPECT_EQ(modtime(out), backdatedtime());
    r = runtool({in, "-"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, canonical(d));
    // Data that ends early: the report; a file keeps what was written, a stream gets nothing.
    r = runtool({cut, out});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("[1,22,1,"), std::string::npos) << r.err;
    EXPECT_EQ(readfile(out).substr(0, 44), canonical("", pcmbody(), 4000));
    ProcessResult s = runtool({cut, "-"});
    EXPECT_EQ(s.status, 1);
    EXPECT_EQ(s.out, "");
    EXPECT_EQ(s.err, r.err);
    dir.write("out.wav", "mine");
    r = runtool({"-n", "-q", in, out});
    EXPECT_EQ(r.status + r.out.size() + r.err.size(), 0u);
    EXPECT_EQ(readfile(out), "mine");
    EXPECT_EQ(readfile(in), good);
}

// Refusals: the report on stderr, nothing on stdout, exit 1 (the file) or 2 (usage); no file
// touched. Every other name of the input is refused as output.
TEST_F(Contract, RefusalsChangeNothing) {
    const std::string out = dir.path("out.wav");
    const std::string need = tabletext(IDS_NEED_FILE_NAMES) + linebreak;
    const std::string usage = say(M::usageprefix) + " sonorm-cli INPUT OUTPUT";
    const std::string floatfmt = chunk("fmt ", fmtbody(3, 2, 44100, 352800, 8, 32));
    std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases = {
        {{riff, out}, 1, report(IDS_BAD_RIFF, "[1,7,0,0]") + linebreak},
        {{dir.write("f.wav", riffwave(floatfmt + chunk("data", d))), out},
         1,
         report(IDS_PCM_ONLY, "[1,13,0,0]") + linebreak},
        {{dir.write("e.wav", riffwave(pcmfmt() + chunk("data", ""))), "-"},
         1,
         report(IDS_BAD_SAMPLE_COUNT, "[1,17,0,0]") + linebreak},
        {{dir.path("missing.wav"), out},
         1,
         systemreport(5, platform::missingfile, false) + linebreak},
        {{"", out}, 2, need},
        {{in, ""}, 2, need},
        {{in, in}, 2, tabletext(IDS_SAME_FILE_NAMES) + linebreak},
        {{}, 2, usage},
        {{in, "b", "c"}, 2, usage},
    };
    for (const std::string& alias : platform::aliases(dir, in)) {
        cases.push_back(
            {{in, alias},
             1,
             report(IDS_NOT_OPENED, "[1,1,1," + std::to_string(platform::sameasinput) + "]") +
                 linebreak});
    }
    for (const std::string& name : dir.list()) {
        backdate(dir.path(name));
    }
    const auto before = snapshot(dir);
    for (const auto& [args, status, err] : cases) {
        ProcessResult r = runtool(args);
        EXPECT_EQ(r.status, status) << err;
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(err == usage ? r.err.find(usage) != std::string::npos : r.err == err) << r.err;
        EXPECT_EQ(snapshot(dir), before);
    }
}

// Options that do not go together are refused before anything runs, in the user's terms.
TEST_F(Contract, OptionRelationsAreRefusedBeforeAnythingRuns) {
    const std::string o = dir.path("o");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"-o", o, "--in-place", in}, say(M::optionexcludes, {"--output-dir", "--in-place"})},
        {{"--check", "--in-place", in}, say(M::optionexcludes, {"--in-place", "--check"})},
        {{"--check", "-o", o, in}, say(M::optionexcludes, {"--output-dir", "--check"})},
        {{"--in-place", "-n", in}, say(M::optionexcludes, {"--no-clobber", "--in-place"})},
        {{"--check", "--keep-times", in}, say(M::optionexcludes, {"--check", "--keep-times"})},
        {{"--backup", ".b", in, o}, say(M::optionrequires, {"--backup", "--in-place"})},
        {{"--split-links", in, o}, say(M::optionrequires, {"--split-links", "--in-place"})},
        {{"--json", in, o}, say(M::optionrequires, {"--json", "--check"})},
        {{"-0", "--check", in}, say(M::optionrequires, {"--null", "--files-from"})},
        {{"--in-place", "--backup", "", in}, say(M::needsuffix)},
        {{"-r", in, o}, say(M::recursiveneedsmode)},
        {{"--files-from", "-", in, o}, say(M::filesfromneedsmode)},
        {{"--check", "--files-from", "", in}, say(M::needlistname)},
        {{"-o", o, "-j", "0", in}, say(M::needwholenumber, {"0"})},
        {{"-o", o, "-j", "x", in}, say(M::needwholenumber, {"x"})},
        {{"-o", "", in}, say(M::needfolder)},
        {{"-o", o}, say(M::noinputs)},
        {{"--bogus", in, o}, say(M::unexpectedargument, {"--bogus"})},
    };
    for (const auto& [args, message] : cases) {
        ProcessResult r = runtool(args);
        EXPECT_EQ(r.status, 2) << message;
        EXPECT_EQ(r.out, "");
        std::vector<std::string> got = lines(r.err);
        ASSERT_GE(got.size(), 2u);
        EXPECT_EQ(got[0].rfind("sonorm-cli: ", 0) + got[1].rfind(say(M::usageprefix), 0), 0u);
        EXPECT_NE(got[0].find(message), std::string::npos) << got[0];
    }
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"cut.wav", "in.wav", "r.wav"}));
}

// --help and the man page list every option of the one table, with its text.
TEST_F(Contract, VersionHelpAndManPageShareTheirSources) {
    ProcessResult v = runtool({"--version"});
    EXPECT_EQ(v.out, std::string("Sonorm version 1.01\n") + SONORM_LEGAL + linebreak);
    ProcessResult h = runtool({"--help"});
    EXPECT_EQ(h.status + v.status + h.err.size() + v.err.size(), 0u);
    const std::string man =
        readfile(nameof(topath(toolpath()).parent_path().parent_path() / "cli" / "sonorm-cli.1"));
    EXPECT_NE(man.find("LC_MESSAGES"), std::string::npos);
    const std::vector<std::vector<std::string>> rows = {
#define SONORM_OPTION(names, value, text, japanese) {names, value, text},
#include "Options.def"
#undef SONORM_OPTION
    };
    for (const auto& row : rows) {
        std::string first = row[2].substr(0, row[2].find('\n')), troff = first;
        for (std::size_t at = 0; (at = troff.find('-', at)) != std::string::npos; at += 2) {
            troff.insert(at, "\\");
        }
        EXPECT_NE(h.out.find(row[0] + (row[1].empty() ? "" : " " + row[1])), std::string::npos);
        EXPECT_NE(h.out.find(first), std::string::npos) << first;
        EXPECT_NE(man.find(troff), std::string::npos) << first;
    }
}

// A batch goes on after failures and reports in input order; the end of a file is reported,
// never the number an earlier failure left behind; no temporary or failed output is left.
TEST_F(Contract, BatchGoesOnAfterFailuresAndReportsInInputOrder) {
    std::vector<std::string> args = {"-o", dir.path("out"), "-j", "2"}, expected;
    auto content = [](int i) { return samples(1000 + 5000 * (i % 4), i); };
    std::size_t written = 0;
    for (int i = 0; i < 12; ++i) {
        args.push_back(dir.write("f" + std::to_string(10 + i) + ".wav",
                                 i % 3 == 1 ? readfile(riff) : decorated(content(i))));
        written += i % 3 == 1 ? 0 : canonical(content(i)).size();
        if (i % 3 == 1) {
            expected.push_back(say(M::fileline, {args.back(), report(IDS_BAD_RIFF, "[1,7,0,0]")}));
        }
    }
    args.push_back(dir.path("missing.wav"));
    expected.push_back(args.back() + ": " + systemreport(5, platform::missingfile, true));
    for (const std::string& bytes : {std::string(), good.substr(0, 16)}) {
        args.push_back(dir.write("z" + std::to_string(bytes.size()) + ".wav", bytes));
        expected.push_back(args.back() + ": " +
                           systemreport(bytes.empty() ? 6 : 9, platform::endoffile, true,
                                        platform::endoffiletext));
    }
    ProcessResult r = runtool(args);
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> got = lines(r.err);
    ASSERT_EQ(got.size(), expected.size() + 1) << r.err;
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.end() - 1), expected);
    EXPECT_EQ(got.back().rfind(summary(false, 8, 7, 0, 0, written), 0), 0u) << r.err;
    for (int i = 0; i < 12; ++i) {
        std::string out = dir.path("out/f" + std::to_string(10 + i) + ".wav");
        EXPECT_EQ(readfile(out), i % 3 == 1 ? "" : canonical(content(i))) << out;
    }
    EXPECT_EQ(dir.list("out").size(), 8u);
}

// Batch outputs never replace an input, each other, or (with -n) an existing file; a folder
// is refused without -r and walked with it.
TEST_F(Contract, BatchCollisionsFoldersAndNoClobber) {
    dir.folder("x");
    std::string other = dir.write("x/in.wav", good);
    std::string b = dir.write("b.wav", good);
    dir.folder("out");
    dir.write("out/b.wav", "older");
    dir.folder("tree");
    dir.folder("tree/sub");
    backdate(dir.write("tree/sub/c.WAV", good));
    dir.write("tree/readme.txt", "text");
    ProcessResult r = runtool({"-n", "-o", dir.path("out"), in, other, b, "", dir.path("tree")});
    EXPECT_EQ(lines(r.err),
              (std::vector<std::string>{
                  say(M::fileline, {other, say(M::sameoutput, {dir.path("out/in.wav"), in})}),
                  say(M::skippedline, {b, say(M::outputexists, {dir.path("out/b.wav")})}),
                  say(M::fileline, {"", tabletext(IDS_NEED_FILE_NAMES)}),
                  say(M::fileline, {dir.path("tree"), say(M::isfolder)}), lines(r.err).back()}));
    EXPECT_NE(r.err.find(summary(false, 1, 3, 1, 0, canonical(d).size())), std::string::npos);
    EXPECT_EQ(readfile(dir.path("out/in.wav")), canonical(d));
    EXPECT_EQ(readfile(dir.path("out/b.wav")), "older");
    r = runtool({"-o", dir.path(), in});
    EXPECT_EQ(lines(r.err)[0], say(M::fileline, {in, say(M::outputisinput, {in})}));
    r = runtool({"-q", "-r", "--keep-times", "-o", dir.path("out"), dir.path("tree")});
    EXPECT_EQ(r.status + r.err.size(), 0u) << r.err;
    EXPECT_EQ(readfile(dir.path("out/sub/c.WAV")), canonical(d));
    EXPECT_EQ(modtime(dir.path("out/sub/c.WAV")), backdatedtime());
    EXPECT_EQ(dir.list("out"), (std::vector<std::string>{"b.wav", "in.wav", "sub"}));
    EXPECT_EQ(readfile(in), good);
}

// In place: rewritten with the times kept, the original kept as backup, a canonical file left
// alone, a failing file untouched; a backup never replaces a file of that name.
TEST_F(Contract, InPlaceKeepsBackupsAndNeverReplacesAFile) {
    std::string done = dir.write("done.wav", canonical(d));
    std::string taken = dir.write("b.wav.orig", "the user's own");
    std::string b = dir.write("b.wav", good);
    backdate(in);
    backdate(done);
    ProcessResult r =
        runtool({"--in-place", "--backup", ".orig", "--keep-times", in, done, cut, b});
    std::vector<std::string> got = lines(r.err);
    ASSERT_EQ(got.size(), 3u) << r.err;
    EXPECT_EQ(got[0].rfind(cut + ": ", 0), 0u) << got[0];
    EXPECT_NE(got[0].find("[1,22,1,"), std::string::npos) << got[0];
    EXPECT_EQ(got[1].rfind(say(M::fileline, {b, say(M::cannotkeepbackup, {taken, ""})}), 0), 0u);
    EXPECT_EQ(got[2].find(summary(false, 1, 2, 0, 1, canonical(d).size())), 0u) << got[2];
    EXPECT_EQ(readfile(in), canonical(d));
    EXPECT_EQ(modtime(in), backdatedtime());
    EXPECT_EQ(readfile(in + ".orig"), good);
    EXPECT_EQ(modtime(done), backdatedtime());
    EXPECT_EQ(readfile(b) + readfile(taken), good + "the user's own");
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"b.wav", "b.wav.orig", "cut.wav", "done.wav",
                                                    "in.wav", "in.wav.orig", "r.wav"}));
}

// --check describes each file (bytes after the walked chunks are trailing) and writes nothing;
// --json gives one object per line, in input order also with -j 2.
TEST_F(Contract, CheckDescribesFilesAndWritesNothing) {
    std::string c = dir.write("c.wav", canonical(d) + "garbage!");
    const auto before = snapshot(dir);
    ProcessResult r = runtool({"-q", "--check", in, c, riff});
    EXPECT_EQ(r.status, 1);
    auto ok = [&](const std::string& name, const std::string& drops) {
        return say(M::okline, {name, say(M::describe, {say(M::formatpcm), "2", "16", "44100",
                                                       "1000", "4001", drops})});
    };
    const std::string comma = say(M::listseparator);
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{
                                ok(in, say(M::droppedchunk, {"LIST", "8"}) + comma +
                                           say(M::droppedchunk, {"fact", "4"}) + comma +
                                           say(M::extrafmtbytes, {"2"})),
                                ok(c, say(M::trailingbytes, {"8"})),
                                say(M::failsline, {riff, report(IDS_BAD_RIFF, "[1,7,0,0]")})}));
    r = runtool({"--check", "--json", "-j", "2", in, riff});
    std::vector<std::string> got = lines(r.out);
    ASSERT_EQ(got.size(), 2u) << r.out;
    nlohmann::json a = nlohmann::json::parse(got[0]), b = nlohmann::json::parse(got[1]);
    const nlohmann::json expected = {{"ok", true},       {"canonical", false}, {"channels", 2},
                                     {"bits", 16},       {"rate", 44100},      {"samples", 1000},
                                     {"datasize", 4001}, {"fmtextra", 2}};
    for (const auto& [key, value] : expected.items()) {
        EXPECT_EQ(a[key], value) << key;
    }
    EXPECT_EQ(a["dropped"][1]["id"], "fact");
    EXPECT_EQ(b["code"], 0x00010007);
    EXPECT_EQ(b["report"], topath(report(IDS_BAD_RIFF, "[1,7,0,0]")).u8string());
    EXPECT_EQ(snapshot(dir), before);
}

// Each file counts once, in its own column; a file named twice (here once through the list) is
// skipped the second time, the same way in every mode. The list: one a line (a carriage
// return dropped, empty lines ignored) or NUL-separated, from a file or standard input.
TEST_F(Contract, FileListsAndSummaryCountEachFileOnce) {
    std::string c = dir.write("c.wav", canonical(d));
    std::string again = dir.path(".") + "/c.wav";
    std::string list = dir.write("list", cut + "\r\n\n" + again + "\n");
    const std::size_t size = canonical(d).size();
    const std::vector<std::tuple<std::vector<std::string>, std::string, std::string>> cases = {
        {{"-o", dir.path("out"), "--files-from", list}, "", summary(false, 1, 1, 1, 1, 2 * size)},
        {{"--check", "-0", "--files-from", "-"}, cut + '\0' + again, summary(true, 1, 1, 1, 1)},
        {{"--in-place", "--files-from", "-"}, cut + "\n" + again, summary(false, 1, 1, 1, 1, size)},
    };
    for (const auto& [mode, input, summary] : cases) {
        std::vector<std::string> args = mode;
        args.insert(args.end(), {in, c});
        ProcessResult r = runtool(args, input);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE((r.err + r.out).find(say(M::skippedline, {again, say(M::giventwice, {c})})),
                  std::string::npos)
            << r.err << r.out;
        EXPECT_NE(r.err.find(summary), std::string::npos) << r.err;
    }
    ProcessResult r = runtool({"--check", "--files-from", dir.path("nolist")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind(say(M::cannotreadlist, {dir.path("nolist"), ""}), 0), 0u) << r.err;
}

// The language: Japanese under a Japanese locale, else English, the codes and suffixes alike.
TEST(Language, EveryTextFollowsTheLocale) {
    TempDir dir;
    std::string riff = dir.write("r.wav", "RIFX" + decorated(samples(10)).substr(4));
    for (const char* locale : {"ja_JP.UTF-8", "C"}) {
        const bool japanese = uselocale(locale);
        EXPECT_EQ(currentlanguage() == Language::japanese, japanese);
        ProcessResult r = runtool({"--check", riff, dir.path("missing.wav"), dir.path()});
        EXPECT_EQ(lines(r.out),
                  (std::vector<std::string>{
                      say(M::failsline, {riff, report(IDS_BAD_RIFF, "[1,7,0,0]")}),
                      say(M::failsline,
                          {dir.path("missing.wav"), systemreport(5, platform::missingfile, true)}),
                      say(M::failsline, {dir.path(), say(M::isfolder)})}))
            << locale;
        EXPECT_EQ(report(IDS_BAD_RIFF, ""),
                  japanese ? platform::stringtable(IDS_BAD_RIFF) : englishtext(IDS_BAD_RIFF));
        EXPECT_NE(runtool({"--help"}).out.find(say(M::helpfooter).substr(0, 20)),
                  std::string::npos);
    }
}

} // namespace
