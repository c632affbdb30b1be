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

constexpr std::uint64_t gib4 = 0x100000000;

struct OpenCase {
    const char* name;
    std::string bytes;
    std::uint32_t code; // 0: opens
    std::uint32_t samplecount = 0;
    std::uint32_t datasize = 0;
    std::uint64_t datastart = 0;
};

// Inputs and what open makes of them. Every platform-kind failure here is a read that the end
// of the file cut short.
std::vector<OpenCase> opencases() {
    const std::string f = pcmfmt(2, 16);                // 250 samples in...
    const std::string d = chunk("data", samples(1000)); // ...these 1000 bytes
    auto fmt = [](const std::string& body) { return chunk("fmt ", body); };
    return {
        {"empty file", "", codes::riffreadfailed},
        {"shorter than the RIFF header", "RIFF\x04\0\0\0WAV", codes::riffreadfailed},
        {"lower-case riff", "riff" + riffwave(f + d).substr(4), codes::badriff},
        {"not WAVE", riffwave(f + d).replace(8, 4, "AVI "), codes::badwave},
        {"plain", riffwave(f + d), 0, 250, 1000, 44},
        {"data before fmt", riffwave(d + f), 0, 250, 1000, 20},
        {"later of two data", riffwave(chunk("data", "12345678") + d + f), 0, 250, 1000, 36},
        {"later of two fmt, bad then good", riffwave(pcmfmt(3) + pcmfmt(1, 8) + d), 0, 1000, 1000,
         68},
        {"later of two fmt, good then bad", riffwave(pcmfmt(1, 8) + pcmfmt(3) + d),
         codes::badchannels},
        {"fact of size 8 skipped", riffwave(f + chunk("fact", le32(7) + le32(7)) + d), 0, 250, 1000,
         60},
        {"fact of 0: count derived", riffwave(f + fact(0) + d), 0, 250, 1000, 56},
        {"fact taken", riffwave(f + fact(77) + d), 0, 77, 1000, 56},
        {"fact after fmt and data never read", riffwave(f + d + fact(5)), 0, 250, 1000, 44},
        {"fact with empty data", riffwave(f + fact(5) + chunk("data", "")), 0, 5, 0, 56},
        {"3 bytes of 16-bit mono", riffwave(pcmfmt(1) + chunk("data", "abc")), 0, 1, 3, 44},
        {"1 byte of 16-bit mono", riffwave(pcmfmt(1) + chunk("data", "a")), codes::badsamplecount},
        {"fmt body of 40 bytes, rate and align unchecked",
         riffwave(fmt(fmtbody(1, 1, 8000, 0, 0, 8, std::string(24, 'x'))) + d), 0, 1000, 1000, 68},
        {"tag checked first", riffwave(fmt(fmtbody(0xFFFE, 0, 0, 0, 0, 0)) + d), codes::notpcm},
        {"0 channels", riffwave(fmt(fmtbody(1, 0, 8000, 1, 2, 16)) + d), codes::badchannels},
        {"3 channels", riffwave(pcmfmt(3) + d), codes::badchannels},
        {"12 bits", riffwave(pcmfmt(1, 12) + d), codes::badbits},
        {"rate 0", riffwave(pcmfmt(2, 16, 0) + d), codes::badrate},
        {"fmt body of 14 bytes", riffwave(fmt(std::string(14, '\x01')) + d), codes::fmttooshort},
        {"short fmt, then a full one", riffwave(fmt("ab") + f + d), 0, 250, 1000, 54},
        {"short fmt, data, full fmt never read", riffwave(fmt("ab") + d + f), codes::fmttooshort},
        {"fmt body beyond the end", riffwave(header("fmt ", 16) + "ab"), codes::fmtreadfailed},
        {"fact body beyond the end", riffwave(f + header("fact", 4) + "ab"), codes::factreadfailed},
        {"end before data", riffwave(f + chunk("LIST", "INFO")), codes::chunkheaderfailed},
        {"data beyond the end after fmt", riffwave(f + header("data", 5000) + "ab"), 0, 1250, 5000,
         44},
        {"data beyond the end before fmt", riffwave(header("data", 5000) + f),
         codes::chunkheaderfailed},
        {"odd chunk without pad byte", riffwave(chunk("JUNK", "abc") + f + d), 0, 250, 1000, 55},
        {"odd chunk with pad byte misaligns the walk",
         riffwave(chunk("JUNK", "abc") + std::string(1, '\0') + f + d), codes::chunkheaderfailed},
    };
}

class WaveSourceTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string small = dir.write("small.wav", riffwave(pcmfmt(1, 8) + chunk("data", "abcd")));
};

} // namespace

