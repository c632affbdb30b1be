#include "AllocationLimit.h"
#include "Codes.h"
#include "FileIo.h"
#include "KernelMove.h"
#include "PlatformExpect.h"
#include "TempDir.h"
#include "WavBytes.h"
#include "WaveSource.h"
#include "WaveWriter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

using namespace wav;

namespace {

constexpr std::uint32_t mib = 1024 * 1024;

// The conversion as the program runs it: open, write only after a successful open, close.
Result convert(const std::string& input, const std::string& output) {
    Result result;
    WaveSource source;
    if (source.open(result, input.c_str())) {
        WaveWriter writer;
        writer.write(result, source, output.c_str());
        source.close(result);
    }
    return result;
}

class WaveWriterTest : public ::testing::Test {
protected:
    TempDir dir;
    const std::string body8 = pcmbody(1, 8, 8000);
    const std::string data = samples(100);
    const std::string input =
        dir.write("in.wav", riffwave(chunk("fmt ", body8) + chunk("data", data)));
};

struct FileSizeLimit {
    bool active;
    explicit FileSizeLimit(std::uint64_t bytes) : active(platform::limitfilesize(bytes)) {}
    ~FileSizeLimit() { platform::unlimitfilesize(); }
};

} // namespace

// The 44 header bytes: the first 16 "fmt " body bytes as stored (mismatched bytes per second
// and block align included), sizes of their own; odd data gets no pad byte. An existing longer
// output is replaced whole; the input is only read. (Layouts are the reader's tests.)
TEST_F(WaveWriterTest, CanonicalOutputFromAnyLayout) {
    const std::string body16 = fmtbody(1, 2, 22050, 12345, 3, 16);
    const std::string fmt16 = chunk("fmt ", body16);
    const std::string datachunk = chunk("data", data);
    const std::string whole = canonical(data, body16);
    struct Case {
        const char* name;
        std::string input;
        std::string output;
    };
    const Case cases[] = {
        {"wrong RIFF size", riffwave(fmt16 + datachunk, 3), whole},
        {"fmt body of 40 bytes",
         riffwave(chunk("fmt ", body16 + std::string(24, '\x7F')) + datachunk), whole},
        {"data before fmt", riffwave(datachunk + chunk("JUNK", "odd") + fmt16), whole},
        {"odd data", riffwave(chunk("fmt ", body8) + chunk("data", "abc")),
         canonical("abc", body8)},
        {"fact and empty data", riffwave(chunk("fmt ", body8) + fact(5) + chunk("data", "")),
         canonical("", body8)},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string in = dir.write("in" + std::to_string(index) + ".wav", c.input);
        std::string out = dir.write("out" + std::to_string(index++) + ".wav", samples(1000));
        EXPECT_EQ(convert(in, out).code, 0u);
        EXPECT_EQ(readfile(out), c.output);
        EXPECT_EQ(readfile(in), c.input);
    }
}

// Data goes out in blocks of 10 MiB. An input that ends before its declared data keeps the
// header and the whole blocks before the short one, and reports the end of the file; the RIFF
// size wraps modulo 2^32.
TEST_F(WaveWriterTest, DataGoesOutInBlocks) {
    const std::string body = pcmbody(2, 16, 48000);
    const std::string data25 = samples(25 * mib, 7);
    const std::string data15 = data25.substr(0, 15 * mib);
    struct Case {
        std::string input;
        std::uint32_t code;
        std::string output;
    };
    const Case cases[] = {
        {riffwave(chunk("LIST", "x") + chunk("fmt ", body) + chunk("data", data25)), 0,
         canonical(data25, body)},
        {riffwave(chunk("fmt ", body) + header("data", 25 * mib) + data15), codes::readfailed,
         canonical(data25.substr(0, 10 * mib), body, 25 * mib)},
        {riffwave(chunk("fmt ", body) + header("data", 0xFFFFFFF0) + "abc"), codes::readfailed,
         canonical("", body, 0xFFFFFFF0)},
    };
    for (const Case& c : cases) {
        std::string in = dir.write("in.wav", c.input);
        std::string out = dir.path("out.wav");
        Result result = convert(in, out);
        EXPECT_EQ(result.code, c.code);
        EXPECT_EQ(result.syserr, c.code == 0 ? 0 : platform::endoffile);
        EXPECT_TRUE(readfile(out) == c.output) << c.output.size();
    }
}

