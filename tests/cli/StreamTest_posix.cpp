// sonorm-cli reading WAV files from real pipes, as in a pipeline: standard input (-) and a pipe
// named as INPUT, what ffmpeg and sox stream, the filter "- -", a stream that ends early, a
// check; copies that cannot be made or filled are reported and leave nothing behind. And what a
// check of a refused file reads: its header, never its data.
#include "Messages.h"
#include "TempDir.h"
#include "TestPlatform.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pty.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace wav;
using Args = std::vector<std::string>;
using Prepare = std::function<bool()>;

namespace {

struct Piped {
    int status = -1;
    std::string out, err;
    std::uint64_t read = 0; // bytes the tool read (rchar): files, pipes and all
};

// The tool with a pipe as its standard input, which a thread fills while stdout is drained
// (the tool reads all of its input before it writes anything); TMPDIR tmpdir; prepare runs in
// the child last.
Piped piped(const Args& args, const std::string& input, const std::string& tmpdir,
            const Prepare& prepare = nullptr) {
    std::vector<const char*> argv = {"sonorm-cli"};
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    argv.push_back(nullptr);
    TempDir capture;
    const std::string err = capture.path("err"), tool = toolpath();
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
        return {};
    }
    pid_t pid = fork();
    if (pid == 0) {
        int errfile = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (dup2(in[0], 0) == 0 && dup2(out[1], 1) == 1 && dup2(errfile, 2) == 2 &&
            setenv("TMPDIR", tmpdir.c_str(), 1) == 0 && (!prepare || prepare())) {
            execv(tool.c_str(), const_cast<char* const*>(argv.data()));
        }
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    std::signal(SIGPIPE, SIG_IGN); // a tool that ends early takes no more
    std::thread feed([&] {
        for (std::size_t at = 0; at < input.size();) {
            ssize_t put = write(in[1], input.data() + at, input.size() - at);
            at = put > 0 ? at + std::size_t(put) : input.size();
        }
        close(in[1]);
    });
    Piped run;
    char block[1 << 16];
    for (ssize_t got; (got = read(out[0], block, sizeof block)) > 0;) {
        run.out.append(block, std::size_t(got));
    }
    close(out[0]);
    feed.join();
    siginfo_t ended{};
    waitid(P_PID, pid, &ended, WEXITED | WNOWAIT); // ended, its counts still there
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    for (std::string word; io >> word && word != "rchar:";) {
    }
    io >> run.read;
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = readfile(err);
    return run;
}

class Streams : public ::testing::Test {
protected:
    void SetUp() override { uselocale("C"); }
    TempDir dir;
    const std::string tmp = dir.folder("tmp"), d = samples(300000), plain = decorated(d);
};

// A check of a file whose data ends early tells it from the sizes, as a conversion's short read
// does, and reads no sample data: nor of a file that declares far more than it holds.
TEST_F(Streams, CheckReadsTheHeaderOnly) {
    constexpr std::uint64_t held = 256u << 20;
    const std::string sparse = dir.writesparse(
        "sparse.wav", {{0, riffwave(pcmfmt() + header("data", 0xFFFFFF00))}, {44 + held, "x"}});
    const Piped r = piped({"-q", "--check", sparse}, "", tmp);
    EXPECT_EQ(r.out, sparse +
                         ": fails: No data available [1,22,1,61]; --repair would take it: data "
                         "size 4294967040 taken as 268435456 (the data up to the end of "
                         "the file, in whole frames)\n");
    EXPECT_LT(r.read, 1u << 20);
}

} // namespace
