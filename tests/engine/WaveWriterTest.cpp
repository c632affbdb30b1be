#include "AllocationLimit.h"
#include "Codes.h"
#include "FileIo.h"
#include "PlatformExpect.h"
#include "TempDir.h"
#include "WavBytes.h"
#include "WaveSource.h"
#include "WaveWriter.h"

#include <gtest/gtest.h>

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
