// Faults reached for real through what only POSIX has: signals, resource limits, closed pipes,
// FIFOs, full devices, owners, links and extended attributes.
#include "FileSystem.h"
#include "PlatformExpect.h"
#include "Runner.h"
#include "TempDir.h"
#include "TestPlatform.h"
#include "UserLanguage.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <pty.h>
#include <regex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

using namespace wav;
using Args = std::vector<std::string>;
using Prepare = std::function<bool()>;

namespace {

constexpr uid_t nobody = 65534;

Prepare limit(int resource, rlim_t value) {
    return [=] {
        rlimit both{value, value};
        return setrlimit(resource, &both) == 0;
    };
}
const Prepare nocore = limit(RLIMIT_CORE, 0), hugestack = limit(RLIMIT_STACK, rlim_t{1} << 45);
const Prepare nostdin = [] { return close(0) == 0; };  // the input then opens as descriptor 0
const Prepare bounded = [] { return alarm(60) == 0; }; // a run that would hang fails instead
Prepare full(int stream) {
    return [=] { return dup2(open("/dev/full", O_WRONLY), stream) == stream; };
}

rusage usage{};      // of the last run's child
std::string drained; // the start of its stdout

// The tool (or program) with the default signal dispositions, prepare() run in the child last;
// stderr to the file err, stdout into a pipe drained once whilerunning(pid) has returned, or
// read once and closed (hangup). Its exit status, or 1000 + the signal that ended it.
int run(const Args& args, const Prepare& prepare = nocore, const std::string& err = "/dev/null",
        const std::function<void(pid_t)>& whilerunning = nullptr, bool hangup = false,
        const std::string& program = toolpath()) {
    std::vector<const char*> argv = {"sonorm-cli"};
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    argv.push_back(nullptr);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        return -1;
    }
    pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGPIPE, SIG_DFL);
        std::signal(SIGXFSZ, SIG_DFL);
        int errfile = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (dup2(errfile, 2) >= 0 && dup2(ends[1], 1) >= 0 && prepare()) {
            execv(program.c_str(), const_cast<char* const*>(argv.data()));
        }
        _exit(127);
    }
    close(ends[1]);
    if (whilerunning) {
        whilerunning(pid);
    }
    static char block[1 << 16];
    drained.clear();
    for (ssize_t got; (got = read(ends[0], block, sizeof block)) > 0 && !hangup;) {
        drained.append(block, drained.size() < sizeof block ? std::size_t(got) : 0);
    }
    close(ends[0]);
    int status = 0;
    wait4(pid, &status, 0, &usage);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

std::size_t temporaries(const TempDir& dir, const std::string& folder = "out") {
    std::vector<std::string> names = dir.list(folder);
    return std::count_if(names.begin(), names.end(),
                         [](const std::string& name) { return name.rfind(".sonorm-", 0) == 0; });
}

