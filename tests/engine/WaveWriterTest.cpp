#include "AllocationLimit.h"
#include "Codes.h"
#include "FileIo.h"
#include "PlatformExpect.h"
#include "WavBuilder.h"
#include "WaveSource.h"
#include "WaveWriter.h"

#include <gtest/gtest.h>

#include <string>

using namespace wav;

namespace {

constexpr std::uint32_t mib = 1024 * 1024;

// The whole canonical file for the given format fields and data.
std::string canonical(const std::string& body16, const std::string& data, std::uint32_t datasize) {
    return "RIFF" + le32(datasize + 36) + "WAVE" + chunk("fmt ", body16) +
           header("data", datasize) + data;
}

std::string canonical(const std::string& body16, const std::string& data) {
    return canonical(body16, data, static_cast<std::uint32_t>(data.size()));
}

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
};

struct FileSizeLimit {
    bool active;
    explicit FileSizeLimit(std::uint64_t bytes) : active(platform::limitfilesize(bytes)) {}
    ~FileSizeLimit() { platform::unlimitfilesize(); }
};

} // namespace

// Every layout of the same audio gives the same 44 header bytes: the first 16 "fmt " body bytes
// as stored (mismatched bytes per second and block align included), nothing else.
TEST_F(WaveWriterTest, CanonicalOutputFromAnyLayout) {
    const std::string body16 = fmtbody(1, 2, 22050, 12345, 3, 16);
    const std::string fmt16 = chunk("fmt ", body16);
    const std::string data = samples(1000);
    const std::string datachunk = chunk("data", data);
    struct Case {
        const char* name;
        std::string input;
    };
    const Case cases[] = {
        {"plain", riffwave(fmt16 + datachunk)},
        {"wrong RIFF size", riffwave(fmt16 + datachunk, 3)},
        {"fmt body of 18 bytes", riffwave(chunk("fmt ", body16 + "\x16\0") + datachunk)},
        {"fmt body of 40 bytes",
         riffwave(chunk("fmt ", body16 + std::string(24, '\x7F')) + datachunk)},
        {"LIST before", riffwave(chunk("LIST", "INFOISFT") + fmt16 + datachunk)},
        {"fact and LIST between", riffwave(fmt16 + fact(250) + chunk("LIST", "ab") + datachunk)},
        {"chunks after", riffwave(fmt16 + datachunk + chunk("LIST", "x") + fact(1))},
        {"data before fmt", riffwave(datachunk + chunk("JUNK", "odd") + fmt16)},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string input = dir.write("in" + std::to_string(index) + ".wav", c.input);
        std::string output = dir.path("out" + std::to_string(index++) + ".wav");
        Result result = convert(input, output);
        EXPECT_EQ(result.code, 0u) << std::hex << result.code;
        EXPECT_EQ(TempDir::read(output), canonical(body16, data));
        EXPECT_EQ(TempDir::read(input), c.input); // the input is only read
    }
}

TEST_F(WaveWriterTest, SmallDataHasNoPadByte) {
    const std::string body8 = fmtbody(1, 1, 8000, 8000, 1, 8);
    struct Case {
        std::string input;
        std::string output;
        std::uint32_t riffsize;
    };
    const Case cases[] = {
        {riffwave(chunk("fmt ", body8) + chunk("data", "abc")), canonical(body8, "abc"), 39},
        {riffwave(chunk("fmt ", body8) + fact(5) + chunk("data", "")), canonical(body8, ""), 36},
    };
    for (const Case& c : cases) {
        std::string input = dir.write("in.wav", c.input);
        std::string output = dir.path("out.wav");
        EXPECT_EQ(convert(input, output).code, 0u);
        std::string written = TempDir::read(output);
        EXPECT_EQ(written, c.output);
        EXPECT_EQ(written.substr(4, 4), le32(c.riffsize));
    }
}

// 25 MiB go out in blocks of 10, 10 and 5 MiB.
TEST_F(WaveWriterTest, CopiesMoreThanOneBlock) {
    const std::string body = fmtbody(1, 2, 48000, 192000, 4, 16);
    const std::string data = samples(25 * mib, 7);
    std::string input = dir.write(
        "in.wav", riffwave(chunk("LIST", "x") + chunk("fmt ", body) + chunk("data", data)));
    std::string output = dir.path("out.wav");
    EXPECT_EQ(convert(input, output).code, 0u);
    EXPECT_TRUE(TempDir::read(output) == canonical(body, data));
}

// An input that ends before its declared data keeps the header and the whole blocks before
// the short one.
TEST_F(WaveWriterTest, ShortInputLeavesHeaderAndWholeBlocks) {
    const std::string body = fmtbody(1, 1, 8000, 8000, 1, 8);
    const std::string data = samples(15 * mib, 3);
    std::string input =
        dir.write("in.wav", riffwave(chunk("fmt ", body) + header("data", 25 * mib) + data));
    std::string output = dir.path("out.wav");
    Result result = convert(input, output);
    EXPECT_EQ(result.code, codes::readfailed);
    EXPECT_TRUE(TempDir::read(output) == canonical(body, data.substr(0, 10 * mib), 25 * mib));
}

