// Faults reached for real through what only POSIX has: signals, resource limits, closed pipes,
// owners, links and extended attributes. The tool's signal dispositions are the defaults.
#include "Messages.h"
#include "PlatformExpect.h"
#include "ReportText.h"
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
constexpr rlim_t hugestack = rlim_t{1} << 45;

// The tool with a resource limit, stdout to out (-1: nowhere) and stderr to errfile.
pid_t starttool(const std::vector<std::string>& args, int resource = -1, rlim_t limit = 0,
                int out = -1, const std::string& errfile = "/dev/null") {
    std::string tool = toolpath();
    std::vector<char*> argv = {&tool[0]};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGPIPE, SIG_DFL);
        rlimit value{limit, limit};
        int err = open(errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if ((resource >= 0 && setrlimit(resource, &value) != 0) ||
            dup2(out >= 0 ? out : open("/dev/null", O_WRONLY), 1) < 0 || dup2(err, 2) < 0) {
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

std::vector<std::string> temporaries(const TempDir& dir, const std::string& folder) {
    std::vector<std::string> found;
    for (const std::string& name :
         fileexists(dir.path(folder)) ? dir.list(folder) : std::vector<std::string>()) {
        if (name.rfind(".sonorm-", 0) == 0) {
            found.push_back(name);
        }
    }
    return found;
}

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
std::string bigwav(const TempDir& dir, const std::string& name, std::uint32_t size = 768u << 20) {
    return dir.writesparse(name, {{0, riffwave(pcmfmt() + header("data", size), size + 36)},
                                  {44 + std::uint64_t{size} - 4, "end."}});
}

// Interrupted runs end with 128 + the signal and leave no temporary file, also where the
// default thread stack would be too big to map; a run killed outright leaves one, which the
// next run in that folder removes, while the temporary file of a run still alive stays.
TEST(Faults, InterruptsRemoveTemporaryFiles) {
    TempDir dir;
    std::string big = bigwav(dir, "big.wav");
    const std::pair<int, rlim_t> cases[] = {
        {SIGINT, 0}, {SIGTERM, 0}, {SIGHUP, 0}, {SIGTERM, hugestack}, {SIGKILL, 0}};
    for (const auto& [signal, stack] : cases) {
        pid_t pid = starttool({"-o", dir.path("out"), big}, stack ? RLIMIT_STACK : -1, stack);
        ASSERT_TRUE(waitfortemporary(pid, dir, "out"));
        kill(pid, signal);
        EXPECT_EQ(waitstatus(pid), signal == SIGKILL ? 1000 + SIGKILL : 128 + signal);
        EXPECT_EQ(temporaries(dir, "out").size(), signal == SIGKILL ? 1u : 0u) << signal;
    }
    std::string small = dir.write("small.wav", decorated(samples(100)));
    EXPECT_EQ(runtool({"-q", "-o", dir.path("out"), small}).status, 0);
    EXPECT_EQ(dir.list("out"), std::vector<std::string>{"small.wav"});
    pid_t stopped = starttool({"-o", dir.path("out"), big});
    ASSERT_TRUE(waitfortemporary(stopped, dir, "out"));
    kill(stopped, SIGSTOP);
    std::vector<std::string> alive = temporaries(dir, "out");
    EXPECT_EQ(runtool({"-q", "-o", dir.path("out"), small}).status, 0);
    EXPECT_EQ(temporaries(dir, "out"), alive);
    kill(stopped, SIGTERM);
    kill(stopped, SIGCONT);
    EXPECT_EQ(waitstatus(stopped), 128 + SIGTERM);
    EXPECT_EQ(temporaries(dir, "out").size(), 0u);
}

// A write beyond the file-size limit or into a pipe whose reader went is reported (exit 1,
// the engine's report or the stream's text), not fatal; a batch keeps the older output.
TEST(Faults, FailedWritesAreReportedNotFatal) {
    TempDir dir;
    uselocale("C");
    const std::string data = samples(300000);
    std::string in = dir.write("in.wav", decorated(data));
    dir.folder("out");
    std::string older = dir.write("out/in.wav", "older");
    EXPECT_EQ(waitstatus(starttool({"-o", dir.path("out"), in}, RLIMIT_FSIZE, 50000)), 1);
    EXPECT_EQ(dir.list("out"), std::vector<std::string>{"in.wav"});
    EXPECT_EQ(readfile(older), "older");
    std::string out = dir.path("single.wav");
    EXPECT_EQ(waitstatus(starttool({in, out}, RLIMIT_FSIZE, 1000, -1, dir.path("err"))), 1);
    EXPECT_EQ(readfile(dir.path("err")),
              platform::systemtext(EFBIG) + " [1,5,1," + std::to_string(EFBIG) + "]\n");
    EXPECT_EQ(readfile(out), canonical(data).substr(0, 1000)); // the partial output stays
    for (const std::string output : {"/dev/stdout", "-"}) {
        int ends[2];
        ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
        pid_t pid = starttool({in, output}, -1, 0, ends[1], dir.path("err"));
        close(ends[1]);
        char bytes[100];
        std::size_t got = 0;
        for (ssize_t n = 1; got < sizeof bytes && n > 0; got += static_cast<std::size_t>(n)) {
            n = std::max<ssize_t>(read(ends[0], bytes + got, sizeof bytes - got), 0);
        }
        EXPECT_EQ(got, sizeof bytes); // the data is flowing when the reader goes
        close(ends[0]);
        EXPECT_EQ(waitstatus(pid), 1);
        EXPECT_EQ(readfile(dir.path("err")),
                  output == "-"
                      ? say(Message::stdoutfailed, {platform::systemtext(EPIPE)}) + "\n"
                      : platform::systemtext(EPIPE) + " [1,5,1," + std::to_string(EPIPE) + "]\n");
    }
}

// In place keeps owner, group, set-id bits, extended attributes; it rewrites the file behind a
// symbolic link and leaves the link; a file with other hard links is refused unless asked.
TEST(Faults, InPlaceKeepsWhatTheFileWas) {
    TempDir dir;
    const std::string original = decorated(samples(400));
    const std::string converted = canonical(samples(400));
    std::string owned = dir.write("owned.wav", original);
    bool root = geteuid() == 0;
    uselocale("C");
    if (root) {
        ASSERT_EQ(chown(owned.c_str(), nobody, nobody) + chmod(owned.c_str(), 04750), 0);
    }
    bool xattrs = setxattr(owned.c_str(), "user.sonorm", "kept", 4, 0) == 0;
    std::string target = dir.write("target.wav", original);
    std::string link = dir.path("link.wav");
    std::string linked = dir.write("linked.wav", original);
    std::string second = dir.path("second.wav");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()) + ::link(linked.c_str(), second.c_str()), 0);
    ProcessResult r = runtool({"-q", "--in-place", owned, link, linked});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, linked + ": " + say(Message::otherlinks, {"1"}) + "\n");
    struct stat info {};
    ASSERT_EQ(stat(owned.c_str(), &info), 0);
    EXPECT_EQ(readfile(owned), converted);
    if (root) {
        EXPECT_EQ(info.st_uid + info.st_gid, 2 * nobody);
        EXPECT_EQ(info.st_mode & 07777, 04750u);
    }
    char value[8] = {};
    EXPECT_EQ(xattrs ? getxattr(owned.c_str(), "user.sonorm", value, sizeof value) : 4, 4);
    EXPECT_EQ(std::string(xattrs ? value : "kept"), "kept");
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(readfile(target), converted);
    EXPECT_EQ(readfile(linked), original);
    EXPECT_EQ(runtool({"-q", "--in-place", "--split-links", linked}).status, 0);
    EXPECT_EQ(readfile(linked) + readfile(second), converted + original);
}