TEST_F(WaveSourceTest, OpenWalksAndChecks) {
    int index = 0;
    for (const OpenCase& c : opencases()) {
        SCOPED_TRACE(c.name);
        std::string file = dir.write("in" + std::to_string(index++) + ".wav", c.bytes);
        // An earlier failure leaves its number behind; a short read must not report it.
        EXPECT_EQ(fileopenread(dir.path("absent.wav").c_str()), nofile);
        WaveSource source;
        Result result;
        bool opened = source.open(result, file.c_str());
        EXPECT_EQ(result.code, c.code) << std::hex << result.code;
        EXPECT_EQ(opened, c.code == 0);
        EXPECT_EQ(source.isopen(), opened);
        EXPECT_EQ(result.syserr,
                  codes::kindof(c.code) == codes::kindnone ? 0u : platform::endoffile);
        if (!opened) {
            EXPECT_EQ(source.formatrecord(), nullptr);
            continue;
        }
        EXPECT_EQ(source.totalsamples(), c.samplecount);
        EXPECT_EQ(source.datachunksize(), c.datasize);
        EXPECT_EQ(source.datastartpos(), c.datastart);
        std::uint32_t error = 1;
        EXPECT_EQ(source.tell(error), c.datastart); // positioned at the first sample byte
        EXPECT_EQ(error, 0u);
        EXPECT_TRUE(source.close(result));
    }
}

// A read that the platform refuses is no end of the file: it records the platform's number.
TEST_F(WaveSourceTest, AFailedReadRecordsThePlatformsNumber) {
    if (platform::unreadablefile.empty()) {
        GTEST_SKIP() << "no file whose reads fail at hand on this platform";
    }
    WaveSource source;
    Result result;
    EXPECT_FALSE(source.open(result, platform::unreadablefile.c_str()));
    EXPECT_EQ(result.code, codes::riffreadfailed);
    EXPECT_EQ(result.syserr, platform::readfailure);
}

// Misuse of a reader that is not open, including handing it to the writer.
TEST_F(WaveSourceTest, OperationsOnAReaderThatIsNotOpen) {
    WaveSource source;
    char byte = 0;
    Result read, closed, sought, written;
    EXPECT_FALSE(source.read(read, &byte, 1));
    EXPECT_FALSE(source.close(closed));
    EXPECT_FALSE(source.seek(sought, 0, SeekOrigin::begin));
    std::string output = dir.path("out.wav");
    EXPECT_FALSE(WaveWriter().write(written, source, output.c_str()));
    EXPECT_EQ(read.code, codes::readnotopen);
    EXPECT_EQ(closed.code, codes::closenotopen);
    EXPECT_EQ(sought.code, codes::seeknotopen);
    EXPECT_EQ(written.code, codes::readnotopen);
    EXPECT_EQ(read.syserr + closed.syserr + sought.syserr + written.syserr, 0u);
    EXPECT_FALSE(fileexists(output));
}

// A second open is refused and leaves the first file open; a reader opened again after a close
// must not keep the fields of the earlier file.
TEST_F(WaveSourceTest, OpenAgain) {
    std::string other =
        dir.write("other.wav", riffwave(pcmfmt(1, 8) + fact(9) + chunk("data", "")));
    std::string nodata = dir.write("nodata.wav", riffwave(pcmfmt(1, 8)));
    std::string empty = dir.write("empty.wav", riffwave(pcmfmt(1, 8) + chunk("data", "")));
    WaveSource source;
    Result result;
    ASSERT_TRUE(source.open(result, small.c_str()));
    EXPECT_FALSE(source.open(result, other.c_str()));
    EXPECT_EQ(result.code, codes::alreadyopen);
    EXPECT_EQ(source.totalsamples(), 4u);
    std::string got(4, '\0');
    Result reading;
    EXPECT_TRUE(source.read(reading, got.data(), 4));
    EXPECT_EQ(got, "abcd");
    ASSERT_TRUE(source.close(reading));

    ASSERT_TRUE(source.open(reading, other.c_str()));
    ASSERT_TRUE(source.close(reading));
    EXPECT_FALSE(source.open(reading, nodata.c_str()));
    EXPECT_EQ(reading.code, codes::chunkheaderfailed);
    reading = Result();
    EXPECT_FALSE(source.open(reading, empty.c_str()));
    EXPECT_EQ(reading.code, codes::badsamplecount);
}