TEST_F(WaveWriterTest, RiffSizeWrapsModulo2To32) {
    const std::string body = fmtbody(1, 1, 8000, 8000, 1, 8);
    std::string input =
        dir.write("in.wav", riffwave(chunk("fmt ", body) + header("data", 0xFFFFFFF0) + "abc"));
    std::string output = dir.path("out.wav");
    EXPECT_EQ(convert(input, output).code, codes::readfailed);
    std::string written = TempDir::read(output);
    ASSERT_EQ(written.size(), 44u);
    EXPECT_EQ(written.substr(4, 4), le32(0x14));
    EXPECT_EQ(written.substr(40, 4), le32(0xFFFFFFF0));
}

TEST_F(WaveWriterTest, ReplacesAnExistingOutput) {
    const std::string body = fmtbody(1, 1, 8000, 8000, 1, 8);
    std::string input = dir.write("in.wav", riffwave(chunk("fmt ", body) + chunk("data", "ab")));
    std::string output = dir.write("out.wav", samples(100000));
    EXPECT_EQ(convert(input, output).code, 0u);
    EXPECT_EQ(TempDir::read(output), canonical(body, "ab"));
}

TEST_F(WaveWriterTest, OutputInAMissingFolder) {
    std::string input = dir.write("in.wav", riffwave(pcmfmt(1, 8) + chunk("data", "ab")));
    std::string output = dir.path("absent") + "/out.wav";
    Result result = convert(input, output);
    EXPECT_EQ(result.code, codes::createfailed);
    EXPECT_EQ(result.syserr, platform::missingfolder());
    EXPECT_FALSE(TempDir::exists(output));
}

// Whatever name reaches the open input, it is refused and left as it was.
TEST_F(WaveWriterTest, OutputNeverOverwritesTheInput) {
    const std::string bytes = riffwave(chunk("LIST", "keep") + pcmfmt(1, 8) + chunk("data", "ab"));
    std::string input = dir.write("in.wav", bytes);
    std::vector<std::string> names = platform::aliases(dir, input);
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        Result result = convert(input, name);
        EXPECT_EQ(result.code, codes::createfailed);
        EXPECT_EQ(result.syserr, platform::sameasinput());
        EXPECT_EQ(TempDir::read(input), bytes);
    }
}

TEST_F(WaveWriterTest, OutputHeldOpenElsewhere) {
    if (!platform::openblockscreate()) {
        GTEST_SKIP() << "no share modes on this platform";
    }
    std::string input = dir.write("in.wav", riffwave(pcmfmt(1, 8) + chunk("data", "ab")));
    std::string output = dir.write("out.wav", "held");
    FileHandle holder = fileopenread(output.c_str());
    ASSERT_NE(holder, nofile);
    Result result = convert(input, output);
    fileclose(holder);
    EXPECT_EQ(result.code, codes::createfailed);
    EXPECT_EQ(result.syserr, platform::sameasinput());
    EXPECT_EQ(TempDir::read(output), "held");
}

// Each failing write step records its own code; the output keeps what was written, and a
// piece that was written in part is continued before the failure counts.
TEST_F(WaveWriterTest, FailingWritesLeaveWhatWasWritten) {
    const std::string body = fmtbody(1, 1, 8000, 8000, 1, 8);
    const std::string data = samples(100);
    const std::string whole = canonical(body, data);
    std::string input = dir.write("in.wav", riffwave(chunk("fmt ", body) + chunk("data", data)));
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
        EXPECT_EQ(result.syserr, platform::toolarge());
        EXPECT_EQ(TempDir::read(output), whole.substr(0, c.limit));
    }
}

TEST_F(WaveWriterTest, CopyBufferRefused) {
    std::string input = dir.write("in.wav", riffwave(pcmfmt(1, 8) + chunk("data", "ab")));
    std::string output = dir.write("out.wav", "old");
    Result result;
    {
        AllocationLimit limit(WaveWriter::blocksize);
        result = convert(input, output);
        EXPECT_EQ(AllocationLimit::refusals(), 1u);
    }
    EXPECT_EQ(result.code, codes::buffernomemory);
    EXPECT_EQ(result.syserr, platform::outofmemory());
    EXPECT_TRUE(TempDir::exists(output));
    EXPECT_EQ(TempDir::read(output), "");
}

TEST_F(WaveWriterTest, SourceThatNeverOpened) {
    WaveSource source;
    WaveWriter writer;
    Result result;
    std::string output = dir.path("out.wav");
    EXPECT_FALSE(writer.write(result, source, output.c_str()));
    EXPECT_EQ(result.code, codes::readnotopen);
    EXPECT_FALSE(TempDir::exists(output));
}