// Each block is first moved inside the kernel. A block it does not move whole - refused, or a
// call failing midway without saying which side failed - is taken back and goes through read
// and write, as does the rest of the file: same blocks, same output, and the code of the side
// that really fails (here the short input). A take-back that cannot move the input back fails.
TEST_F(WaveWriterTest, BlocksTheKernelDoesNotMoveGoThroughTheBuffer) {
    if (!KernelMove::scripted()) {
        GTEST_SKIP() << "data goes through read and write only on this platform";
    }
    const std::string body = pcmbody(2, 16, 48000);
    const std::string data15 = samples(15 * mib, 3);
    const std::string full = riffwave(chunk("fmt ", body) + chunk("data", data15));
    const std::string shortinput =
        riffwave(chunk("fmt ", body) + header("data", 15 * mib) + data15.substr(0, 12 * mib));
    const std::string whole = canonical(data15, body);
    const std::string firstblock = canonical(data15.substr(0, 10 * mib), body, 15 * mib);
    // Asked per call with a cap of 1 MiB: 10, 9 ... 1 MiB for the first block, then 5, 4, 3.
    std::vector<std::uint32_t> capped;
    for (std::uint32_t left = 10; left != 0; --left) {
        capped.push_back(left * mib);
    }
    capped.insert(capped.end(), {5 * mib, 4 * mib, 3 * mib});
    struct Case {
        const char* name;
        KernelMove::Script script;
        const std::string& input;
        std::uint32_t code;
        std::uint32_t syserr;
        const std::string& output;
        std::vector<std::uint32_t> asked;
    };
    const Case cases[] = {
        {"moved", {0, 0, 0, false}, full, 0, 0, whole, {10 * mib, 5 * mib}},
        {"EXDEV", {0, 1, EXDEV, false}, full, 0, 0, whole, {10 * mib}},
        {"EINVAL", {0, 1, EINVAL, false}, full, 0, 0, whole, {10 * mib}},
        {"ENOSYS", {0, 1, ENOSYS, false}, full, 0, 0, whole, {10 * mib}},
        {"EOPNOTSUPP", {0, 1, EOPNOTSUPP, false}, full, 0, 0, whole, {10 * mib}},
        {"refused at the second block",
         {0, 2, EXDEV, false},
         full,
         0,
         0,
         whole,
         {10 * mib, 5 * mib}},
        {"fails midway", {mib, 13, EIO, false}, full, 0, 0, whole, capped},
        {"fails midway, input short",
         {mib, 13, EIO, false},
         shortinput,
         codes::readfailed,
         EIO,
         firstblock,
         capped},
        {"moved nothing it claimed",
         {mib, 2, EIO, true},
         full,
         codes::seekfailed,
         EINVAL,
         canonical("", body, 15 * mib),
         {10 * mib, 9 * mib}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string in = dir.write("in.wav", c.input);
        std::string out = dir.path("out.wav");
        Result result;
        std::vector<std::uint32_t> asked;
        {
            KernelMove script(c.script);
            result = convert(in, out);
            asked = KernelMove::asked();
        }
        EXPECT_EQ(result.code, c.code) << std::hex << result.code;
        // The short read's number is whatever the last error held; never the move's failure.
        if (c.code == codes::readfailed) {
            EXPECT_NE(result.syserr, c.syserr);
        } else {
            EXPECT_EQ(result.syserr, c.syserr);
        }
        EXPECT_TRUE(readfile(out) == c.output) << readfile(out).size();
        EXPECT_EQ(asked, c.asked);
    }
}

// Missing inputs and folders, and every name that reaches the open input or a file held open
// elsewhere: refused with the platform's number, nothing written over.
TEST_F(WaveWriterTest, NamesThatCannotBeOpenedOrCreated) {
    const std::string held = dir.write("held.wav", "held");
    const std::string before = readfile(input);
    struct Case {
        std::string input;
        std::string output;
        std::uint32_t code;
        std::uint32_t syserr;
    };
    std::vector<Case> cases = {
        {dir.path("absent.wav"), dir.path("out.wav"), codes::openfailed, platform::missingfile},
        {dir.path("absent/in.wav"), dir.path("out.wav"), codes::openfailed,
         platform::missingfolder},
        {dir.path("."), dir.path("out.wav"), codes::openfailed, platform::folderinput},
        {input, dir.path("absent/out.wav"), codes::createfailed, platform::missingfolder},
        {input, input, codes::createfailed, platform::sameasinput},
    };
    std::vector<std::string> aliases = platform::aliases(dir, input);
    EXPECT_FALSE(aliases.empty());
    for (const std::string& alias : aliases) {
        cases.push_back({input, alias, codes::createfailed, platform::sameasinput});
    }
    FileHandle holder = platform::openblockscreate ? fileopenread(held.c_str()) : nofile;
    if (holder != nofile) {
        cases.push_back({input, held, codes::createfailed, platform::sameasinput});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input + " -> " + c.output);
        Result result = convert(c.input, c.output);
        EXPECT_EQ(result.code, c.code);
        EXPECT_EQ(result.syserr, c.syserr);
    }
    fileclose(holder);
    EXPECT_EQ(readfile(input), before);
    EXPECT_EQ(readfile(held), "held");
    EXPECT_FALSE(fileexists(dir.path("out.wav")));
}

// Each failing write step records its own code; the output keeps what was written, and a
// piece that was written in part is continued before the failure counts.
TEST_F(WaveWriterTest, FailingWritesLeaveWhatWasWritten) {
    const std::string whole = canonical(data, body8);
    struct Case {
        std::uint64_t limit;
        std::uint32_t code;
    };
    const Case cases[] = {
        {0, codes::writerifffailed},  {12, codes::writefmtfailed},   {20, codes::writefmtfailed},
        {36, codes::writedatafailed}, {44, codes::writeblockfailed}, {94, codes::writeblockfailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        std::string output = dir.path("out" + std::to_string(c.limit) + ".wav");
        Result result;
        {
            FileSizeLimit limit(c.limit);
            if (!limit.active) {
                GTEST_SKIP() << "the file size cannot be limited on this platform";
            }
            result = convert(input, output);
        }
        EXPECT_EQ(result.code, c.code) << std::hex << result.code;
        EXPECT_EQ(result.syserr, platform::toolarge);
        EXPECT_EQ(readfile(output), whole.substr(0, c.limit));
    }
}

// Without the copy buffer nothing is written, but the output was already created (emptied).
TEST_F(WaveWriterTest, CopyBufferRefused) {
    std::string output = dir.write("out.wav", "old");
    Result result;
    {
        AllocationLimit limit(WaveWriter::blocksize);
        result = convert(input, output);
        EXPECT_EQ(AllocationLimit::refusals(), 1u);
    }
    EXPECT_EQ(result.code, codes::buffernomemory);
    EXPECT_EQ(result.syserr, platform::outofmemory);
    EXPECT_TRUE(fileexists(output));
    EXPECT_EQ(readfile(output), "");
}