// Each run under one fault. An interrupted run ends with 128 + the signal and leaves no temporary
// file; a killed one leaves one, which the next run removes unless its owner is alive. A failed
// write keeps the older batch output, or in the single form what was written; a report that
// cannot be written fails the run. A FIFO is skipped in a walk and refused when named; -j fits
// the descriptor limit. The longest names work; a stream's progress line is drawn on a terminal
// only, and cleared. Memory stays bounded whatever sizes a file declares.
TEST(Faults, RunsUnderFaults) {
    TempDir dir;
    uselocale("C");
    const std::string out = dir.folder("out");
    constexpr std::uint32_t size = 768u << 20; // sparse: it costs no disk, it takes a while
    std::string big =
        dir.writesparse("big.wav", {{0, riffwave(pcmfmt() + header("data", size), size + 36)},
                                    {44 + std::uint64_t{size} - 4, "end."}});
    const std::string data = samples(300000), err = dir.path("err"), name(255 - 5, 'n');
    std::string in = dir.write("in.wav", decorated(data)), single = dir.path("single.wav");
    std::string older = dir.write("out/in.wav", "older");
    const Args small = {"-q", "-o", out, dir.write("s.wav", decorated(samples(9)))};
    Args longest = {"-q", "-j", "99999999", "-o", out};
    for (int i = 0; i < 4; ++i) {
        longest.push_back(dir.write(std::to_string(i) + name + ".wav", decorated(samples(100, i))));
    }
    const Args batch = {"-o", out, big}, stream = {big, "-"};
    const std::string fifos = dir.folder("fifos"), fifo = dir.path("fifos/p.wav");
    dir.write("fifos/c.wav", canonical(samples(8)));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Args many = {"-q", "-j", "64", "-o", dir.path("many")};
    for (int i = 0; i < 300; ++i) {
        many.push_back(dir.write("m" + std::to_string(i) + ".wav", decorated(samples(40, i))));
    }
    const std::string nospace = "sonorm-cli: standard output: " + platform::systemtext(ENOSPC) +
                                "\nsonorm-cli: 1 would convert, 0 would fail, 0 skipped, 0 already "
                                "canonical; T s\n";
    auto report = [](int error) {
        return platform::systemtext(error) + " [1,5,1," + std::to_string(error) + "]\n";
    };
    int terminal = -1, side = -1;
    ASSERT_EQ(openpty(&terminal, &side, nullptr, nullptr, nullptr), 0);
    // No text expected: stderr is the terminal.
    const std::vector<std::tuple<Args, Prepare, int, int, std::optional<std::string>>> cases = {
        {batch, nocore, SIGINT, 130, ""},
        {batch, nocore, SIGTERM, 143, ""},
        {batch, nocore, SIGHUP, 129, ""},
        {batch, hugestack, SIGTERM, 143, ""},
        {batch, nocore, SIGKILL, 1009, ""},
        {batch, nocore, SIGSTOP, 143, ""},
        {stream, nocore, 0, 0, ""},
        {stream, nocore, 0, 0, {}},
        {{"-q", "-o", out, in}, limit(RLIMIT_FSIZE, 50000), 0, 1, in + ": " + report(EFBIG)},
        {{in, single}, limit(RLIMIT_FSIZE, 1000), 0, 1, report(EFBIG)},
        {{in, "/dev/stdout"}, nocore, SIGPIPE, 1, report(EPIPE)},
        {{in, "-"}, nocore, SIGPIPE, 1, "standard output: Broken pipe\n"},
        {longest, hugestack, 0, 0, ""},
        {{in, dir.path("fd0.wav")}, nostdin, 0, 0, ""},
        {{"-r", "-o", dir.path("fifo-out"), fifos},
         bounded,
         0,
         0,
         fifo + ": skipped: is a FIFO, not a regular file: not read\nsonorm-cli: 0 converted, 0 "
                "failed, 1 skipped, 1 already canonical; 52 bytes written in T s\n"},
        {{fifo, dir.path("x.wav")}, bounded, 0, 1, "is a FIFO, not a regular file: not read\n"},
        {{"/dev/null", dir.path("x.wav")},
         nocore,
         0,
         1,
         "is a device, not a regular file: not read\n"},
        {many, limit(RLIMIT_NOFILE, 64), 0, 0, ""},
        {{"--check", in}, full(1), 0, 1, nospace},
        {{"--check", "--json", in}, full(1), 0, 1, nospace},
        {{"-o", dir.path("full"), in}, full(2), 0, 1, ""},
    };
    for (const auto& [args, prepare, fault, status, text] : cases) {
        // The reader of a stream comes after the redraw interval, a late one also on SIGPIPE.
        auto during = [&, fault = fault, late = args == stream || fault == SIGPIPE](pid_t pid) {
            if (late) {
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
            }
            if (fault == 0 || fault == SIGPIPE) {
                return;
            }
            while (temporaries(dir) == 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            kill(pid, fault);
            if (fault == SIGSTOP) {
                EXPECT_EQ(runtool(small).status + temporaries(dir), 1u);
                kill(pid, SIGTERM);
                kill(pid, SIGCONT);
            }
        };
        EXPECT_EQ(run(args, prepare, text ? err : ttyname(side), during, fault == SIGPIPE), status);
        const std::regex time("[0-9]+\\.[0-9]{2} s");
        EXPECT_EQ(text.value_or(""), text ? std::regex_replace(readfile(err), time, "T s") : "")
            << fault;
        EXPECT_EQ(temporaries(dir), fault == SIGKILL ? 1u : 0u) << fault;
        if (fault == SIGKILL) {
            EXPECT_EQ(runtool(small).status + temporaries(dir), 0u);
        }
    }
    EXPECT_EQ(readfile(older) + readfile(single) + readfile(dir.path("fd0.wav")),
              "older" + canonical(data).substr(0, 1000) + canonical(data));
    EXPECT_EQ(readfile(dir.path("out/3" + name + ".wav")), canonical(samples(100, 3)));
    EXPECT_EQ(runtool({"-q", "--in-place", longest[5]}).status, 0);
    EXPECT_EQ(readfile(longest[5]), canonical(samples(100, 0)));
    char drawn[4096] = {};
    fcntl(terminal, F_SETFL, O_NONBLOCK);
    std::string shown(drawn, std::max<ssize_t>(read(terminal, drawn, sizeof drawn - 1), 0));
    EXPECT_NE(shown.find(" MiB of 768.0 MiB, "), std::string::npos) << shown;
    EXPECT_EQ(shown.find("files"), std::string::npos) << shown;
    std::size_t last = shown.rfind('\r', shown.size() - 2); // the line cleared
    EXPECT_EQ(shown.substr(last), "\r" + std::string(shown.size() - last - 2, ' ') + "\r");
    close(terminal);
    close(side);
    EXPECT_EQ(dir.list("many").size(), 300u);
    // Sparse files: a "fmt " body of 1 GiB; 64 MiB of empty chunks, of which a check lists the
    // first 256 (an earlier "fmt " in its place) and counts the rest.
    const std::string fmt =
        dir.writesparse("fmt.wav", {{0, riffwave(header("fmt ", 1 << 30) + pcmbody())},
                                    {20 + (1u << 30), chunk("data", samples(4068))}});
    const std::uint64_t mib64 = 64 << 20, chunks = (mib64 - 72) / 8;
    const std::string empty = dir.writesparse(
        "empty.wav", {{0, riffwave(pcmfmt())}, {mib64 - 36, pcmfmt() + chunk("data", "abcd")}});
    run({"--check", in});
    const long baseline = usage.ru_maxrss; // KiB
    for (const Args& args :
         {Args{fmt, dir.path("fmt-out.wav")}, Args{"--check", "--json", empty}}) {
        EXPECT_EQ(run(args), 0);
        EXPECT_LT(usage.ru_maxrss - baseline, 64 << 10) << args[0];
    }
    nlohmann::json facts = nlohmann::json::parse(drained);
    EXPECT_EQ(facts["dropped"].size(), 256u);
    EXPECT_EQ(facts["dropped"][0]["id"], "fmt ");
    EXPECT_EQ(facts["moredropped"], chunks + 1 - 256);
}

// Workers fit the descriptor limit, 8 each at most. A job that found no descriptor free runs
// again once another job has ended and given its own back; jobs that find none while no other
// runs fail as they are, and the run ends.
TEST(Faults, JobsWaitForDescriptors) {
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
    const rlimit low{64, old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    const unsigned fit = workercount(64, 300);
    setrlimit(RLIMIT_NOFILE, &old);
    EXPECT_GE(fit, 1u);
    EXPECT_LE(fit, 64u / 8);
    std::atomic<bool> giving{false}, failed{false};
    std::atomic<int> attempts{0};
    auto work = [&](const Job& job) {
        Outcome outcome;
        outcome.status = Status::converted;
        if (job.input == "gives") {
            giving = true;
            while (!failed) {
                std::this_thread::yield();
            }
            return outcome;
        }
        while (job.input == "waits" && !giving) {
            std::this_thread::yield();
        }
        outcome.nodescriptors = ++attempts == 1 || job.input == "none";
        outcome.status = outcome.nodescriptors ? Status::failed : outcome.status;
        failed = true;
        return outcome;
    };
    std::vector<Status> ended;
    auto done = [&](const Job&, const Outcome& outcome) { ended.push_back(outcome.status); };
    auto job = [](const char* role) { return Job{role, "", "", false, 0}; };
    runjobs({job("waits"), job("gives")}, 2, work, done);
    runjobs({job("none"), job("none")}, 2, work, done);
    EXPECT_EQ(ended, (std::vector<Status>{Status::converted, Status::converted, Status::failed,
                                          Status::failed}));
    EXPECT_EQ(attempts, 4);
}

// In place keeps owner, group, set-id bits, extended attributes and symbolic links; other hard
// links or an owner that cannot be kept refuse the file.
TEST(Faults, InPlaceKeepsWhatTheFileWas) {
    TempDir dir;
    const std::string original = decorated(samples(400)), converted = canonical(samples(400));
    std::string owned = dir.write("owned.wav", original), target = dir.write("t.wav", original);
    std::string link = dir.path("link.wav"), linked = dir.write("linked.wav", original);
    const bool root = geteuid() == 0;
    ASSERT_EQ(root ? chown(owned.c_str(), nobody, nobody) + chmod(owned.c_str(), 04750) : 0, 0);
    const bool xattrs = setxattr(owned.c_str(), "user.sonorm", "kept", 4, 0) == 0;
    ASSERT_EQ(symlink(target.c_str(), link.c_str()) + ::link(linked.c_str(), dir.path("2").c_str()),
              0);
    uselocale("C");
    ProcessResult r = runtool({"-q", "--in-place", owned, link, linked});
    EXPECT_EQ(r.err, linked + ": has 1 other hard link(s), not rewritten (--split-links rewrites "
                              "it apart from them)\n");
    struct stat info {};
    ASSERT_EQ(stat(owned.c_str(), &info), 0);
    EXPECT_EQ(readfile(owned) + readfile(target) + readfile(linked),
              converted + converted + original);
    EXPECT_EQ(root ? info.st_uid + info.st_gid + (info.st_mode & 07777) : 2 * nobody + 04750,
              2 * nobody + 04750);
    char value[8] = "kept";
    EXPECT_EQ(xattrs ? getxattr(owned.c_str(), "user.sonorm", value, sizeof value) : 4, 4);
    EXPECT_EQ(std::string(value), "kept");
    EXPECT_TRUE(lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode));
    EXPECT_EQ(runtool({"-q", "--in-place", "--split-links", linked}).status + r.status, 1);
    EXPECT_EQ(readfile(linked) + readfile(dir.path("2")), converted + original);
    // As another user, in a folder open to all, on a file that user may write but not own;
    // the tool copied where that user may run it.
    std::string tool = dir.path("sonorm-cli"), other = dir.write("other.wav", original);
    ASSERT_TRUE(chmod(dir.path().c_str(), 0777) == 0 && fs::copy_file(toolpath(), tool));
    auto asnobody = [] { return setgid(nobody) == 0 && setuid(nobody) == 0; };
    EXPECT_EQ(root ? run({"-q", "--in-place", other}, asnobody, "/dev/null", nullptr, false, tool)
                   : 1,
              1);
    EXPECT_EQ(readfile(other), original);
    EXPECT_EQ(temporaries(dir, ""), 0u);
}

// The first of LC_ALL, LC_MESSAGES and LANG that is set decides; "ja" means Japanese.
TEST(Faults, LocaleVariablesInTheirOrder) {
    const std::vector<std::tuple<const char*, const char*, const char*, Language>> cases = {
        {"", "", "ja_JP.UTF-8", Language::japanese},
        {"", "C", "ja_JP.UTF-8", Language::english},
        {"ja", "C", "", Language::japanese},
        {"jv_ID", "ja_JP", "", Language::english},
        {"", "", "", Language::english}};
    for (const auto& [all, messages, lang, expected] : cases) {
        setenv("LC_ALL", all, 1);
        setenv("LC_MESSAGES", messages, 1);
        setenv("LANG", lang, 1);
        EXPECT_TRUE(userlanguage() == expected) << all << messages << lang;
    }
    unsetenv("LC_MESSAGES");
}

} // namespace
