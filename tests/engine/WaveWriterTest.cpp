#include "AllocationLimit.h"
#include "Codes.h"
#include "PlatformExpect.h"
#include "TempDir.h"
#include "WavBytes.h"
#include "WaveSource.h"
#include "WaveWriter.h"

#include <gtest/gtest.h>

using namespace wav;

namespace {

constexpr std::uint32_t mib = 1024 * 1024;

class WaveWriterTest : public ::testing::Test {
protected:
    TempDir dir;
    const std::string body8 = pcmbody(1, 8, 8000), data = samples(100);
    const std::string input =
        dir.write("in.wav", riffwave(chunk("fmt ", body8) + chunk("data", data)));
};

struct Counter : WaveWatcher {
    std::uint64_t bytes = 0;
    void chunkread(const std::uint8_t*, std::uint64_t) override {}
    void dataread(std::uint32_t count) override { bytes += count; }
};

} // namespace

// Open, write after a successful open, close; data counts the sample bytes delivered.
Result convert(const std::string& input, const std::string& output, std::uint64_t* data = nullptr) {
    Result result;
    WaveSource source;
    Counter counter;
    source.watch(&counter);
    if (source.open(result, input.c_str())) {
        bool written = WaveWriter().write(result, source, output.c_str());
        EXPECT_EQ(written, result.ok());
        source.close(result);
    }
    if (data != nullptr) {
        *data = counter.bytes;
    }
    return result;
}

// 16 "fmt " body bytes as stored, RIFF size modulo 2^32, no pad byte; 10 MiB blocks, an early
// end keeps the whole blocks before it. A longer output is replaced; the input only read.
TEST_F(WaveWriterTest, CanonicalOutput) {
    const std::string body16 = fmtbody(1, 2, 22050, 12345, 3, 16);
    const std::string data25 = samples(25 * mib, 7);
    struct Case {
        const char* name;
        std::string input;
        std::uint32_t code;
        std::string output;
    } cases[] = {
        {"wrong RIFF size, fmt of 40 bytes",
         riffwave(chunk("fmt ", body16 + std::string(24, 'x')) + chunk("data", data), 3), 0,
         canonical(data, body16)},
        {"odd data", riffwave(chunk("fmt ", body8) + chunk("data", "abc")), 0,
         canonical("abc", body8)},
        {"3 blocks", riffwave(chunk("LIST", "x") + pcmfmt() + chunk("data", data25)), 0,
         canonical(data25)},
        {"short input", riffwave(pcmfmt() + header("data", 25 * mib) + data25.substr(0, 15 * mib)),
         codes::readfailed, canonical(data25.substr(0, 10 * mib), pcmbody(), 25 * mib)},
        {"RIFF size wraps", riffwave(pcmfmt() + header("data", 0xFFFFFFF0) + "abc"),
         codes::readfailed, canonical("", pcmbody(), 0xFFFFFFF0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string in = dir.write("in.wav", c.input), out = dir.write("out.wav", samples(1000));
        std::uint64_t delivered = 0;
        Result result = convert(in, out, &delivered);
        EXPECT_EQ(result.code, c.code);
        EXPECT_EQ(result.syserr, c.code == 0 ? 0 : platform::endoffile);
        EXPECT_TRUE(readfile(out) == c.output) << readfile(out).size();
        EXPECT_EQ(delivered + wave::headersize, c.output.size());
        EXPECT_TRUE(readfile(in) == c.input);
    }
}

// Refused with the platform's number, nothing written over.
TEST_F(WaveWriterTest, NamesThatCannotBeOpenedOrCreated) {
    const std::string held = dir.write("held.wav", "held"), out = dir.path("out.wav");
    struct Case {
        std::string input, output;
        std::uint32_t code, syserr;
    };
    std::vector<Case> cases = {
        {dir.path("absent.wav"), out, codes::openfailed, platform::missingfile},
        {dir.path("."), out, codes::openfailed, platform::folderinput},
        {input, dir.path("absent/out.wav"), codes::createfailed, platform::missingfolder},
        {input, input, codes::createfailed, platform::sameasinput},
    };
    for (const std::string& alias : platform::aliases(dir, input)) {
        cases.push_back({input, alias, codes::createfailed, platform::sameasinput});
    }
    ASSERT_GT(cases.size(), 5u);
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
    EXPECT_EQ(readfile(input), riffwave(chunk("fmt ", body8) + chunk("data", data)));
    EXPECT_EQ(readfile(held), "held");
    EXPECT_FALSE(fileexists(out));
}

// Without the copy buffer the output is left created and empty.
TEST_F(WaveWriterTest, CopyBufferRefused) {
    std::string output = dir.write("out.wav", "old");
    AllocationLimit limit(WaveWriter::blocksize);
    Result result = convert(input, output);
    EXPECT_EQ(AllocationLimit::refusals, 1u);
    EXPECT_EQ(result.code, codes::buffernomemory);
    EXPECT_EQ(result.syserr, platform::outofmemory);
    EXPECT_EQ(readfile(output), "");
}

TEST_F(WaveWriterTest, HeaderAlone) {
    WaveSource source;
    Result result;
    std::uint8_t header[wave::headersize];
    EXPECT_FALSE(WaveWriter().composeheader(source, header));
    EXPECT_FALSE(WaveWriter().write(result, source, dir.path("out.wav").c_str()));
    EXPECT_EQ(result.code, codes::readnotopen);
    EXPECT_FALSE(fileexists(dir.path("out.wav")));
    Result opening;
    ASSERT_TRUE(source.open(opening, input.c_str()));
    ASSERT_TRUE(WaveWriter().composeheader(source, header));
    EXPECT_EQ(std::string(header, header + sizeof header), canonical("", body8, 100));
}
