#include "AllocationLimit.h"
#include "Codes.h"
#include "PlatformExpect.h"
#include "WavBuilder.h"
#include "WaveSource.h"

#include <gtest/gtest.h>

#include <string>

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

std::string pcm16stereo() {
    return pcmfmt(2, 16);
}

// Inputs and what open makes of them. Short reads carry whatever the platform's last error
// holds, so only the code is compared here.
std::vector<OpenCase> opencases() {
    const std::string data1000 = chunk("data", samples(1000));
    return {
        {"empty file", "", codes::riffreadfailed},
        {"shorter than the RIFF header", "RIFF\x04\0\0\0WAV", codes::riffreadfailed},
        {"RIFF header only", riffwave(""), codes::chunkheaderfailed},
        {"lower-case riff", "riff" + riffwave(pcm16stereo() + data1000).substr(4), codes::badriff},
        {"big-endian RIFX", "RIFX" + riffwave(pcm16stereo() + data1000).substr(4), codes::badriff},
        {"not WAVE", riffwave(pcm16stereo() + data1000).replace(8, 4, "AVI "), codes::badwave},
        {"plain", riffwave(pcm16stereo() + data1000), 0, 250, 1000, 44},
        {"wrong RIFF size accepted", riffwave(pcm16stereo() + data1000, 7), 0, 250, 1000, 44},
        {"data before fmt", riffwave(data1000 + pcm16stereo()), 0, 250, 1000, 20},
        {"later of two data chunks", riffwave(chunk("data", samples(8)) + data1000 + pcm16stereo()),
         0, 250, 1000, 36},
        {"later of two fmt chunks, bad then good",
         riffwave(pcmfmt(3, 16) + pcmfmt(1, 8) + data1000), 0, 1000, 1000, 68},
        {"later of two fmt chunks, good then bad",
         riffwave(pcmfmt(1, 8) + pcmfmt(3, 16) + data1000), codes::badchannels},
        {"fact of size 8 skipped, count derived",
         riffwave(pcm16stereo() + chunk("fact", le32(7) + le32(7)) + data1000), 0, 250, 1000, 60},
        {"fact of 0 derived", riffwave(pcm16stereo() + fact(0) + data1000), 0, 250, 1000, 56},
        {"fact taken", riffwave(pcm16stereo() + fact(77) + data1000), 0, 77, 1000, 56},
        {"fact after fmt and data never read", riffwave(pcm16stereo() + data1000 + fact(5)), 0, 250,
         1000, 44},
        {"fact with empty data", riffwave(pcm16stereo() + fact(5) + chunk("data", "")), 0, 5, 0,
         56},
        {"3 bytes of 16-bit mono", riffwave(pcmfmt(1, 16) + chunk("data", "abc")), 0, 1, 3, 44},
        {"1 byte of 16-bit mono", riffwave(pcmfmt(1, 16) + chunk("data", "a")),
         codes::badsamplecount},
        {"empty data", riffwave(pcm16stereo() + chunk("data", "")), codes::badsamplecount},
        {"fmt body of 18 bytes",
         riffwave(chunk("fmt ", fmtbody(1, 2, 8000, 1, 2, 16, "xx")) + data1000), 0, 250, 1000, 46},
        {"fmt body of 40 bytes",
         riffwave(chunk("fmt ", fmtbody(1, 1, 8000, 0, 0, 8, std::string(24, 'x'))) + data1000), 0,
         1000, 1000, 68},
        {"format tag 3", riffwave(chunk("fmt ", fmtbody(3, 2, 8000, 1, 4, 16)) + data1000),
         codes::notpcm},
        {"format tag 0xFFFE with bad fields",
         riffwave(chunk("fmt ", fmtbody(0xFFFE, 0, 0, 0, 0, 0)) + data1000), codes::notpcm},
        {"channel count 0", riffwave(chunk("fmt ", fmtbody(1, 0, 8000, 1, 2, 16)) + data1000),
         codes::badchannels},
        {"channel count 3", riffwave(pcmfmt(3, 16) + data1000), codes::badchannels},
        {"12 bits", riffwave(pcmfmt(1, 12) + data1000), codes::badbits},
        {"sample rate 0", riffwave(pcmfmt(2, 16, 0) + data1000), codes::badrate},
        {"fmt body of 14 bytes", riffwave(chunk("fmt ", std::string(14, '\x01')) + data1000),
         codes::fmttooshort},
        {"fmt body empty", riffwave(chunk("fmt ", "") + data1000), codes::fmttooshort},
        {"short fmt replaced by a later full one",
         riffwave(chunk("fmt ", "ab") + pcm16stereo() + data1000), 0, 250, 1000, 54},
        {"short fmt, data, full fmt never read",
         riffwave(chunk("fmt ", "ab") + data1000 + pcm16stereo()), codes::fmttooshort},
        {"fmt body beyond the end", riffwave(header("fmt ", 16) + "\x01\0\x02\0"),
         codes::fmtreadfailed},
        {"fmt size 0xFFFFFFF0 in a small file", riffwave(header("fmt ", 0xFFFFFFF0) + data1000),
         codes::fmtreadfailed},
        {"fact body beyond the end", riffwave(pcm16stereo() + header("fact", 4) + "ab"),
         codes::factreadfailed},
        {"end before data", riffwave(pcm16stereo() + chunk("LIST", "INFO")),
         codes::chunkheaderfailed},
        {"data past the end accepted after fmt",
         riffwave(pcm16stereo() + header("data", 5000) + samples(10)), 0, 1250, 5000, 44},
        {"data past the end before fmt", riffwave(header("data", 5000) + pcm16stereo()),
         codes::chunkheaderfailed},
        {"odd chunk without pad byte", riffwave(chunk("JUNK", "abc") + pcm16stereo() + data1000), 0,
         250, 1000, 55},
        {"odd chunk with pad byte misaligns the walk",
         riffwave(chunk("JUNK", "abc") + std::string(1, '\0') + pcm16stereo() + data1000),
         codes::chunkheaderfailed},
        {"other chunks everywhere",
         riffwave(chunk("LIST", "INFOabcd") + pcm16stereo() + chunk("junk", "") + data1000 +
                  chunk("LIST", "x")),
         0, 250, 1000, 68},
    };
}

