#include "Codes.h"
#include "PlatformExpect.h"
#include "TempDir.h"
#include "WavBytes.h"
#include "WaveSource.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace wav;

namespace {

struct Case {
    const char* name;
    std::string bytes;
    std::uint32_t code; // 0: opens with the fields below
    std::uint32_t samplecount = 0, datasize = 0;
    std::uint64_t datastart = 0;
};

class WaveSourceTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string small = dir.write("small.wav", riffwave(pcmfmt(1, 8) + chunk("data", "abcd")));
    // Every outcome: a failure closes with its own code's number (not a stale one); a success
    // stands at the data start.
    Result open(WaveSource& source, const std::string& file) {
        Result result;
        EXPECT_EQ(fileopenread(dir.path("absent.wav").c_str()), nofile); // leaves its number
        bool opened = source.open(result, file.c_str());
        EXPECT_EQ(opened, result.ok());
        EXPECT_EQ(source.isopen(), result.ok());
        EXPECT_EQ(result.syserr,
                  codes::kindof(result.code) == codes::kindnone ? 0 : platform::endoffile);
        std::uint32_t error = 1;
        EXPECT_TRUE(!result.ok() || source.tell(error) == source.datastartpos());
        return result;
    }
};

struct RepairCase {
    const char* name;
    std::string bytes;
    std::uint32_t strict; // code of a strict open (0: opens)
    std::uint32_t lenient;
    std::uint32_t datasize = 0; // lenient, when it opens
    WaveRepairs repairs = {};
};

// EXTENSIBLE "fmt " at 48 kHz: extension size, valid bits, mask, sub-format GUID.
std::string extensible(std::uint16_t channels, std::uint16_t bits, std::uint16_t valid,
                       char guid0 = 1, std::uint16_t extension = 22) {
    auto align = static_cast<std::uint16_t>(channels * (bits / 8));
    return chunk("fmt ", fmtbody(0xFFFE, channels, 48000, 48000u * align, align, bits) +
                             le16(extension) + le16(valid) + le32(3) + guid0 +
                             std::string("\0\0\0\0\0\x10\0\x80\0\0\xaa\0\x38\x9b\x71", 15));
}

auto fields(const WaveRepairs& r) {
    return std::make_tuple(r.datasize, r.declaredsize, r.padbytes, r.extensible);
}

std::vector<RepairCase> repaircases() {
    const std::string f = pcmfmt(2, 16), pad(1, '\0'), d4 = chunk("data", "abcd");
    auto size = [](std::uint32_t declared) { return WaveRepairs{true, declared, 0, false}; };
    auto pads = [](std::uint32_t count) { return WaveRepairs{false, 0, count, false}; };
    const WaveRepairs ext{false, 0, 0, true};
    const std::uint32_t notpcm = codes::notpcm, nofmt = codes::chunkheaderfailed;
    const std::uint32_t streamed = wave::streameddatasize;
    return {
        {"streamed, cut to frames", riffwave(f + header("data", streamed) + samples(19)), 0, 0, 16,
         size(streamed)},
        {"0, bytes follow", riffwave(pcmfmt(1, 8) + header("data", 0) + "abc"),
         codes::badsamplecount, 0, 3, size(0)},
        {"0, nothing follows", riffwave(f + fact(5) + header("data", 0)), 0, 0},
        // A chunk header after a size of 0 (a text id, a size that fits) ends an empty chunk.
        {"0, then a chunk", riffwave(f + fact(5) + header("data", 0) + chunk("LIST", "")), 0, 0},
        {"0, then a text id whose size runs past the end",
         riffwave(f + header("data", 0) + "LIST" + le32(5) + "abcd"), codes::badsamplecount, 0, 12,
         size(0)},
        {"0, then no text id", riffwave(f + header("data", 0) + "LIS\x01" + le32(4) + "abcd"),
         codes::badsamplecount, 0, 12, size(0)},
        {"past the end, no whole frame", riffwave(f + header("data", 8) + "abc"), 0,
         codes::badsamplecount, 0, size(8)},
        {"streamed data before fmt", riffwave(header("data", streamed) + "abcd" + f), nofmt, nofmt},
        {"pads after odd chunks (one of 257 bytes: all size bytes count)",
         riffwave(chunk("JUNK", "abc") + pad + chunk("LIST", samples(257)) + pad +
                  chunk("fmt ", pcmbody(1, 8) + "x") + pad + d4),
         nofmt, 0, 4, pads(3)},
        {"odd chunk without pad, then an id whose next 4 bytes are text too",
         riffwave(chunk("JUNK", "abc") + chunk("LIST", std::string(32, 'i')) + f + d4), 0, 0, 4},
        {"EXTENSIBLE 16-bit stereo", riffwave(extensible(2, 16, 16) + d4), notpcm, 0, 4, ext},
        {"EXTENSIBLE 8-bit mono", riffwave(extensible(1, 8, 8) + d4), notpcm, 0, 4, ext},
        {"EXTENSIBLE 24-bit", riffwave(extensible(2, 24, 24) + d4), notpcm, notpcm},
        {"EXTENSIBLE 3 channels", riffwave(extensible(3, 16, 16) + d4), notpcm, notpcm},
        {"EXTENSIBLE 12 valid bits", riffwave(extensible(2, 16, 12) + d4), notpcm, notpcm},
        {"EXTENSIBLE float", riffwave(extensible(2, 16, 16, 3) + d4), notpcm, notpcm},
        {"EXTENSIBLE short extension", riffwave(extensible(2, 16, 16, 1, 0) + d4), notpcm, notpcm},
        {"EXTENSIBLE cut short", riffwave(chunk("fmt ", extensible(2, 16, 16).substr(8, 38)) + d4),
         notpcm, notpcm},
    };
}

} // namespace

