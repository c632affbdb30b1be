#include "WavBytes.h"

namespace wav {

namespace {
constexpr std::uint32_t riffextra = 36; // canonical RIFF size beyond the data
constexpr std::uint32_t pcm16stereobytes = 4;
} // namespace

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

std::string pcmbody(std::uint16_t channels, std::uint16_t bits, std::uint32_t rate) {
    std::uint16_t align = static_cast<std::uint16_t>(channels * (bits / 8));
    return fmtbody(1, channels, rate, rate * align, align, bits);
}

std::string pcmfmt(std::uint16_t channels, std::uint16_t bits, std::uint32_t rate) {
    return chunk("fmt ", pcmbody(channels, bits, rate));
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

std::string canonical(const std::string& data, const std::string& body16) {
    return canonical(data, body16, static_cast<std::uint32_t>(data.size()));
}

std::string canonical(const std::string& data, const std::string& body16, std::uint32_t datasize) {
    return "RIFF" + le32(datasize + riffextra) + "WAVE" + chunk("fmt ", body16) +
           header("data", datasize) + data;
}

std::string decorated(const std::string& data) {
    std::uint32_t count = static_cast<std::uint32_t>(data.size() / pcm16stereobytes);
    return riffwave(chunk("fmt ", pcmbody() + "xx") + chunk("LIST", "INFOISFT") + fact(count) +
                    chunk("data", data));
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
