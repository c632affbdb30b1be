// sonorm-cli --repair over files the common tools write (sox and ffmpeg into pipes, ffmpeg's
// WAVE_FORMAT_EXTENSIBLE) and odd-sized chunks made here: the samples come out byte for byte,
// the rest stays refused, and --check foretells every conversion in both modes.
#include "TempDir.h"
#include "TestPlatform.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

using namespace wav;

namespace {

struct Made {
    std::string name, body16, data; // the file; its canonical output's fmt body and samples
    std::uint32_t strict, repair;   // codes of a check without and with --repair (0: ok)
};

} // namespace

TEST(Repair, CheckForetellsEveryConversionAndRepairsKeepTheSamplesInEveryMode) {
    TempDir dir;
    auto sh = [&](const std::string& command) {
        ASSERT_EQ(std::system(("cd " + dir.path() + " && " + command).c_str()), 0) << command;
    };
    uselocale("C.UTF-8"); // texts in English
    sh("sox -n -r 8000 -c 2 -b 16 -e signed -t raw raw.pcm synth 0.1 sine 440 2>/dev/null");
    const std::string raw = readfile(dir.path("raw.pcm")), pad(1, '\0');
    const std::string ff = "ffmpeg -v error -f s16le -ac 2 -ar ";
    sh("cat raw.pcm | sox -t raw -r 8000 -c 2 -b 16 -e signed - -t wav - 2>/dev/null | cat "
       ">sox-pipe.wav");
    sh(ff + "8000 -i raw.pcm -f wav - | cat >ffmpeg-pipe.wav");
    sh(ff + "96000 -i raw.pcm ffmpeg-ext.wav");
    sh(ff + "96000 -i raw.pcm -c:a pcm_s24le ffmpeg-s24.wav");
    dir.write("ffmpeg-pipe.wav", readfile(dir.path("ffmpeg-pipe.wav")) + "x"); // half a frame
    dir.write("zero.wav", riffwave(pcmfmt(2, 16, 8000) + header("data", 0) + raw));
    dir.write("empty.wav", riffwave(pcmfmt() + header("data", 0) + chunk("LIST", "INFOISFTabcd")));
    dir.write("padded.wav",
              riffwave(chunk("LIST", "INFOx") + pad + pcmfmt(2, 16, 8000) + chunk("data", raw)));
    const std::string b8000 = pcmbody(2, 16, 8000);
    const Made made[] = {
        {"sox-pipe.wav", b8000, raw, 0x01010016, 0},
        {"ffmpeg-pipe.wav", b8000, raw, 0x01010016, 0},
        {"ffmpeg-ext.wav", pcmbody(2, 16, 96000), raw, 0x0001000D, 0},
        {"ffmpeg-s24.wav", "", "", 0x0001000D, 0x0001000D},
        {"zero.wav", b8000, raw, 0x00010011, 0},
        {"empty.wav", "", "", 0x00010011, 0x00010011}, // a chunk follows: nothing to repair
        {"padded.wav", b8000, raw, 0x01010009, 0},
    };
    for (const Made& m : made) {
        for (const std::string flag : {"-q", "--repair"}) {
            SCOPED_TRACE(m.name + " " + flag);
            const bool repair = flag == "--repair";
            const std::string in = dir.path(m.name), out = dir.path("out-" + m.name);
            const auto check = nlohmann::json::parse(runtool({"--check", "--json", in, flag}).out);
            ProcessResult r = runtool({in, out, flag});
            const std::uint32_t code = repair ? m.repair : m.strict;
            EXPECT_EQ(check["ok"], code == 0);
            EXPECT_EQ(r.status, code == 0 ? 0 : 1);
            if (code != 0) {
                EXPECT_EQ(check.value("code", 0u), code);
                EXPECT_EQ(r.err.rfind(in + ": " + check["report"].get<std::string>(), 0), 0u);
                EXPECT_EQ(check["repairable"], !repair && m.repair == 0);
                continue;
            }
            EXPECT_EQ(readfile(out), canonical(m.data, m.body16));
            EXPECT_EQ(check["datasize"], m.data.size());
            const bool repaired = repair && m.strict != 0;
            EXPECT_EQ(check["repairs"].empty(), !repaired);
            EXPECT_EQ(r.err.find(m.name + ": repaired: ") != std::string::npos, repaired) << r.err;
        }
    }
    // Batch and in place take the same repairs; data a canonical header cannot describe is refused.
    const std::string pipe = dir.path("ffmpeg-pipe.wav"), padded = dir.path("padded.wav");
    ProcessResult r = runtool({"--repair", "-o", dir.path("o"), pipe, padded});
    EXPECT_NE(r.err.find(pipe + ": repaired: data size 4294967295 taken as 3200 (the data up to "
                                "the end of the file, in whole frames)"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(runtool({"-q", "--repair", "--in-place", pipe, padded}).err, "");
    EXPECT_EQ(readfile(pipe), readfile(dir.path("o/ffmpeg-pipe.wav")));
    EXPECT_EQ(readfile(padded), readfile(dir.path("o/padded.wav")));
    for (std::uint32_t declared : {0u, 0xFFFFFFDCu}) { // 0xFFFFFFDC: one more than describable
        std::string big =
            dir.writesparse("big.wav", {{0, riffwave(pcmfmt(1, 8) + header("data", declared))},
                                        {0x100000010, "ab"}});
        r = runtool({"--repair", big, dir.path("big-out.wav")});
        EXPECT_EQ(r.err, big + ": The data up to the end of the file is more than the 4294967259 "
                               "bytes a canonical header can describe [1,25,0,0]\n");
        auto check = nlohmann::json::parse(runtool({"--check", "--json", "--repair", big}).out);
        EXPECT_EQ(big + ": " + check["report"].get<std::string>() + "\n", r.err);
        EXPECT_FALSE(fileexists(dir.path("big-out.wav")));
    }
}