class WaveSourceTest : public ::testing::Test {
protected:
    TempDir dir;
};

} // namespace

TEST_F(WaveSourceTest, OpenWalksAndChecks) {
    int index = 0;
    for (const OpenCase& c : opencases()) {
        SCOPED_TRACE(c.name);
        std::string file = dir.write("in" + std::to_string(index++) + ".wav", c.bytes);
        WaveSource source;
        Result result;
        bool opened = source.open(result, file.c_str());
        EXPECT_EQ(result.code, c.code) << std::hex << result.code;
        EXPECT_EQ(opened, c.code == 0);
        EXPECT_EQ(source.isopen(), opened);
        if (codes::kindof(c.code) == codes::kindnone) {
            EXPECT_EQ(result.syserr, 0u);
        }
        if (!opened) {
            EXPECT_EQ(source.formatrecord(), nullptr);
            continue;
        }
        EXPECT_EQ(source.totalsamples(), c.samplecount);
        EXPECT_EQ(source.datachunksize(), c.datasize);
        EXPECT_EQ(source.datastartpos(), c.datastart);
        // Positioned at the first sample byte.
        std::uint32_t error = 1;
        EXPECT_EQ(source.tell(error), c.datastart);
        EXPECT_EQ(error, 0u);
        EXPECT_TRUE(source.close(result));
    }
}

TEST_F(WaveSourceTest, ReadsSampleDataFromItsStart) {
    std::string data = samples(300);
    std::string file =
        dir.write("in.wav", riffwave(chunk("data", data) + chunk("LIST", "xyz") + pcmfmt(1, 8)));
    WaveSource source;
    Result result;
    ASSERT_TRUE(source.open(result, file.c_str()));
    std::string got(300, '\0');
    EXPECT_TRUE(source.read(result, got.data(), 300));
    EXPECT_EQ(got, data);
    // Reads go on into the chunks that follow; at the end of the file fewer bytes than asked
    // come (11 "LIST" and 24 "fmt " bytes are left).
    EXPECT_FALSE(source.read(result, got.data(), 36));
    EXPECT_EQ(result.code, codes::readfailed);
    Result closing;
    EXPECT_TRUE(source.close(closing));
}

