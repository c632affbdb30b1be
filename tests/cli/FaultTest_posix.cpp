// What a rewrite keeps and what an interrupted or constrained run leaves behind, reached for
// real: ownership, links, extended attributes, signals, resource limits, long names.
#include "TempDir.h"
#include "TestPlatform.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

using namespace wav;

namespace {

constexpr uid_t nobody = 65534;

// The tool started with a resource limit set in the child; its output goes nowhere.
pid_t starttool(const std::vector<std::string>& args, int resource = -1, rlim_t limit = 0) {
    std::string tool = toolpath();
    std::vector<char*> argv = {&tool[0]};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        rlimit value{limit, limit};
        int null = open("/dev/null", O_WRONLY);
        if ((resource >= 0 && setrlimit(resource, &value) != 0) || dup2(null, 1) < 0 ||
            dup2(null, 2) < 0) {
            _exit(127);
        }
        execv(tool.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

// The exit status, or 1000 + the signal that ended the process.
int waitstatus(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

std::vector<std::string> temporaries(const TempDir& dir, const std::string& folder = "") {
    std::vector<std::string> found;
    for (const std::string& name :
         fileexists(dir.path(folder)) ? dir.list(folder) : std::vector<std::string>()) {
        if (name.rfind(".sonorm-", 0) == 0) {
            found.push_back(name);
        }
    }
    return found;
}

// Waits until the run has a temporary file in folder; false when it ended first.
bool waitfortemporary(pid_t pid, const TempDir& dir, const std::string& folder) {
    while (temporaries(dir, folder).empty()) {
        if (waitpid(pid, nullptr, WNOHANG) != 0) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A file whose sample data takes a while to copy (sparse, so it costs no disk).
std::string bigwav(const TempDir& dir, const std::string& name,
                   std::uint32_t datasize = 768u << 20) {
    return dir.writesparse(name, {{0, riffwave(pcmfmt() + header("data", datasize), datasize + 36)},
                                  {44 + std::uint64_t{datasize} - 4, "end."}});
}

// Interrupted runs end with 128 + the signal and leave no temporary file, also where the
// default thread stack would be too big to map; a run killed outright leaves one, which the
// next run in that folder removes, while the temporary file of a run still alive stays.
TEST(Faults, InterruptsRemoveTemporaryFiles) {
    TempDir dir;
    std::string big = bigwav(dir, "big.wav");
    constexpr rlim_t hugestack = rlim_t{1} << 45;
    const std::pair<int, rlim_t> cases[] = {
        {SIGINT, 0}, {SIGTERM, 0}, {SIGHUP, 0}, {SIGTERM, hugestack}, {SIGKILL, 0}};
    for (const auto& [signal, stack] : cases) {
        SCOPED_TRACE(signal);
        pid_t pid = stack != 0 ? starttool({"-o", dir.path("out"), big}, RLIMIT_STACK, stack)
                               : starttool({"-o", dir.path("out"), big});
        ASSERT_TRUE(waitfortemporary(pid, dir, "out"));
        kill(pid, signal);
        EXPECT_EQ(waitstatus(pid), signal == SIGKILL ? 1000 + SIGKILL : 128 + signal);
        EXPECT_EQ(temporaries(dir, "out").size(), signal == SIGKILL ? 1u : 0u);
    }
    std::string small = dir.write("small.wav", decorated(samples(100)));
    EXPECT_EQ(runtool({"-q", "-o", dir.path("out"), small}).status, 0);
    EXPECT_EQ(dir.list("out"), std::vector<std::string>{"small.wav"});
    pid_t stopped = starttool({"-o", dir.path("out"), big});
    ASSERT_TRUE(waitfortemporary(stopped, dir, "out"));
    kill(stopped, SIGSTOP);
    std::vector<std::string> alive = temporaries(dir, "out");
    EXPECT_EQ(runtool({"-q", "-o", dir.path("out/sub"), small}).status, 0);
    EXPECT_EQ(runtool({"-q", "-o", dir.path("out"), small}).status, 0);
    EXPECT_EQ(temporaries(dir, "out"), alive);
    kill(stopped, SIGTERM);
    kill(stopped, SIGCONT);
    EXPECT_EQ(waitstatus(stopped), 128 + SIGTERM);
    EXPECT_EQ(temporaries(dir, "out").size(), 0u);
}

// A run that takes a while draws no progress line when stderr is not a terminal.
TEST(Faults, NoProgressLineOffATerminal) {
    TempDir dir;
    ProcessResult r = runtool({"-o", dir.path("out"), bigwav(dir, "big.wav", 256u << 20)});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.find('\r'), std::string::npos);
    EXPECT_EQ(r.err.rfind("sonorm-cli: ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

// In place keeps owner, group, set-id bits, extended attributes; it rewrites the file behind a
// symbolic link and leaves the link; a file with other hard links is refused unless asked.
TEST(Faults, InPlaceKeepsWhatTheFileWas) {
    TempDir dir;
    const std::string original = decorated(samples(400));
    const std::string converted = canonical(samples(400));
    std::string owned = dir.write("owned.wav", original);
    bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(owned.c_str(), nobody, nobody), 0);
        ASSERT_EQ(chmod(owned.c_str(), 04750), 0);
    }
    bool xattrs = setxattr(owned.c_str(), "user.sonorm", "kept", 4, 0) == 0;
    std::string target = dir.write("target.wav", original);
    std::string link = dir.path("link.wav");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    std::string linked = dir.write("linked.wav", original);
    std::string second = dir.path("second.wav");
    ASSERT_EQ(::link(linked.c_str(), second.c_str()), 0);

    ProcessResult r = runtool({"-q", "--in-place", owned, link, linked});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(linked + ": has 1 other hard link(s), not rewritten"), std::string::npos)
        << r.err;
    struct stat info {};
    ASSERT_EQ(stat(owned.c_str(), &info), 0);
    EXPECT_EQ(readfile(owned), converted);
    if (root) {
        EXPECT_EQ(info.st_uid, nobody);
        EXPECT_EQ(info.st_gid, nobody);
        EXPECT_EQ(info.st_mode & 07777, 04750u);
    }
    char value[8] = {};
    if (xattrs) {
        EXPECT_EQ(getxattr(owned.c_str(), "user.sonorm", value, sizeof value), 4);
        EXPECT_EQ(std::string(value), "kept");
    }
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(readfile(target), converted);
    EXPECT_EQ(readfile(linked), original);

    r = runtool({"-q", "--in-place", "--split-links", linked});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readfile(linked), converted);
    EXPECT_EQ(readfile(second), original);
}

// A file nobody else may own: refused, untouched, when its owner cannot be kept.
TEST(Faults, InPlaceRefusesWhenTheOwnerCannotBeKept) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to hand a file to another user";
    }
    TempDir dir;
    const std::string original = decorated(samples(40));
    std::string file = dir.write("theirs.wav", original);
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    ASSERT_EQ(chmod(file.c_str(), 0666), 0);
    constexpr int cannotrun = 77;
    pid_t pid = fork();
    if (pid == 0) {
        if (setgid(nobody) != 0 || setuid(nobody) != 0 || access(toolpath().c_str(), X_OK) != 0) {
            _exit(cannotrun);
        }
        _exit(runtool({"-q", "--in-place", file}).status);
    }
    int status = waitstatus(pid);
    if (status == cannotrun) {
        GTEST_SKIP() << "the tool is out of reach of another user here";
    }
    EXPECT_EQ(status, 1);
    EXPECT_EQ(readfile(file), original);
    EXPECT_EQ(temporaries(dir).size(), 0u);
}

// Threads that cannot be made (their stacks do not fit) mean fewer workers, not an abort.
TEST(Faults, JobsWithoutThreadsStillRun) {
    TempDir dir;
    std::vector<std::string> args = {"-j", "99999999", "-o", dir.path("out")};
    for (int i = 0; i < 4; ++i) {
        args.push_back(dir.write("f" + std::to_string(i) + ".wav", decorated(samples(100, i))));
    }
    constexpr rlim_t hugestack = rlim_t{1} << 45;
    EXPECT_EQ(waitstatus(starttool(args, RLIMIT_STACK, hugestack)), 0);
    EXPECT_EQ(dir.list("out").size(), 4u);
    EXPECT_EQ(readfile(dir.path("out/f3.wav")), canonical(samples(100, 3)));
}

// A write that fails (beyond the file-size limit) leaves the older output and no temporary.
TEST(Faults, FailedWriteKeepsTheOlderOutput) {
    TempDir dir;
    std::string input = dir.write("in.wav", decorated(samples(100000)));
    dir.folder("out");
    std::string older = dir.write("out/in.wav", "older");
    EXPECT_EQ(waitstatus(starttool({"-o", dir.path("out"), input}, RLIMIT_FSIZE, 50000)), 1);
    EXPECT_EQ(readfile(older), "older");
    EXPECT_EQ(dir.list("out"), std::vector<std::string>{"in.wav"});
}

// Names as long as the system allows work in every mode: temporary names stay short.
TEST(Faults, LongestNamesWorkInEveryMode) {
    TempDir dir;
    const std::string name = std::string(255 - 4, 'n') + ".wav";
    std::string file = dir.write(name, decorated(samples(100)));
    EXPECT_EQ(runtool({file, dir.path("single.wav")}).status, 0);
    ProcessResult r = runtool({"-q", "-o", dir.path("out"), file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readfile(dir.path("out/" + name)), canonical(samples(100)));
    r = runtool({"-q", "--in-place", file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readfile(file), canonical(samples(100)));
}

} // namespace
