// The tool itself, started with the default signal dispositions, meets a file size limit and a
// pipe whose reader has gone: it reports the failed write and exits 1 instead of being killed.
#include "PlatformExpect.h"
#include "TempDir.h"
#include "TestPlatform.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace wav;

namespace {

struct Ended {
    int status = -1; // exit status, or -1 when a signal ended the process
    int signal = 0;
    std::string err;
};

// Runs sonorm-cli INPUT OUTPUT in a child with SIGXFSZ and SIGPIPE at their defaults and an
// optional file size limit; whilerunning runs in the parent before it waits.
template <typename During>
Ended runchild(const std::string& input, const std::string& output, rlim_t sizelimit,
               const std::string& errfile, During whilerunning) {
    std::string tool = toolpath();
    pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        std::signal(SIGPIPE, SIG_DFL);
        struct rlimit limit = {sizelimit, sizelimit};
        if (sizelimit != RLIM_INFINITY && setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            _exit(120);
        }
        int err = open(errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(err, STDERR_FILENO);
        execl(tool.c_str(), tool.c_str(), input.c_str(), output.c_str(), nullptr);
        _exit(121);
    }
    whilerunning();
    int status = 0;
    waitpid(pid, &status, 0);
    Ended ended;
    if (WIFEXITED(status)) {
        ended.status = WEXITSTATUS(status);
    } else {
        ended.signal = WTERMSIG(status);
    }
    ended.err = readfile(errfile);
    return ended;
}

std::string suffix(int error) {
    return " [1,5,1," + std::to_string(error) + "]\n"; // the data block's write failed
}

} // namespace

TEST(Signals, FileSizeLimitIsReportedNotFatal) {
    TempDir dir;
    const std::string data = samples(8000);
    std::string in = dir.write("in.wav", decorated(data));
    std::string out = dir.path("out.wav");
    Ended ended = runchild(in, out, 1000, dir.path("err"), [] {});
    EXPECT_EQ(ended.signal, 0);
    EXPECT_EQ(ended.status, 1);
    EXPECT_EQ(ended.err, platform::systemtext(EFBIG) + suffix(EFBIG));
    EXPECT_EQ(readfile(out), canonical(data).substr(0, 1000)); // the partial output stays
}

TEST(Signals, PipeWithoutReaderIsReportedNotFatal) {
    TempDir dir;
    std::string in = dir.write("in.wav", decorated(samples(1 << 20))); // more than a pipe holds
    std::string fifo = dir.path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    Ended ended = runchild(in, fifo, RLIM_INFINITY, dir.path("err"), [&] {
        // Once bytes past the header arrive the tool is writing the data; then the reader goes.
        char bytes[100];
        std::size_t got = 0;
        struct pollfd wait = {reader, POLLIN, 0};
        while (got < sizeof bytes && poll(&wait, 1, 20000) == 1) {
            ssize_t n = read(reader, bytes + got, sizeof bytes - got);
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        EXPECT_EQ(got, sizeof bytes);
        close(reader);
    });
    EXPECT_EQ(ended.signal, 0);
    EXPECT_EQ(ended.status, 1);
    EXPECT_EQ(ended.err, platform::systemtext(EPIPE) + suffix(EPIPE));
}