TEST_F(WaveSourceTest, MissingInput) {
    struct Case {
        std::string name;
        std::uint32_t error;
    };
    const Case cases[] = {{dir.path("absent.wav"), platform::missingfile()},
                          {dir.path("absent") + "/in.wav", platform::missingfolder()}};
    for (const Case& c : cases) {
        WaveSource source;
        Result result;
        EXPECT_FALSE(source.open(result, c.name.c_str()));
        EXPECT_EQ(result.code, codes::openfailed);
        EXPECT_EQ(result.syserr, c.error);
        EXPECT_FALSE(source.isopen());
    }
}

TEST_F(WaveSourceTest, OperationsOnAReaderThatIsNotOpen) {
    WaveSource source;
    char byte = 0;
    Result result;
    EXPECT_FALSE(source.read(result, &byte, 1));
    EXPECT_EQ(result.code, codes::readnotopen);
    result = Result();
    EXPECT_FALSE(source.close(result));
    EXPECT_EQ(result.code, codes::closenotopen);
    result = Result();
    EXPECT_FALSE(source.seek(result, 0, SeekOrigin::begin));
    EXPECT_EQ(result.code, codes::seeknotopen);
    EXPECT_EQ(result.syserr, 0u);
}

TEST_F(WaveSourceTest, OpenOnAnOpenReaderLeavesItAsItWas) {
    std::string data = samples(16);
    std::string first = dir.write("a.wav", riffwave(pcmfmt(1, 8) + chunk("data", data)));
    std::string second = dir.write("b.wav", riffwave(pcmfmt(2, 16) + chunk("data", "x")));
    WaveSource source;
    Result result;
    ASSERT_TRUE(source.open(result, first.c_str()));
    EXPECT_FALSE(source.open(result, second.c_str()));
    EXPECT_EQ(result.code, codes::alreadyopen);
    EXPECT_EQ(source.totalsamples(), 16u);
    std::string got(16, '\0');
    Result reading;
    EXPECT_TRUE(source.read(reading, got.data(), 16));
    EXPECT_EQ(got, data);
    EXPECT_TRUE(source.close(reading));
}

// A reader opened a second time must not keep the fields of the first file.
TEST_F(WaveSourceTest, ReopenStartsFromNothing) {
    std::string first = dir.write("a.wav", riffwave(pcmfmt(1, 8) + fact(9) + chunk("data", "")));
    std::string second = dir.write("b.wav", riffwave(pcmfmt(1, 8)));
    std::string third = dir.write("c.wav", riffwave(pcmfmt(1, 8) + chunk("data", "")));
    WaveSource source;
    Result result;
    ASSERT_TRUE(source.open(result, first.c_str()));
    ASSERT_TRUE(source.close(result));
    EXPECT_FALSE(source.open(result, second.c_str()));
    EXPECT_EQ(result.code, codes::chunkheaderfailed);
    result = Result();
    EXPECT_FALSE(source.open(result, third.c_str()));
    EXPECT_EQ(result.code, codes::badsamplecount);
}

