// Faults reached for real through what only POSIX has: signals, resource limits, closed pipes,
// FIFOs, full devices, owners, links, extended attributes, file systems without unnamed files,
// other users.
#include "FileSystem.h"
#include "Messages.h"
#include "PlatformExpect.h"
#include "Runner.h"
#include "TempDir.h"
#include "TestPlatform.h"
#include "UserLanguage.h"
#include "WavBytes.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <optional>
#include <pty.h>
#include <regex>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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
const Prepare nostdin = [] { return close(0) == 0; }; // the input then opens as descriptor 0
constexpr unsigned tmpfileflag = 020000000;           // the kernel's own O_TMPFILE bit
// A file system as FAT is: no unnamed files (O_TMPFILE fails with EOPNOTSUPP) and no hard links
// (linkat fails with EPERM), through a system-call filter.
const Prepare nounnamed = [] {
    sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_linkat, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])),
        BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, tmpfileflag, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{sizeof code / sizeof code[0], code};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
};
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

const std::string named = "\\.sonorm-[0-9a-f]{16}\\.tmp"; // as the tool names its files

std::size_t temporaries(const TempDir& dir, const std::string& folder = "out") {
    std::vector<std::string> names = dir.list(folder);
    return std::count_if(names.begin(), names.end(), [](const std::string& name) {
        return std::regex_match(name, std::regex(named));
    });
}

// A name as an older tool gave its files: this host's tag (FNV-1a of its name) and a process id
// that no process here has.
std::string oldname(int pid) {
    char host[256] = {}, name[64];
    gethostname(host, sizeof host - 1);
    std::uint32_t hash = 2166136261u;
    for (const char* c = host; *c != 0; ++c) {
        hash = (hash ^ static_cast<unsigned char>(*c)) * 16777619u;
    }
    std::snprintf(name, sizeof name, ".sonorm-%08x-%d-0.tmp", hash, pid);
    return name;
}

