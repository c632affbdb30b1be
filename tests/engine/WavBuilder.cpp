#include "WavBuilder.h"

#include "FileIo.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace wav {

std::string le16(std::uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string le32(std::uint32_t value) {
    return le16(static_cast<std::uint16_t>(value & 0xFFFF)) +
           le16(static_cast<std::uint16_t>(value >> 16));
}

std::string header(const char* id, std::uint32_t size) {
    return std::string(id, 4) + le32(size);
}

std::string chunk(const char* id, const std::string& body) {
    return header(id, static_cast<std::uint32_t>(body.size())) + body;
}

std::string fmtbody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                    std::uint32_t bytespersecond, std::uint16_t blockalign, std::uint16_t bits,
                    const std::string& extra) {
    return le16(tag) + le16(channels) + le32(rate) + le32(bytespersecond) + le16(blockalign) +
           le16(bits) + extra;
}

std::string pcmfmt(std::uint16_t channels, std::uint16_t bits, std::uint32_t rate) {
    std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
    return chunk("fmt ", fmtbody(1, channels, rate, rate * align, align, bits));
}

std::string fact(std::uint32_t samples) {
    return chunk("fact", le32(samples));
}

std::string riffwave(const std::string& chunks) {
    return riffwave(chunks, static_cast<std::uint32_t>(4 + chunks.size()));
}

std::string riffwave(const std::string& chunks, std::uint32_t riffsize) {
    return "RIFF" + le32(riffsize) + "WAVE" + chunks;
}

std::string samples(std::size_t count, unsigned seed) {
    std::string bytes(count, '\0');
    std::uint32_t state = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = static_cast<char>(state >> 24);
    }
    return bytes;
}

} // namespace wav

TempDir::TempDir() {
    std::random_device entropy;
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate =
            base / ("sonorm-engine-" + std::to_string(stamp) + "-" + std::to_string(entropy()));
        if (fs::create_directory(candidate)) {
            root = candidate.string();
            return;
        }
    }
    throw std::runtime_error("no temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

std::string TempDir::path(const std::string& name) const {
    return (fs::path(root) / name).string();
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    std::string file = path(name);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file);
    }
    return file;
}

// Written through the engine's own file seam: positioning beyond the end leaves a hole, so a
// file of several GiB costs only its pieces.
std::string
TempDir::writesparse(const std::string& name, std::uint64_t size,
                     const std::vector<std::pair<std::uint64_t, std::string>>& pieces) const {
    std::string file = path(name);
    FileHandle out = filecreatewrite(file.c_str());
    if (out == nofile) {
        throw std::runtime_error("cannot create " + file);
    }
    bool ok = true;
    std::uint64_t end = 0;
    for (const auto& [offset, bytes] : pieces) {
        ok = ok && fileseek(out, static_cast<std::int64_t>(offset), SeekOrigin::begin) &&
             filewrite(out, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        end = std::max<std::uint64_t>(end, offset + bytes.size());
    }
    if (end < size) {
        ok = ok && fileseek(out, static_cast<std::int64_t>(size - 1), SeekOrigin::begin) &&
             filewrite(out, "", 1);
    }
    ok = fileclose(out) && ok;
    if (!ok) {
        throw std::runtime_error("cannot write " + file);
    }
    return file;
}

std::string TempDir::read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempDir::exists(const std::string& file) {
    return fs::exists(file);
}
