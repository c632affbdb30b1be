// Engine benchmarks: converting a 200 MiB file against a plain read+write copy of the same file
// through the same file calls (the ratio is printed at the end), and open() on a file whose
// "fmt " and "data" chunks follow many small chunks.
#include "FileIo.h"
#include "WaveSource.h"
#include "WaveWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t mib = 1024 * 1024;
constexpr std::uint32_t bigdata = 200 * mib;

struct Files {
    fs::path root;
    std::string big;
    std::string out;
    std::map<int, std::string> chunky; // by number of chunks before "fmt "
};

Files* files = nullptr;

std::string le32(std::uint32_t value) {
    std::string bytes(4, '\0');
    wave::put32(reinterpret_cast<std::uint8_t*>(bytes.data()), value);
    return bytes;
}

std::string pcmheaders(std::uint32_t datasize) {
    std::string fmt = "fmt " + le32(16) + std::string("\x01\x00\x02\x00\x44\xAC\x00\x00", 8) +
                      std::string("\x10\xB1\x02\x00\x04\x00\x10\x00", 8);
    return fmt + "data" + le32(datasize);
}

void writefile(const std::string& name, const std::string& head, std::uint32_t datasize) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << "RIFF" << le32(datasize + 36) << "WAVE" << head;
    std::string block(mib, '\0');
    for (std::uint32_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<char>(i * 7 + 3);
    }
    for (std::uint32_t left = datasize; left != 0;) {
        std::uint32_t n = left < mib ? left : mib;
        out.write(block.data(), n);
        left -= n;
    }
}

void convert(benchmark::State& state) {
    for (auto _ : state) {
        Result result;
        WaveSource source;
        if (source.open(result, files->big.c_str())) {
            WaveWriter writer;
            writer.write(result, source, files->out.c_str());
            source.close(result);
        }
        if (!result.ok()) {
            state.SkipWithError("conversion failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bigdata);
}

// The same file calls and block size as the writer, with no format work at all.
void plaincopy(benchmark::State& state) {
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[WaveWriter::blocksize]);
    for (auto _ : state) {
        FileHandle in = fileopenread(files->big.c_str());
        FileHandle out = filecreatewrite(files->out.c_str());
        bool ok = in != nofile && out != nofile;
        std::uint32_t done = WaveWriter::blocksize;
        while (ok && done == WaveWriter::blocksize) {
            ok = fileread(in, buffer.get(), WaveWriter::blocksize, done) &&
                 filewrite(out, buffer.get(), done);
        }
        ok = (in == nofile || fileclose(in)) && ok;
        ok = (out == nofile || fileclose(out)) && ok;
        if (!ok) {
            state.SkipWithError("copy failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bigdata);
}

void openmanychunks(benchmark::State& state) {
    const std::string& name = files->chunky.at(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Result result;
        WaveSource source;
        if (!source.open(result, name.c_str()) || !source.close(result)) {
            state.SkipWithError("open failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["chunks"] = static_cast<double>(state.range(0));
}

BENCHMARK(convert)
    ->Name("convert_200MiB")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(plaincopy)
    ->Name("plaincopy_200MiB")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(openmanychunks)
    ->Name("open_many_chunks")
    ->Arg(1000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

// Console output plus the medians of conversion and copy, for the ratio at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Files made;
    made.root = fs::temp_directory_path() / ("sonorm-bench-" + std::to_string(::getpid()));
    fs::create_directories(made.root);
    made.big = (made.root / "big.wav").string();
    made.out = (made.root / "out.wav").string();
    // A "LIST" chunk in front, so the conversion has a chunk to drop.
    writefile(made.big, "LIST" + le32(4) + "INFO" + pcmheaders(bigdata), bigdata);
    for (int count : {1000, 100000}) {
        std::string head;
        for (int i = 0; i < count; ++i) {
            head += "JUNK" + le32(4) + "abcd";
        }
        std::string name = (made.root / ("chunky" + std::to_string(count) + ".wav")).string();
        writefile(name, head + pcmheaders(4096), 4096);
        made.chunky[count] = name;
    }
    files = &made;

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto converted = reporter.medians.find("convert_200MiB");
    auto copied = reporter.medians.find("plaincopy_200MiB");
    if (converted != reporter.medians.end() && copied != reporter.medians.end() &&
        copied->second > 0) {
        std::printf("conversion / plain copy (median real time): %.3f\n",
                    converted->second / copied->second);
    }
    std::error_code ignored;
    fs::remove_all(made.root, ignored);
    return 0;
}
