// Faults reached for real through what only POSIX has: signals, resource limits, closed pipes,
// owners, links and extended attributes.
#include "FileSystem.h"
#include "PlatformExpect.h"
#include "TempDir.h"
#include "TestPlatform.h"
#include "UserLanguage.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <pty.h>
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
const Prepare nostdin = [] { return close(0) == 0; }; // the input then opens as descriptor 0

// The tool (or program) with the default signal dispositions, after prepare() in the child;
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
        if (prepare() && dup2(errfile, 2) >= 0 && dup2(ends[1], 1) >= 0) {
            execv(program.c_str(), const_cast<char* const*>(argv.data()));
        }
        _exit(127);
    }
    close(ends[1]);
    if (whilerunning) {
        whilerunning(pid);
    }
    static char block[1 << 16];
    while (read(ends[0], block, sizeof block) > 0 && !hangup) {
    }
    close(ends[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

std::size_t temporaries(const TempDir& dir, const std::string& folder = "out") {
    std::vector<std::string> names = dir.list(folder);
    return std::count_if(names.begin(), names.end(),
                         [](const std::string& name) { return name.rfind(".sonorm-", 0) == 0; });
}

// Each run under one fault. An interrupted run ends with 128 + the signal and leaves no temporary
// file; a killed one leaves one, which the next run removes unless its owner is alive. A failed
// write keeps the older batch output, or in the single form what was written. The longest names
// work; a stream's progress line is drawn on a terminal only, and cleared.
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
                EXPECT_EQ(runtool(small).status, 0);
                EXPECT_EQ(temporaries(dir), 1u); // its owner lives
                kill(pid, SIGTERM);
                kill(pid, SIGCONT);
            }
        };
        EXPECT_EQ(run(args, prepare, text ? err : ttyname(side), during, fault == SIGPIPE), status);
        EXPECT_EQ(text.value_or(""), text ? readfile(err) : "") << fault;
        EXPECT_EQ(temporaries(dir), fault == SIGKILL ? 1u : 0u) << fault;
        if (fault == SIGKILL) {
            EXPECT_EQ(runtool(small).status, 0);
            EXPECT_EQ(temporaries(dir), 0u);
        }
    }
    EXPECT_EQ(readfile(older), "older");
    EXPECT_EQ(readfile(single), canonical(data).substr(0, 1000));
    EXPECT_EQ(readfile(dir.path("fd0.wav")), canonical(data));
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
}

class InPlace : public ::testing::Test {
protected:
    void SetUp() override { uselocale("C"); }
    TempDir dir;
    const std::string original = decorated(samples(400)), converted = canonical(samples(400));
};

// A symbolic link stays a link and the file it points to is rewritten; a file with other hard
// links is refused unless --split-links gives only this name the new file.
TEST_F(InPlace, KeepsLinks) {
    std::string target = dir.write("t.wav", original), link = dir.path("link.wav");
    std::string linked = dir.write("linked.wav", original), other = dir.path("2");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    ASSERT_EQ(::link(linked.c_str(), other.c_str()), 0);
    EXPECT_EQ(runtool({"-q", "--in-place", link, linked}),
              (ProcessResult{1, "",
                             linked + ": has 1 other hard link(s), not rewritten (--split-links "
                                      "rewrites it apart from them)\n"}));
    EXPECT_EQ(readfile(target), converted);
    EXPECT_EQ(readfile(linked), original);
    struct stat info {};
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(runtool({"-q", "--in-place", "--split-links", linked}).status, 0);
    EXPECT_EQ(readfile(linked), converted);
    EXPECT_EQ(readfile(other), original);
}

// Owner, group and set-id bits are kept. A file whose owner cannot be kept is refused: as
// another user, in a folder open to all, on a file that user may write but not own (the tool
// copied where that user may run it).
TEST_F(InPlace, KeepsTheOwnerOrRefusesTheFile) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root: only root gives a file to another owner";
    }
    std::string owned = dir.write("owned.wav", original), tool = dir.path("sonorm-cli");
    std::string other = dir.write("other.wav", original);
    ASSERT_EQ(chown(owned.c_str(), nobody, nobody), 0);
    ASSERT_EQ(chmod(owned.c_str(), 04750), 0);
    EXPECT_EQ(runtool({"-q", "--in-place", owned}), (ProcessResult{0, "", ""}));
    EXPECT_EQ(readfile(owned), converted);
    struct stat info {};
    ASSERT_EQ(stat(owned.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, nobody);
    EXPECT_EQ(info.st_gid, nobody);
    EXPECT_EQ(info.st_mode & 07777, 04750u);
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    ASSERT_TRUE(fs::copy_file(toolpath(), tool));
    auto asnobody = [] { return setgid(nobody) == 0 && setuid(nobody) == 0; };
    EXPECT_EQ(run({"-q", "--in-place", other}, asnobody, "/dev/null", nullptr, false, tool), 1);
    EXPECT_EQ(readfile(other), original);
    EXPECT_EQ(temporaries(dir, ""), 0u);
}

// Extended attributes (ACLs among them) stay with the rewritten file.
TEST_F(InPlace, KeepsExtendedAttributes) {
    std::string file = dir.write("x.wav", original);
    if (setxattr(file.c_str(), "user.sonorm", "kept", 4, 0) != 0) {
        GTEST_SKIP() << "the file system of " << dir.path()
                     << " takes no user extended attributes: " << std::strerror(errno);
    }
    EXPECT_EQ(runtool({"-q", "--in-place", file}), (ProcessResult{0, "", ""}));
    EXPECT_EQ(readfile(file), converted);
    char value[8] = {};
    EXPECT_EQ(getxattr(file.c_str(), "user.sonorm", value, sizeof value), 4);
    EXPECT_EQ(std::string(value), "kept");
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