// A file nobody else may own: refused, untouched, when its owner cannot be kept.
TEST(Faults, InPlaceRefusesWhenTheOwnerCannotBeKept) {
    TempDir dir;
    const std::string original = decorated(samples(40));
    std::string file = dir.write("theirs.wav", original);
    constexpr int cannotrun = 77;
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() != 0 || chmod(dir.path().c_str(), 0777) != 0 ||
            chmod(file.c_str(), 0666) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0 ||
            access(toolpath().c_str(), X_OK) != 0) {
            _exit(cannotrun);
        }
        _exit(runtool({"-q", "--in-place", file}).status);
    }
    int status = waitstatus(pid);
    if (status == cannotrun) {
        GTEST_SKIP() << "needs root and a tool within reach of another user";
    }
    EXPECT_EQ(status, 1);
    EXPECT_EQ(readfile(file), original);
    EXPECT_EQ(temporaries(dir, "").size(), 0u);
}

// Threads that cannot be made (their stacks do not fit) mean fewer workers, not an abort; a
// name as long as the system allows works in every mode (temporary names stay short).
TEST(Faults, JobsWithoutThreadsAndLongestNames) {
    TempDir dir;
    const std::string name = std::string(255 - 4, 'n') + ".wav";
    std::vector<std::string> args = {"-j", "99999999", "-o", dir.path("out")};
    for (int i = 0; i < 4; ++i) {
        args.push_back(dir.write(std::to_string(i) + name.substr(1), decorated(samples(100, i))));
    }
    EXPECT_EQ(waitstatus(starttool(args, RLIMIT_STACK, hugestack)), 0);
    EXPECT_EQ(dir.list("out").size(), 4u);
    EXPECT_EQ(readfile(dir.path("out/3" + name.substr(1))), canonical(samples(100, 3)));
    EXPECT_EQ(runtool({"-q", "--in-place", args[4]}).status, 0);
    EXPECT_EQ(readfile(args[4]), canonical(samples(100, 0)));
}

// A run that takes a while draws no progress line when stderr is not a terminal.
TEST(Faults, NoProgressLineOffATerminal) {
    TempDir dir;
    ProcessResult r = runtool({"-o", dir.path("out"), bigwav(dir, "big.wav", 256u << 20)});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.find('\r'), std::string::npos);
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

} // namespace
