// The reader with repairs allowed beside the strict one: what each takes, data size, repairs.
#include "Codes.h"
#include "TempDir.h"
#include "WavBytes.h"
#include "WaveSource.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace wav;

namespace {

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

TEST(WaveRepair, LenientOpenBesideStrictOpen) {
    TempDir dir;
    for (const RepairCase& c : repaircases()) {
        SCOPED_TRACE(c.name);
        std::string file = dir.write("in.wav", c.bytes);
        for (bool lenient : {false, true}) {
            WaveSource source;
            source.allowrepairs(lenient);
            Result result;
            if (source.open(result, file.c_str())) {
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