// Whether process pid is writing an output into folder: it holds an unnamed file there (shown
// as "#" and its number) or a file lock, as it does on a named one from its making on.
bool writing(pid_t pid, const std::string& folder) {
    std::error_code error;
    for (fs::directory_iterator it("/proc/" + std::to_string(pid) + "/fd", error), end;
         !error && it != end; it.increment(error)) {
        if (fs::read_symlink(it->path(), error).string().rfind(folder + "/#", 0) == 0) {
            return true;
        }
    }
    std::ifstream locks("/proc/locks");
    const std::string held = " FLOCK  ADVISORY  WRITE " + std::to_string(pid) + " ";
    for (std::string line; std::getline(locks, line);) {
        if (line.find(held) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// Each run under one fault. An interrupted run ends with 128 + the signal and leaves no temporary
// file, and an existing OUTPUT of the single form byte for byte; a killed one leaves only a named
// one (no unnamed files), which the next run removes, but not while its owner lives, nor files
// named alike that are not its user's own, locked, links or no files. A failed write keeps the
// older output. In place, a file that changed while converted is refused and keeps the change.
// A report that cannot be written fails the run. A FIFO is skipped in a walk and refused when
// named in a batch; -j fits the descriptor limit. The longest names work; a stream's progress line
// is drawn on a terminal only, and cleared. Memory stays bounded whatever sizes a file declares.
TEST(Faults, RunsUnderFaults) {
    TempDir dir;
    uselocale("C");
    const std::string out = dir.folder("out");
    constexpr std::uint32_t size = 768u << 20; // sparse: it costs no disk, it takes a while
    auto sparse = [&](const std::string& name, const std::string& extra) {
        const std::uint64_t end = 44 + extra.size() + std::uint64_t{size};
        return dir.writesparse(
            name, {{0, riffwave(pcmfmt() + extra + header("data", size), std::uint32_t(end - 8))},
                   {end - 4, "end."}});
    };
    const std::string big = sparse("big.wav", ""), song = sparse("out/song.wav", fact(1));
    const std::string data = samples(300000), err = dir.path("err"), name(255 - 5, 'n');
    std::string in = dir.write("in.wav", decorated(data)), existing = dir.write("out/e", "kept");
    std::string older = dir.write("out/in.wav", "older"),
                fat = dir.write("out/f.wav", readfile(in));
    const Args small = {"-q", "-o", out, dir.write("s.wav", decorated(samples(9)))};
    Args longest = {"-q", "-j", "99999999", "-o", out};
    for (int i = 0; i < 4; ++i) {
        longest.push_back(dir.write(std::to_string(i) + name + ".wav", decorated(samples(100, i))));
    }
    // Look-alikes: another user's, one held by a live run in another process-id space, a link
    // and a pipe.
    const bool root = geteuid() == 0;
    ASSERT_EQ(chmod(out.c_str(), 01777), 0);
    Args alike = {dir.write("out/" + oldname(999999998), ""), dir.path("out/.sonorm-link.tmp"),
                  dir.path("out/.sonorm-pipe.tmp")};
    int held = open(alike[0].c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    ASSERT_EQ(symlink(in.c_str(), alike[1].c_str()), 0);
    ASSERT_EQ(mkfifo(alike[2].c_str(), 0600), 0);
    if (root) {
        alike.push_back(dir.write("out/" + oldname(999999999), ""));
        ASSERT_EQ(chown(alike.back().c_str(), nobody, nobody), 0);
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
    // No text expected: stderr is the terminal. SIGCONT: stopped, appended to, continued.
    const std::vector<std::tuple<Args, Prepare, int, int, std::optional<std::string>>> cases = {
        {batch, nocore, SIGINT, 130, ""},
        {{big, existing}, nocore, SIGTERM, 143, ""},
        {batch, nocore, SIGHUP, 129, ""},
        {batch, hugestack, SIGTERM, 143, ""},
        {batch, nocore, SIGKILL, 1009, ""},
        {batch, nounnamed, SIGKILL, 1009, ""},
        {batch, nounnamed, SIGSTOP, 143, ""},
        {{"-q", "--in-place", song},
         nocore,
         SIGCONT,
         1,
         song + ": " + say(Message::changedmeanwhile) + "\n"},
        {{"-q", "--in-place", "--backup", "~", fat}, nounnamed, 0, 0, ""},
        {stream, nocore, 0, 0, ""},
        {stream, nocore, 0, 0, {}},
        {{"-q", "-o", out, in}, limit(RLIMIT_FSIZE, 50000), 0, 1, in + ": " + report(EFBIG)},
        {{in, existing}, limit(RLIMIT_FSIZE, 1000), 0, 1, existing + ": " + report(EFBIG)},
        {{in, "/proc/self/fd/1"}, nocore, SIGPIPE, 1, "/proc/self/fd/1: " + report(EPIPE)},
        {{in, "-"}, nocore, SIGPIPE, 1, "standard output: Broken pipe\n"},
        {longest, hugestack, 0, 0, ""},
        {{in, dir.path("fd0.wav")}, nostdin, 0, 0, ""},
        {{"-r", "-o", dir.path("fifo-out"), fifos},
         bounded,
         0,
         0,
         fifo + ": skipped: is a FIFO, not a regular file: not read\nsonorm-cli: 0 converted, 0 "
                "failed, 1 skipped, 1 already canonical; 52 bytes written in T s\n"},
        {{"-q", "-o", out, fifo},
         bounded,
         0,
         1,
         fifo + ": is a FIFO, not a regular file: not read\n"},
        {{"-q", "-o", out, "/dev/null"},
         nocore,
         0,
         1,
         "/dev/null: is a device, not a regular file: not read\n"},
        {many, limit(RLIMIT_NOFILE, 64), 0, 0, ""},
        {{"--check", in}, full(1), 0, 1, nospace},
        {{"--check", "--json", in}, full(1), 0, 1, nospace},
        {{"-o", dir.path("full"), in}, full(2), 0, 1, ""},
    };
    for (const auto& [args, prepare, fault, status, text] : cases) {
        const bool unnamed = prepare.target_type() != nounnamed.target_type();
        // The reader of a stream comes after the redraw interval, a late one also on SIGPIPE.
        auto during = [&, fault = fault, late = args == stream || fault == SIGPIPE](pid_t pid) {
            if (late) {
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
            }
            if (fault == 0 || fault == SIGPIPE) {
                return;
            }
            while (!writing(pid, out) && waitpid(pid, nullptr, WNOHANG) == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            const bool stop = fault == SIGSTOP || fault == SIGCONT;
            kill(pid, stop ? SIGSTOP : fault);
            if (stop) {
                waitpid(pid, nullptr, WUNTRACED);
            }
            if (fault == SIGSTOP) {
                EXPECT_EQ(runtool(small).status, 0);
                EXPECT_EQ(temporaries(dir), 1u); // its owner lives
                kill(pid, SIGTERM);
            } else if (fault == SIGCONT) {
                std::ofstream(song, std::ios::app) << 'x';
            }
            kill(pid, SIGCONT);
        };
        EXPECT_EQ(run(args, prepare, text ? err : ttyname(side), during, fault == SIGPIPE), status);
        const std::regex time("[0-9]+\\.[0-9]{2} s");
        EXPECT_EQ(text.value_or(""), text ? std::regex_replace(readfile(err), time, "T s") : "")
            << fault;
        EXPECT_EQ(temporaries(dir), fault == SIGKILL && !unnamed ? 1u : 0u) << fault;
        if (fault == SIGKILL) {
            EXPECT_EQ(runtool(small).status, 0);
            EXPECT_EQ(temporaries(dir), 0u);
        }
    }
    for (const std::string& name : alike) {
        EXPECT_TRUE(fs::exists(fs::symlink_status(name))) << name;
    }
    EXPECT_EQ(readfile(older), "older");
    EXPECT_EQ(readfile(existing), "kept");
    EXPECT_EQ(readfile(dir.path("fd0.wav")), canonical(data));
    EXPECT_EQ(readfile(fat), canonical(data));
    EXPECT_EQ(readfile(fat + "~"), decorated(data));
    EXPECT_EQ(filesize(song), 57 + std::uint64_t{size}); // with the appended byte
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
    close(held);
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

// An output written in place of a file (in place, or the single form's existing OUTPUT) keeps
// what that file was.
class Outputs : public ::testing::Test {
protected:
    void SetUp() override { uselocale("C"); }
    ProcessResult rewrite(bool single, const std::string& file) {
        return single ? runtool({input, file}) : runtool({"-q", "--in-place", file});
    }
    TempDir dir;
    const std::string original = decorated(samples(400)), converted = canonical(samples(400));
    const std::string input = dir.write("in.wav", original);
};

// A symbolic link stays a link and the file it points to is rewritten. A file with other hard
// links is refused in place unless --split-links gives only this name the new file; the single
// form writes into it as it is.
TEST_F(Outputs, KeepLinks) {
    const std::string target = dir.path("t.wav"), link = dir.path("link.wav");
    const std::string linked = dir.path("linked.wav"), other = dir.path("2");
    for (const bool single : {false, true}) {
        SCOPED_TRACE(single);
        for (const std::string& name : {target, link, linked, other}) {
            fs::remove(name);
        }
        dir.write("t.wav", original);
        dir.write("linked.wav", original);
        ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
        ASSERT_EQ(::link(linked.c_str(), other.c_str()), 0);
        EXPECT_EQ(rewrite(single, link), (ProcessResult{0, "", ""}));
        const std::string refusal = linked + ": has 1 other hard link, not rewritten "
                                             "(--split-links rewrites it apart from them)\n";
        EXPECT_EQ(rewrite(single, linked),
                  (ProcessResult{single ? 0 : 1, "", single ? "" : refusal}));
        EXPECT_EQ(readfile(target), converted);
        EXPECT_EQ(readfile(other), single ? converted : original);
        struct stat info {};
        ASSERT_EQ(lstat(link.c_str(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode));
    }
    fs::remove(linked);
    dir.write("linked.wav", original);
    ASSERT_EQ(::link(linked.c_str(), dir.path("3").c_str()), 0);
    EXPECT_EQ(runtool({"-q", "--in-place", "--split-links", linked}).status, 0);
    EXPECT_EQ(readfile(linked), converted);
    EXPECT_EQ(readfile(dir.path("3")), original);
}

// Owner, group and set-id bits are kept. As another user, in a folder open to all (the tool
// copied where that user may run it): in place refuses a file whose owner cannot be kept; the
// single form fails onto a read-only file of that user's, which the program could not write
// either, and writes a file of that user's in a folder where it cannot create files as it is.
TEST_F(Outputs, KeepTheOwnerOrRefuseTheFile) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root: only root gives a file to another owner";
    }
    for (const bool single : {false, true}) {
        SCOPED_TRACE(single);
        std::string owned = dir.write("owned.wav", original);
        ASSERT_EQ(chown(owned.c_str(), nobody, nobody), 0);
        ASSERT_EQ(chmod(owned.c_str(), 04750), 0);
        EXPECT_EQ(rewrite(single, owned), (ProcessResult{0, "", ""}));
        EXPECT_EQ(readfile(owned), converted);
        struct stat info {};
        ASSERT_EQ(stat(owned.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, nobody);
        EXPECT_EQ(info.st_gid, nobody);
        EXPECT_EQ(info.st_mode & 07777, 04750u);
    }
    std::string tool = dir.path("sonorm-cli"), other = dir.write("other.wav", original);
    std::string readonly = dir.write("readonly.wav", "kept");
    dir.folder("closed");
    std::string inside = dir.write("closed/out.wav", "");
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    ASSERT_TRUE(fs::copy_file(toolpath(), tool));
    ASSERT_EQ(chown(readonly.c_str(), nobody, nobody), 0);
    ASSERT_EQ(chmod(readonly.c_str(), 0444), 0);
    ASSERT_EQ(chown(inside.c_str(), nobody, nobody), 0);
    auto asnobody = [] { return setgid(nobody) == 0 && setuid(nobody) == 0; };
    EXPECT_EQ(run({"-q", "--in-place", other}, asnobody, "/dev/null", nullptr, false, tool), 1);
    EXPECT_EQ(run({input, readonly}, asnobody, "/dev/null", nullptr, false, tool), 1);
    EXPECT_EQ(run({input, inside}, asnobody, "/dev/null", nullptr, false, tool), 0);
    EXPECT_EQ(readfile(other), original);
    EXPECT_EQ(readfile(readonly), "kept");
    EXPECT_EQ(readfile(inside), converted);
    EXPECT_EQ(temporaries(dir, ""), 0u);
}

// Extended attributes (ACLs among them) stay with the rewritten file.
TEST_F(Outputs, KeepExtendedAttributes) {
    for (const bool single : {false, true}) {
        SCOPED_TRACE(single);
        std::string file = dir.write("x.wav", original);
        if (setxattr(file.c_str(), "user.sonorm", "kept", 4, 0) != 0) {
            GTEST_SKIP() << "the file system of " << dir.path()
                         << " takes no user extended attributes: " << std::strerror(errno);
        }
        EXPECT_EQ(rewrite(single, file), (ProcessResult{0, "", ""}));
        EXPECT_EQ(readfile(file), converted);
        char value[8] = {};
        EXPECT_EQ(getxattr(file.c_str(), "user.sonorm", value, sizeof value), 4);
        EXPECT_EQ(std::string(value), "kept");
    }
}

// Root converting in a folder that another user owns, who renames a symbolic link to a file of
// root's over each temporary name the moment it appears (seen through inotify): whatever the
// runs report, nothing outside the folder changes, with unnamed files or without.
TEST(Faults, NoLinkSwapReachesOutsideTheFolder) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can give the folder to another user";
    }
    TempDir dir;
    const std::string secret = dir.write("secret", "root's"), home = dir.folder("home");
    const std::string input = dir.write("in.wav", decorated(samples(100000)));
    ASSERT_EQ(chmod(secret.c_str(), 0600), 0);
    ASSERT_EQ(chown(home.c_str(), nobody, nobody), 0);
    backdate(secret);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t swapper = fork();
    if (swapper == 0) {
        int watch = inotify_init();
        if (setgid(nobody) != 0 || setuid(nobody) != 0 ||
            inotify_add_watch(watch, home.c_str(), IN_CREATE | IN_MOVED_TO) < 0 ||
            write(ready[1], "", 1) != 1) {
            _exit(1);
        }
        alignas(inotify_event) char events[4096];
        for (ssize_t got; (got = read(watch, events, sizeof events)) > 0;) {
            for (char* at = events; at < events + got;) {
                const auto* event = reinterpret_cast<inotify_event*>(at);
                at += sizeof(inotify_event) + event->len;
                std::string name = event->len != 0 ? event->name : "";
                if (name.rfind(".sonorm-", 0) == 0) {
                    std::string swap = home + "/swap";
                    if (symlink(secret.c_str(), swap.c_str()) == 0 &&
                        rename(swap.c_str(), (home + "/" + name).c_str()) != 0) {
                        unlink(swap.c_str());
                    }
                }
            }
        }
        _exit(0);
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    for (const Prepare& prepare : {nocore, nounnamed}) {
        fs::remove(home + "/song.wav"); // a link the last run may have left
        std::string song = dir.write("home/song.wav", decorated(samples(100000)));
        run({"-q", "--in-place", song}, prepare);
        run({"-q", "--keep-times", "-o", home, input}, prepare);
    }
    kill(swapper, SIGKILL);
    waitpid(swapper, nullptr, 0);
    struct stat info {};
    ASSERT_EQ(stat(secret.c_str(), &info), 0);
    EXPECT_EQ(readfile(secret), "root's");
    EXPECT_EQ(info.st_uid, 0u);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(modtime(secret), backdatedtime());
}

// The first of LC_ALL, LC_MESSAGES and LANG that is set decides by its language code (before
// "_", "." or "@"); "ja" means Japanese.
TEST(Faults, LocaleVariablesInTheirOrder) {
    const std::vector<std::tuple<const char*, const char*, const char*, Language>> cases = {
        {"", "", "ja_JP.UTF-8", Language::japanese},
        {"", "C", "ja_JP.UTF-8", Language::english},
        {"ja", "C", "", Language::japanese},
        {"jv_ID", "ja_JP", "", Language::english},
        {"jam", "", "ja", Language::english},
        {"", "ja@x", "", Language::japanese},
        {"", "", "", Language::english}};
    for (const auto& [all, messages, lang, expected] : cases) {
        setenv("LC_ALL", all, 1);
        setenv("LC_MESSAGES", messages, 1);
        setenv("LANG", lang, 1);
        EXPECT_TRUE(userlanguage() == expected) << all << messages << lang;
    }
    unsetenv("LC_MESSAGES");
}

// A name stays one record: quoted in a text line, with its exact bytes beside its JSON text.
TEST(Faults, NamesStayOneRecord) {
    TempDir dir;
    uselocale("C");
    const std::string lined = dir.write("a\nb.wav", ""), latin = dir.write("\xE9.wav", "");
    EXPECT_EQ(
        runtool({"-q", "--check", lined}).out.rfind("'" + dir.path("a") + "'$'\\n''b.wav': ", 0),
        0u);
    auto json = nlohmann::json::parse(runtool({"--check", "--json", latin}).out);
    EXPECT_EQ(json["file_bytes"], std::vector<unsigned char>(latin.begin(), latin.end()));
}

} // namespace
