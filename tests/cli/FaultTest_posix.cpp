// Faults reached for real through what only POSIX has: signals, resource limits, closed pipes,
// owners, links and extended attributes; the tool starts with the default signal dispositions.
#include "FileSystem.h"
#include "Messages.h"
#include "PlatformExpect.h"
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
#include <pty.h>
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

// The tool under a resource limit, stdout to out, stderr to the file err; its exit status, or
// 1000 + the signal that ended it, once whilerunning(pid) has returned.
int runlimited(const std::vector<std::string>& args, int resource = RLIMIT_CORE, rlim_t limit = 0,
               int out = -1, const std::string& err = "/dev/null",
               const std::function<void(pid_t)>& whilerunning = nullptr) {
    std::vector<const char*> argv = {"sonorm-cli"};
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGPIPE, SIG_DFL);
        rlimit value{limit, limit};
        int errfile = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (setrlimit(resource, &value) != 0 || dup2(errfile, 2) < 0 ||
            dup2(out >= 0 ? out : open("/dev/null", O_WRONLY), 1) < 0) {
            _exit(127);
        }
        execv(toolpath().c_str(), const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    if (whilerunning) {
        whilerunning(pid);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

// The temporary files in folder.
std::size_t temporaries(const TempDir& dir, const std::string& folder = "out") {
    std::vector<std::string> names = dir.list(folder);
    return std::count_if(names.begin(), names.end(),
                         [](const std::string& name) { return name.rfind(".sonorm-", 0) == 0; });
}

// Interrupted runs end with 128 + the signal and leave no temporary file, also where the
// default thread stack would be too big to map; a run killed outright leaves one, which the
// next run in that folder removes, while the temporary file of a run still alive stays.
TEST(Faults, InterruptsRemoveTemporaryFiles) {
    TempDir dir;
    uselocale("C");
    dir.folder("out");
    constexpr std::uint32_t size = 768u << 20; // sparse: it costs no disk, it takes a while
    std::string big =
        dir.writesparse("big.wav", {{0, riffwave(pcmfmt() + header("data", size), size + 36)},
                                    {44 + std::uint64_t{size} - 4, "end."}});
    const std::vector<std::string> small = {"-q", "-o", dir.path("out"),
                                            dir.write("s.wav", decorated(samples(9)))};
    const std::pair<int, rlim_t> cases[] = {{SIGINT, 0},          {SIGTERM, 0}, {SIGHUP, 0},
                                            {SIGTERM, hugestack}, {SIGKILL, 0}, {SIGSTOP, 0}};
    for (const auto& [signal, stack] : cases) {
        auto interrupt = [&, signal = signal](pid_t pid) {
            while (temporaries(dir) == 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            kill(pid, signal);
            if (signal == SIGSTOP) { // a run still alive keeps its temporary file
                EXPECT_EQ(runtool(small).status + temporaries(dir), 1u);
                kill(pid, SIGTERM);
                kill(pid, SIGCONT);
            }
        };
        int status = runlimited({"-o", dir.path("out"), big}, stack ? RLIMIT_STACK : RLIMIT_CORE,
                                stack, -1, "/dev/null", interrupt);
        EXPECT_EQ(status, signal == SIGKILL ? 1000 + SIGKILL
                                            : 128 + (signal == SIGSTOP ? SIGTERM : signal));
        EXPECT_EQ(temporaries(dir), signal == SIGKILL ? 1u : 0u) << signal;
        if (signal == SIGKILL) {
            EXPECT_EQ(runtool(small).status, 0);
            EXPECT_EQ(dir.list("out"), std::vector<std::string>{"s.wav"});
        }
    }
    // A long run draws no progress line when stderr is not a terminal; on one it does, and
    // clears it at the end.
    EXPECT_EQ(runlimited({big, "-"}, RLIMIT_CORE, 0, -1, dir.path("err")), 0);
    EXPECT_EQ(readfile(dir.path("err")), "");
    int terminal = -1, side = -1, ends[2];
    ASSERT_EQ(openpty(&terminal, &side, nullptr, nullptr, nullptr) + pipe2(ends, O_CLOEXEC), 0);
    EXPECT_EQ(runlimited({big, "-"}, RLIMIT_CORE, 0, ends[1], ttyname(side),
                         [&](pid_t) {
                             std::vector<char> block(1 << 20);
                             // The run outlasts the redraw interval: it waits for this reader.
                             close(ends[1]);
                             std::this_thread::sleep_for(std::chrono::milliseconds(500));
                             while (read(ends[0], block.data(), block.size()) > 0) {
                             }
                             close(ends[0]);
                         }),
              0);
    char drawn[4096] = {};
    fcntl(terminal, F_SETFL, O_NONBLOCK);
    std::string shown(drawn, std::max<ssize_t>(read(terminal, drawn, sizeof drawn - 1), 0));
    EXPECT_NE(shown.find(" MiB of 768.0 MiB, "), std::string::npos) << shown;
    EXPECT_EQ(shown.find("files"), std::string::npos) << shown; // one file: no count
    std::size_t last = shown.rfind('\r', shown.size() - 2);     // the line cleared
    EXPECT_EQ(shown.substr(last), "\r" + std::string(shown.size() - last - 2, ' ') + "\r");
    close(terminal);
    close(side);
}

// A write beyond the file-size limit or into a pipe whose reader went is reported (exit 1,
// the engine's report or the stream's text), not fatal; a batch keeps the older output.
TEST(Faults, FailedWritesAreReportedNotFatal) {
    TempDir dir;
    uselocale("C");
    const std::string data = samples(300000), err = dir.path("err");
    std::string in = dir.write("in.wav", decorated(data)), out = dir.path("single.wav");
    dir.folder("out");
    std::string older = dir.write("out/in.wav", "older");
    EXPECT_EQ(runlimited({"-o", dir.path("out"), in}, RLIMIT_FSIZE, 50000), 1);
    EXPECT_EQ(dir.list("out").size() + readfile(older).size(), 6u); // no temporary file left
    EXPECT_EQ(runlimited({in, out}, RLIMIT_FSIZE, 1000, -1, err), 1);
    EXPECT_EQ(readfile(err),
              platform::systemtext(EFBIG) + " [1,5,1," + std::to_string(EFBIG) + "]\n");
    EXPECT_EQ(readfile(out), canonical(data).substr(0, 1000)); // the partial output stays
    for (const std::string output : {"/dev/stdout", "-"}) {
        int ends[2];
        ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
        int status = runlimited({in, output}, RLIMIT_CORE, 0, ends[1], err, [&](pid_t) {
            close(ends[1]);
            char bytes[100]; // the data is flowing when the reader goes
            for (ssize_t got = 0, n = 1; got < 100 && n > 0; got += n) {
                n = read(ends[0], bytes, sizeof bytes - got);
            }
            close(ends[0]);
        });
        EXPECT_EQ(status, 1);
        EXPECT_EQ(readfile(err), output == "-" ? "standard output: Broken pipe\n"
                                               : platform::systemtext(EPIPE) + " [1,5,1," +
                                                     std::to_string(EPIPE) + "]\n");
    }
}

// In place keeps owner, group, set-id bits, extended attributes; it rewrites the file behind a
// symbolic link and leaves the link; a file with other hard links is refused unless asked; a
// file whose owner cannot be kept is refused, untouched.
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
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        if (root && setgid(nobody) == 0 && setuid(nobody) == 0 && dup2(null, 2) >= 0) {
            execl(tool.c_str(), tool.c_str(), "-q", "--in-place", other.c_str(), nullptr);
        }
        _exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(readfile(dir.path("other.wav")), original);
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

// Threads that cannot be made (their stacks do not fit) mean fewer workers, not an abort; a
// name as long as the system allows works in every mode (temporary names stay short).
TEST(Faults, JobsWithoutThreadsAndLongestNames) {
    TempDir dir;
    const std::string name = std::string(255 - 5, 'n') + ".wav";
    std::vector<std::string> args = {"-j", "99999999", "-o", dir.path("out")};
    for (int i = 0; i < 4; ++i) {
        args.push_back(dir.write(std::to_string(i) + name, decorated(samples(100, i))));
    }
    EXPECT_EQ(runlimited(args, RLIMIT_STACK, hugestack), 0);
    EXPECT_EQ(readfile(dir.path("out/3" + name)), canonical(samples(100, 3)));
    EXPECT_EQ(dir.list("out").size() + runtool({"-q", "--in-place", args[4]}).status, 4u);
    EXPECT_EQ(readfile(args[4]), canonical(samples(100, 0)));
}

} // namespace