TEST_F(WaveSourceTest, SeekLimits) {
    std::string file = dir.write("in.wav", riffwave(pcmfmt(1, 8) + chunk("data", "abcd")));
    WaveSource source;
    Result opening;
    ASSERT_TRUE(source.open(opening, file.c_str()));
    struct Case {
        std::int64_t distance;
        SeekOrigin origin;
        std::uint32_t code;
        std::uint64_t position;
    };
    const Case cases[] = {
        {-1, SeekOrigin::current, codes::seekrange, 44},
        {0x100000000, SeekOrigin::begin, codes::seekrange, 44},
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
    std::string file = dir.write("in.wav", riffwave(pcmfmt(1, 8) + chunk("data", "abcd")));
    WaveSource source;
    Result opening;
    ASSERT_TRUE(source.open(opening, file.c_str()));
    Result result;
    result.fail(codes::badbits);
    char buffer[8];
    EXPECT_FALSE(source.read(result, buffer, 2)); // succeeds, still reports the failure
    EXPECT_FALSE(source.read(result, buffer, 8)); // fails itself
    EXPECT_FALSE(source.seek(result, -1, SeekOrigin::current));
    EXPECT_FALSE(source.close(result));
    EXPECT_EQ(result.code, codes::badbits);
    EXPECT_EQ(result.syserr, 0u);
    EXPECT_FALSE(source.isopen());
    // A reader fed a failed record stops at its first seek and is left closed.
    EXPECT_FALSE(source.open(result, file.c_str()));
    EXPECT_FALSE(source.isopen());
    EXPECT_EQ(result.code, codes::badbits);
}

// Data that starts at or beyond 4 GiB passes the format checks, then cannot be reached.
TEST_F(WaveSourceTest, DataStartBeyond4GiB) {
    std::string head = riffwave(pcmfmt(1, 8) + header("JUNK", 0xFFFFFFF0));
    std::uint64_t at = head.size() + std::uint64_t{0xFFFFFFF0};
    std::string file =
        dir.writesparse("big.wav", at + 16, {{0, head}, {at, chunk("data", "abcdefgh")}});
    WaveSource source;
    Result result;
    EXPECT_FALSE(source.open(result, file.c_str()));
    EXPECT_EQ(result.code, codes::seekrange);
    EXPECT_EQ(result.syserr, 0u);
    EXPECT_GE(source.datastartpos(), gib4);
    EXPECT_FALSE(source.isopen());
}

// "fmt " records that cannot be allocated end in a recorded failure with the out-of-memory
// number; a size larger than the rest of the file is found out before any allocation.
TEST_F(WaveSourceTest, FormatRecordThatCannotBeAllocated) {
    std::string body = fmtbody(1, 1, 8000, 8000, 1, 8, std::string(70000, 'x'));
    std::string file =
        dir.write("big-fmt.wav", riffwave(chunk("fmt ", body) + chunk("data", "ab")));
    {
        AllocationLimit limit(65536);
        WaveSource source;
        Result result;
        EXPECT_FALSE(source.open(result, file.c_str()));
        EXPECT_EQ(result.code, codes::fmtnomemory);
        EXPECT_EQ(result.syserr, platform::outofmemory());
        EXPECT_EQ(AllocationLimit::refusals(), 1u);
    }
    WaveSource source;
    Result result;
    EXPECT_TRUE(source.open(result, file.c_str()));
    EXPECT_TRUE(source.close(result));

    std::string small = dir.write("lying-fmt.wav", riffwave(header("fmt ", 0xFFFFFFFF) + "ab"));
    AllocationLimit limit(1024);
    EXPECT_FALSE(source.open(result, small.c_str()));
    EXPECT_EQ(result.code, codes::fmtreadfailed);
    EXPECT_EQ(AllocationLimit::refusals(), 0u);
}

// A file of more than 4 GiB can hold a "fmt " body of any 32-bit size.
TEST_F(WaveSourceTest, HugeFormatSizesInAHugeFile) {
    const std::uint32_t sizes[] = {0xFFFFFFFF, 0xFFFFFFF8, 0xFFFFFFF7, 0xF0000000};
    int index = 0;
    for (std::uint32_t size : sizes) {
        SCOPED_TRACE(size);
        std::string file = dir.writesparse("huge" + std::to_string(index++) + ".wav", gib4 + 64,
                                           {{0, riffwave(header("fmt ", size))}});
        AllocationLimit limit(1u << 20); // memory refused: no test allocates gigabytes
        WaveSource source;
        Result result;
        EXPECT_FALSE(source.open(result, file.c_str()));
        EXPECT_EQ(result.code, codes::fmtnomemory);
        EXPECT_EQ(result.syserr, platform::outofmemory());
    }
}