// Bodies skipped by declared size (no pad), the later of two chunks wins, stop at "data" once
// "fmt " is known; checks in this order. Pad bytes: the repair table below.
TEST_F(WaveSourceTest, OpenWalksAndChecks) {
    const std::string f = pcmfmt(2, 16), d = chunk("data", samples(1000)); // 250 samples
    auto fmt = [](const std::string& body) { return chunk("fmt ", body); };
    const Case cases[] = {
        {"shorter than the RIFF header", "RIFF\x04\0\0\0WAV", codes::riffreadfailed},
        {"lower-case riff", "riff" + riffwave(f + d).substr(4), codes::badriff},
        {"not WAVE", riffwave(f + d).replace(8, 4, "AVI "), codes::badwave},
        {"plain", riffwave(f + d), 0, 250, 1000, 44},
        {"later of two data", riffwave(chunk("data", "12345678") + d + f), 0, 250, 1000, 36},
        {"two fmt, bad then good", riffwave(pcmfmt(3) + pcmfmt(1, 8) + d), 0, 1000, 1000, 68},
        {"fact of 8 bytes skipped", riffwave(f + chunk("fact", le32(7) + le32(7)) + d), 0, 250,
         1000, 60},
        {"fact after data never read", riffwave(f + d + fact(5)), 0, 250, 1000, 44},
        {"fact with empty data", riffwave(f + fact(5) + chunk("data", "")), 0, 5, 0, 56},
        {"3 bytes of 16-bit mono", riffwave(pcmfmt(1) + chunk("data", "abc")), 0, 1, 3, 44},
        {"fmt of 40 bytes, rate and align unchecked",
         riffwave(fmt(fmtbody(1, 1, 8000, 0, 0, 8, std::string(24, 'x'))) + d), 0, 1000, 1000, 68},
        {"tag checked first", riffwave(fmt(fmtbody(0xFFFE, 0, 0, 0, 0, 0)) + d), codes::notpcm},
        {"0 channels", riffwave(fmt(fmtbody(1, 0, 8000, 1, 2, 16)) + d), codes::badchannels},
        {"12 bits", riffwave(pcmfmt(1, 12) + d), codes::badbits},
        {"rate 0", riffwave(pcmfmt(2, 16, 0) + d), codes::badrate},
        {"fmt of 14 bytes", riffwave(fmt(std::string(14, '\x01')) + d), codes::fmttooshort},
        {"short fmt, then a full one", riffwave(fmt("ab") + f + d), 0, 250, 1000, 54},
        {"short fmt, data, full fmt unread", riffwave(fmt("ab") + d + f), codes::fmttooshort},
        {"fmt beyond the end", riffwave(header("fmt ", 16) + "ab"), codes::fmtreadfailed},
        {"fmt of 100 bytes, the rest skipped", riffwave(fmt(pcmbody(1, 8) + samples(84)) + d), 0,
         1000, 1000, 128},
        {"fmt of 100 bytes, one short", riffwave(header("fmt ", 100) + pcmbody() + samples(83)),
         codes::fmtreadfailed},
        {"fact beyond the end", riffwave(f + header("fact", 4) + "ab"), codes::factreadfailed},
        {"end before data", riffwave(f + chunk("LIST", "INFO")), codes::chunkheaderfailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = dir.write("in.wav", c.bytes);
        WaveSource source;
        Result result = open(source, file);
        EXPECT_EQ(result.code, c.code) << std::hex << result.code;
        EXPECT_EQ(source.formatrecord() != nullptr, result.ok());
        if (result.ok()) {
            EXPECT_EQ(source.totalsamples(), c.samplecount);
            EXPECT_EQ(source.datachunksize(), c.datasize);
            EXPECT_EQ(source.datastartpos(), c.datastart);
            EXPECT_TRUE(source.close(result));
        }
    }
}

// A "fmt " body of 4 GiB is skipped, not read, and one that ends a byte early fails as it did
// when read whole; a data start past the 32-bit seek range is unreachable. Sparse files.
TEST_F(WaveSourceTest, LargeSizes) {
    constexpr std::uint64_t gib4 = 0x100000000, body = 0xFFFFFFFF;
    auto huge = [&](std::uint64_t last) { // the file ends with byte last of the body
        return dir.writesparse("huge" + std::to_string(last),
                               {{0, riffwave(header("fmt ", body))}, {last + 19, "x"}});
    };
    auto farstart = [&](std::uint32_t junk) {
        std::string head = riffwave(pcmfmt(1, 8) + header("JUNK", junk));
        return dir.writesparse(
            "far" + std::to_string(junk),
            {{0, head}, {std::uint64_t{junk} + head.size(), chunk("data", "ab")}});
    };
    const std::pair<std::string, std::uint32_t> cases[] = {
        {huge(body), codes::chunkheaderfailed},
        {huge(body - 1), codes::fmtreadfailed},
        {farstart(0xFFFFFFCC), codes::seekrange},
    };
    for (const auto& [file, code] : cases) {
        SCOPED_TRACE(file);
        WaveSource source;
        EXPECT_EQ(open(source, file).code, code);
        EXPECT_TRUE(code != codes::seekrange || source.datastartpos() >= gib4);
    }
    // With repairs allowed a declared size is checked against what a canonical header holds.
    for (std::uint32_t size : {wave::maxcanonicaldata, wave::maxcanonicaldata + 1}) {
        std::string head = riffwave(pcmfmt(1, 8) + header("data", size));
        std::string file =
            dir.writesparse("max" + std::to_string(size),
                            {{0, head}, {head.size() + std::uint64_t{size} - 1, "x"}});
        WaveSource source;
        source.allowrepairs(true);
        Result result = open(source, file);
        EXPECT_EQ(result.code, size == wave::maxcanonicaldata ? 0 : codes::datatoolarge);
        source.close(result);
    }
}

// Reopening keeps no field of the earlier file; an open reader refuses.
TEST_F(WaveSourceTest, OpenAgain) {
    std::string fact9 =
        dir.write("fact9.wav", riffwave(pcmfmt(1, 8) + fact(9) + chunk("data", "")));
    WaveSource source;
    Result result;
    ASSERT_TRUE(source.open(result, small.c_str()));
    EXPECT_FALSE(source.open(result, fact9.c_str()));
    EXPECT_EQ(result.code, codes::alreadyopen);
    EXPECT_EQ(source.totalsamples(), 4u);
    Result again;
    ASSERT_TRUE(source.close(again) && source.open(again, fact9.c_str()) && source.close(again));
    EXPECT_EQ(open(source, dir.write("nodata.wav", riffwave(pcmfmt(1, 8)))).code,
              codes::chunkheaderfailed);
    EXPECT_EQ(open(source, dir.write("empty.wav", riffwave(pcmfmt(1, 8) + chunk("data", "")))).code,
              codes::badsamplecount);
}

// Misuse: a reader that is not open, a seek out of range, a record that already failed.
TEST_F(WaveSourceTest, Refusals) {
    WaveSource source;
    char buffer[8];
    Result read, closed, sought, range, first;
    EXPECT_FALSE(source.read(read, buffer, 1) || source.close(closed) ||
                 source.seek(sought, 0, SeekOrigin::begin));
    EXPECT_EQ(read.code, codes::readnotopen);
    EXPECT_EQ(closed.code, codes::closenotopen);
    EXPECT_EQ(sought.code, codes::seeknotopen);
    std::uint32_t error = 0;
    source.tell(error);
    EXPECT_NE(error, 0u);
    ASSERT_TRUE(source.open(range, small.c_str()));
    EXPECT_FALSE(source.seek(range, -1, SeekOrigin::current));
    EXPECT_EQ(range.code, codes::seekrange);
    EXPECT_TRUE(source.seek(first, 0xFFFFFFFF, SeekOrigin::begin)); // beyond the end is no failure
    first.fail(codes::badbits);
    EXPECT_FALSE(source.seek(first, 0, SeekOrigin::begin) || source.read(first, buffer, 2) ||
                 source.close(first) || source.open(first, small.c_str()));
    EXPECT_EQ(first.code, codes::badbits);
    EXPECT_FALSE(source.isopen()); // the open stopped at its first seek and closed again
}

// The reader with repairs allowed beside the strict one: what each takes, data size, repairs.
TEST_F(WaveSourceTest, LenientOpenBesideStrictOpen) {
    for (const RepairCase& c : repaircases()) {
        SCOPED_TRACE(c.name);
        std::string file = dir.write("in.wav", c.bytes);
        for (bool lenient : {false, true}) {
            WaveSource source;
            source.allowrepairs(lenient);
            Result result = open(source, file);
            if (result.ok()) {
                source.close(result);
            }
            EXPECT_EQ(result.code, lenient ? c.lenient : c.strict);
            EXPECT_EQ(fields(source.repairs()), fields(lenient ? c.repairs : WaveRepairs{}));
            if (lenient && c.lenient == 0) {
                EXPECT_EQ(source.datachunksize(), c.datasize);
            }
        }
    }
}
