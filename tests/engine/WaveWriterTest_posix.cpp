// Failures only POSIX lets a test provoke: copy_file_range and close replaced, file size limit.
#include "Codes.h"
#include "Result.h"
#include "TempDir.h"
#include "WavBytes.h"
#include "WaveSource.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace wav;

// In WaveWriterTest.cpp.
Result convert(const std::string& input, const std::string& output, std::uint64_t* data = nullptr);

namespace {

constexpr std::uint32_t mib = 1024 * 1024;

// While active: at most cap bytes a call (0: no cap), call failat (from 1) fails with error,
// with pretend earlier calls claim success moving nothing; asked records each call's length.
struct Script {
    std::uint32_t cap;
    unsigned failat;
    int error;
    bool pretend;
} script;
bool active = false, failclose = false;
std::vector<std::uint32_t> asked;

} // namespace

extern "C" ssize_t copy_file_range(int in, off64_t* inoffset, int out, off64_t* outoffset,
                                   size_t length, unsigned int flags) {
    if (active) {
        asked.push_back(static_cast<std::uint32_t>(length));
        if (asked.size() == script.failat) {
            errno = script.error;
            return -1;
        }
        length = script.cap != 0 && length > script.cap ? script.cap : length;
        if (script.pretend) {
            return static_cast<ssize_t>(length);
        }
    }
    return ::syscall(SYS_copy_file_range, in, inoffset, out, outoffset, length, flags);
}

// failclose: the next close closes, then reports EIO like a delayed write error.
extern "C" int close(int fd) {
    int closed = static_cast<int>(::syscall(SYS_close, fd));
    if (closed == 0 && failclose) {
        failclose = false;
        errno = EIO;
        return -1;
    }
    return closed;
}

// A block the kernel does not move whole is taken back and read/written, as is the rest; the
// side that really fails reports (the short input). A take-back that cannot seek fails.
TEST(WaveWriterPosixTest, BlocksTheKernelDoesNotMoveGoThroughTheBuffer) {
    TempDir dir;
    const std::string data = samples(15 * mib, 3), full = riffwave(pcmfmt() + chunk("data", data));
    const std::string cut =
        riffwave(pcmfmt() + header("data", 15 * mib) + data.substr(0, 12 * mib));
    const std::string whole = canonical(data), none = canonical("", pcmbody(), 15 * mib),
                      first = canonical(data.substr(0, 10 * mib), pcmbody(), 15 * mib);
    std::vector<std::uint32_t> capped; // capped at 1 MiB: 10, 9 ... 1, then 5, 4, 3 MiB
    for (std::uint32_t left : {10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 5, 4, 3}) {
        capped.push_back(left * mib);
    }
    struct Case {
        Script script;
        const std::string& input;
        std::uint32_t code, syserr;
        const std::string& output;
        std::vector<std::uint32_t> asked;
    } cases[] = {
        {{0, 0, 0, false}, full, 0, 0, whole, {10 * mib, 5 * mib}},
        {{0, 1, EXDEV, false}, full, 0, 0, whole, {10 * mib}},
        {{0, 1, ENOSYS, false}, full, 0, 0, whole, {10 * mib}},
        {{0, 2, EXDEV, false}, full, 0, 0, whole, {10 * mib, 5 * mib}},
        {{mib, 13, EIO, false}, full, 0, 0, whole, capped},
        {{mib, 13, EIO, false}, cut, codes::readfailed, ENODATA, first, capped},
        {{mib, 2, EIO, true}, full, codes::seekfailed, EINVAL, none, {10 * mib, 9 * mib}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::string in = dir.write("in.wav", c.input), out = dir.path("out.wav");
        script = c.script;
        asked.clear();
        active = true;
        std::uint64_t delivered = 0;
        Result result = convert(in, out, &delivered);
        active = false;
        EXPECT_EQ(result.code, c.code) << std::hex << result.code;
        EXPECT_EQ(result.syserr, c.syserr);
        EXPECT_TRUE(readfile(out) == c.output) << readfile(out).size();
        EXPECT_EQ(delivered + 44, c.output.size()); // the watcher hears of what was delivered
        EXPECT_EQ(asked, c.asked);
    }
}

// Each failing write step has its own code; the output keeps what was written (a partial piece
// is continued first). Likewise a failing close, read and seek.
TEST(WaveWriterPosixTest, FailingWritesReadsAndSeeks) {
    TempDir dir;
    const std::string body = pcmbody(1, 8, 8000), data = samples(100);
    const std::string input =
        dir.write("in.wav", riffwave(chunk("fmt ", body) + chunk("data", data)));
    const std::string whole = canonical(data, body);
    const std::pair<rlim_t, std::uint32_t> cases[] = {
        {0, codes::writerifffailed},  {12, codes::writefmtfailed},   {20, codes::writefmtfailed},
        {36, codes::writedatafailed}, {44, codes::writeblockfailed}, {94, codes::writeblockfailed},
    };
    std::signal(SIGXFSZ, SIG_IGN); // a write beyond the limit then fails with EFBIG
    rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    for (const auto& [size, code] : cases) {
        SCOPED_TRACE(size);
        std::string output = dir.path("out" + std::to_string(size) + ".wav");
        rlimit lower = {size, limit.rlim_max};
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lower), 0);
        Result result = convert(input, output);
        setrlimit(RLIMIT_FSIZE, &limit);
        EXPECT_EQ(result.code, code) << std::hex << result.code;
        EXPECT_EQ(result.syserr, 0u + EFBIG);
        EXPECT_EQ(readfile(output), whole.substr(0, size));
    }
    failclose = true;
    Result closing = convert(input, dir.path("closing.wav"));
    EXPECT_EQ(closing.code, codes::outclosefailed);
    EXPECT_EQ(closing.syserr, 0u + EIO);
    EXPECT_EQ(readfile(dir.path("closing.wav")), whole);
    WaveSource source; // the input's close fails alike
    Result reading;
    ASSERT_TRUE(source.open(reading, input.c_str()));
    failclose = true;
    EXPECT_FALSE(source.close(reading));
    EXPECT_EQ(reading.code, codes::closefailed);
    EXPECT_EQ(reading.syserr, 0u + EIO);
    // Offset 0 of this process's memory is never mapped: the read fails.
    Result unreadable = convert("/proc/self/mem", dir.path("mem.wav"));
    EXPECT_EQ(unreadable.code, codes::riffreadfailed);
    EXPECT_EQ(unreadable.syserr, 0u + EIO);
    // A pipe, its bytes already written: the walk cannot skip the chunk before "fmt ".
    const std::string fifo = dir.path("fifo.wav");
    const std::string bytes = riffwave(chunk("JUNK", "ab") + pcmfmt() + chunk("data", "abcd"));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int writer = open(fifo.c_str(), O_RDWR);
    ASSERT_EQ(write(writer, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    Result piped = convert(fifo, dir.path("piped.wav"));
    close(writer);
    EXPECT_EQ(piped.code, codes::seekfailed);
    EXPECT_EQ(piped.syserr, 0u + ESPIPE);
}
