// sonorm-cli reading WAV files from real pipes, as in a pipeline; and what a check of a refused
// file reads: its header, never its data.
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

// A file system without unnamed files: O_TMPFILE fails with EOPNOTSUPP.
const Prepare nounnamed = [] {
    constexpr unsigned tmpfileflag = 020000000; // the kernel's own O_TMPFILE bit
    sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])),
        BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, tmpfileflag, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{sizeof code / sizeof code[0], code};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
};

const std::string cut = ": INPUT ends early: it is shorter than its chunks say\n",
                  endsearly = "-: No data available [1,22,1,61]" + cut,
                  riffcut = ": No data available [1,6,1,61]" + cut;

class Streams : public ::testing::Test {
protected:
    void SetUp() override { uselocale("C"); }
    TempDir dir;
    const std::string tmp = dir.folder("tmp"), d = samples(300000), plain = decorated(d);
    std::string copyfailed(const std::string& folder, int error) {
        return say(Message::cannotcopystream,
                   {say(Message::standardinput), folder, std::strerror(error)}) +
               "\n";
    }
};

// What ffmpeg and sox write into a pipe (a data size of 0xFFFFFFFF and of 0x7FFFF000) converts
// with --repair in real pipelines, into a file and through "- -" back into sox. Through a pipe
// from here: standard input, a pipe and a device named as INPUT read as the file does; a stream
// that ends early makes no file; a check shows the stream as -, a second - as given twice; a
// batch names its output stdin.wav. The copy is made without O_TMPFILE too; one that cannot be
// made or filled fails; a terminal is refused. Nothing is left in TMPDIR.
TEST_F(Streams, PipesReadAsFiles) {
    auto sh = [&](const std::string& command) {
        ASSERT_EQ(std::system(("cd " + dir.path() + " && " + command).c_str()), 0) << command;
    };
    sh("sox -n -r 8000 -c 2 -b 16 -e signed -t raw raw.pcm synth 0.1 sine 440 2>/dev/null");
    const std::string ffmpeg = "ffmpeg -v error -f s16le -ac 2 -ar 8000 -i raw.pcm -f wav - | ",
                      tool = "'" + toolpath() + "' -q --repair - ";
    sh(ffmpeg + tool + "ffmpeg.wav");
    sh(ffmpeg + tool + "- | sox -t wav - -t raw back.pcm");
    sh(ffmpeg + "cat >ffmpeg.stream");
    sh("cat raw.pcm | sox -t raw -r 8000 -c 2 -b 16 -e signed - -t wav - 2>/dev/null | cat "
       ">sox.stream");
    const std::string raw = readfile(dir.path("raw.pcm")), body = pcmbody(2, 16, 8000);
    EXPECT_EQ(readfile(dir.path("ffmpeg.wav")), canonical(raw, body));
    EXPECT_EQ(readfile(dir.path("back.pcm")), raw);
    const std::string ff = readfile(dir.path("ffmpeg.stream")), out = dir.path("out");
    const std::string fileform = dir.path("file.wav");
    ASSERT_EQ(runtool({dir.write("in.wav", plain), fileform}).status, 0);
    const rlimit small{4096, 4096};
    const Prepare bigfile = [&] { return setrlimit(RLIMIT_FSIZE, &small) == 0; };
    int terminal = -1, side = -1;
    ASSERT_EQ(openpty(&terminal, &side, nullptr, nullptr, nullptr), 0);
    const Prepare fromterminal = [&] { return dup2(side, 0) == 0; };
    const std::string wouldrepair =
        "-: fails: No data available [1,22,1,61]; --repair would take it: data size 4294967295 "
        "taken as 3200 (the data up to the end of the file, in whole frames)\n-: skipped: given "
        "twice (as -)\n";
    const std::string missing = dir.path("missing"), sox = readfile(dir.path("sox.stream"));
    const std::string terminalrefused = "sonorm-cli: " + say(Message::stdinterminal) + "\n";
    const std::vector<
        std::tuple<Args, std::string, std::string, Prepare, int, std::string, std::string>>
        rows = {
            {{"-", "-"}, plain, tmp, nullptr, 0, readfile(fileform), ""},
            {{"--repair", "-q", "-", "-"}, sox, tmp, nullptr, 0, canonical(raw, body), ""},
            {{"-q", "--check", "-", "-"}, ff, tmp, nullptr, 1, wouldrepair, ""},
            {{"/dev/stdin", "-"}, plain, tmp, nullptr, 0, canonical(d), ""},
            {{"/dev/null", "-"}, plain, tmp, nullptr, 1, "", "/dev/null" + riffcut},
            {{"-q", "-o", out, "-"}, plain, tmp, nullptr, 0, "", ""},
            {{"-", out + "/new.wav"}, plain.substr(0, 9999), tmp, nullptr, 1, "", endsearly},
            {{"-", "-"}, plain, tmp, nounnamed, 0, canonical(d), ""},
            {{"-", "-"}, plain, missing, nullptr, 1, "", copyfailed(missing, ENOENT)},
            {{"-", "-"}, plain, tmp, bigfile, 1, "", copyfailed(tmp, EFBIG)},
            {{"-", "-"}, plain, tmp, fromterminal, 2, "", terminalrefused},
        };
    for (const auto& [args, input, tmpdir, prepare, status, toout, toerr] : rows) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        const Piped r = piped(args, input, tmpdir, prepare);
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.out, toout);
        EXPECT_EQ(r.err, toerr);
    }
    close(terminal);
    close(side);
    EXPECT_EQ(readfile(out + "/stdin.wav"), canonical(d));
    EXPECT_EQ(dir.list("out"), Args{"stdin.wav"}); // the stream that ended early made no file
    EXPECT_EQ(dir.list("tmp"), Args{});
}

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