TEST_F(WaveSourceTest, SeekLimits) {
    WaveSource source;
    Result opening;
    ASSERT_TRUE(source.open(opening, small.c_str()));
    struct Case {
        std::int64_t distance;
        SeekOrigin origin;
        std::uint32_t code;
        std::uint64_t position;
    };
    const Case cases[] = {
        {-1, SeekOrigin::current, codes::seekrange, 44},
        {INT64_MIN, SeekOrigin::begin, codes::seekrange, 44},
        {2, SeekOrigin::current, 0, 46},
        {0xFFFFFFFF, SeekOrigin::begin, 0, 0xFFFFFFFF}, // beyond the end is no failure
        {0, SeekOrigin::begin, 0, 0},
    };
    for (const Case& c : cases) {
        Result result;
        EXPECT_EQ(source.seek(result, c.distance, c.origin), c.code == 0);
        EXPECT_EQ(result.code, c.code);
        std::uint32_t error = 1;
        EXPECT_EQ(source.tell(error), c.position) << c.distance;
        EXPECT_EQ(error, 0u);
    }
    EXPECT_TRUE(source.close(opening));
}

TEST_F(WaveSourceTest, OperationsKeepTheFirstFailure) {
    WaveSource source;
    Result opening;
    ASSERT_TRUE(source.open(opening, small.c_str()));
    Result result;
    result.fail(codes::badbits);
    char buffer[8];
    EXPECT_FALSE(source.read(result, buffer, 2)); // succeeds, still reports the failure
    EXPECT_FALSE(source.read(result, buffer, 8)); // fails itself
    EXPECT_FALSE(source.seek(result, -1, SeekOrigin::current));
    EXPECT_FALSE(source.close(result));
    EXPECT_EQ(result.code, codes::badbits);
    EXPECT_EQ(result.syserr, 0u);
    // A reader fed a failed record stops at its first seek and is left closed.
    EXPECT_FALSE(source.open(result, small.c_str()));
    EXPECT_FALSE(source.isopen());
    EXPECT_EQ(result.code, codes::badbits);
}

// Data that starts at or beyond 4 GiB passes the format checks, then cannot be reached.
TEST_F(WaveSourceTest, DataStartAtOrBeyond4GiB) {
    for (std::uint32_t junk : {0xFFFFFFCCu, 0xFFFFFFF0u}) {
        std::string head = riffwave(pcmfmt(1, 8) + header("JUNK", junk));
        std::uint64_t at = head.size() + std::uint64_t{junk};
        std::string file = dir.writesparse("big.wav", {{0, head}, {at, chunk("data", "abcdefgh")}});
        WaveSource source;
        Result result;
        EXPECT_FALSE(source.open(result, file.c_str()));
        EXPECT_EQ(result.code, codes::seekrange);
        EXPECT_EQ(result.syserr, 0u);
        EXPECT_EQ(source.datastartpos(), at + 8);
        EXPECT_GE(source.datastartpos(), gib4);
        EXPECT_FALSE(source.isopen());
    }
}

// A "fmt " record that cannot be allocated is a recorded failure with the out-of-memory number.
// A size beyond the rest of the file, or whose record would not fit 32 bits, is found out
// before any allocation; a file of more than 4 GiB can hold a body of any 32-bit size.
TEST_F(WaveSourceTest, FormatRecordThatCannotBeAllocated) {
    struct Case {
        std::string file;
        std::uint32_t code;
        std::size_t refusals;
    };
    auto huge = [&](const char* name, std::uint32_t size) {
        return dir.writesparse(name, {{0, riffwave(header("fmt ", size))}, {gib4 + 63, "x"}});
    };
    const std::string body = fmtbody(1, 1, 8000, 8000, 1, 8, std::string(2 << 20, 'x'));
    const Case cases[] = {
        {dir.write("big.wav", riffwave(chunk("fmt ", body) + chunk("data", "ab"))),
         codes::fmtnomemory, 1},
        {dir.write("lying.wav", riffwave(header("fmt ", 0xFFFFFFFF) + "ab")), codes::fmtreadfailed,
         0},
        {huge("largest.wav", 0xFFFFFFF7), codes::fmtnomemory, 1},
        {huge("beyond.wav", 0xFFFFFFF8), codes::fmtnomemory, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        AllocationLimit limit(1 << 20); // memory refused: no test allocates gigabytes
        WaveSource source;
        Result result;
        EXPECT_FALSE(source.open(result, c.file.c_str()));
        EXPECT_EQ(result.code, c.code);
        EXPECT_EQ(AllocationLimit::refusals(), c.refusals);
        if (c.code == codes::fmtnomemory) {
            EXPECT_EQ(result.syserr, platform::outofmemory);
        }
    }
}
