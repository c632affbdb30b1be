// Input files for bench/run-bench, deterministic:
//   bench_wavs batch FOLDER COUNT   COUNT small PCM WAV files (1 to 100 KiB each, with LIST
//                                   chunks, some with "fact" and 18-byte "fmt " bodies)
//   bench_wavs big FILE BYTES       one 16-bit stereo file of BYTES bytes in all (at most 4 GiB):
//                                   "fmt ", a LIST chunk, then the data filling the rest
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr std::uint32_t minfilebytes = 1024;
constexpr std::uint32_t maxfilebytes = 100 * 1024;
constexpr std::uint32_t seed = 20260101;

struct Format {
    std::uint16_t channels;
    std::uint16_t bits;
    std::uint32_t rate;
};
constexpr Format formats[] = {{2, 16, 44100}, {1, 16, 48000}, {1, 8, 22050}, {2, 8, 11025}};

void put16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void put32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

void chunk(std::string& out, const char* id, const std::string& body) {
    out.append(id, 4);
    put32(out, static_cast<std::uint32_t>(body.size()));
    out += body;
}

std::string listchunk(std::mt19937& rng, int index) {
    std::string text = "take " + std::to_string(index) + " ";
    text.append(20 + rng() % 150, 'a' + static_cast<char>(rng() % 26));
    if (text.size() % 2 == 1) {
        text += ' '; // even, so that no pad byte is needed
    }
    std::string body = "INFO";
    chunk(body, "ICMT", text);
    return body;
}

std::string makefile(std::mt19937& rng, int index) {
    const Format& f = formats[rng() % (sizeof formats / sizeof formats[0])];
    std::uint32_t align = f.channels * f.bits / 8u;
    bool longfmt = rng() % 3 == 0;
    bool fact = rng() % 2 == 0;
    bool trailinglist = rng() % 4 == 0;
    std::string head;
    std::string fmt;
    put16(fmt, 1);
    put16(fmt, f.channels);
    put32(fmt, f.rate);
    put32(fmt, f.rate * align);
    put16(fmt, static_cast<std::uint16_t>(align));
    put16(fmt, f.bits);
    if (longfmt) {
        put16(fmt, 0);
    }
    chunk(head, "fmt ", fmt);
    chunk(head, "LIST", listchunk(rng, index));
    std::string tail;
    if (trailinglist) {
        chunk(tail, "LIST", listchunk(rng, index));
    }
    std::uint32_t target = minfilebytes + rng() % (maxfilebytes - minfilebytes + 1);
    std::uint32_t overhead =
        12 + static_cast<std::uint32_t>(head.size() + tail.size()) + 8 + (fact ? 12 : 0);
    std::uint32_t datasize =
        target > overhead + align ? (target - overhead) / align * align : align;
    if (fact) {
        std::string count;
        put32(count, datasize / align);
        chunk(head, "fact", count);
    }
    std::string data(datasize, '\0');
    for (char& c : data) {
        c = static_cast<char>(rng());
    }
    std::string body = "WAVE" + head;
    chunk(body, "data", data);
    body += tail;
    std::string file = "RIFF";
    put32(file, static_cast<std::uint32_t>(body.size()));
    return file + body;
}

// The largest file whose data size still fits the 32-bit field: 4 GiB plus the RIFF header.
constexpr std::uint64_t maxbigbytes = 0x100000000ull;
constexpr std::size_t writeblock = 1 << 20;

int makebig(const char* name, std::uint64_t bytes) {
    std::mt19937 rng(seed);
    std::string fmt;
    put16(fmt, 1);
    put16(fmt, 2);
    put32(fmt, 44100);
    put32(fmt, 44100 * 4);
    put16(fmt, 4);
    put16(fmt, 16);
    std::string head;
    chunk(head, "fmt ", fmt);
    chunk(head, "LIST", listchunk(rng, 0));
    std::uint64_t overhead = 12 + head.size() + 8;
    if (bytes < overhead || bytes > maxbigbytes) {
        std::fprintf(stderr, "bench_wavs: %llu bytes cannot make that file\n",
                     static_cast<unsigned long long>(bytes));
        return 2;
    }
    auto datasize = static_cast<std::uint32_t>(bytes - overhead);
    std::string start = "RIFF";
    put32(start, static_cast<std::uint32_t>(bytes - 8));
    start += "WAVE" + head;
    start.append("data", 4);
    put32(start, datasize);
    std::vector<char> block(writeblock);
    for (char& c : block) {
        c = static_cast<char>(rng());
    }
    std::FILE* f = std::fopen(name, "wb");
    bool ok = f != nullptr && std::fwrite(start.data(), 1, start.size(), f) == start.size();
    for (std::uint64_t left = datasize; ok && left != 0;) {
        std::size_t n = left < block.size() ? static_cast<std::size_t>(left) : block.size();
        ok = std::fwrite(block.data(), 1, n, f) == n;
        left -= n;
    }
    if (f == nullptr || std::fclose(f) != 0 || !ok) {
        std::perror(name);
        return 1;
    }
    std::printf("%llu bytes, %u data bytes\n", static_cast<unsigned long long>(bytes), datasize);
    return 0;
}

int makebatch(const std::string& folder, int count) {
    mkdir(folder.c_str(), 0777);
    std::mt19937 rng(seed);
    unsigned long long total = 0;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/take%05d.wav", i);
        std::string bytes = makefile(rng, i);
        std::FILE* f = std::fopen((folder + name).c_str(), "wb");
        if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
            std::perror(name);
            return 1;
        }
        std::fclose(f);
        total += bytes.size();
    }
    std::printf("%d files, %llu bytes\n", count, total);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string mode = argc == 4 ? argv[1] : "";
    if (mode == "batch") {
        return makebatch(argv[2], std::atoi(argv[3]));
    }
    if (mode == "big") {
        return makebig(argv[2], std::strtoull(argv[3], nullptr, 10));
    }
    std::fprintf(stderr, "usage: bench_wavs batch FOLDER COUNT | bench_wavs big FILE BYTES\n");
    return 2;
}
