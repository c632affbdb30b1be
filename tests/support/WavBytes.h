// WAV files built byte by byte: chunks in any order, any field value, and the canonical file
// a conversion of them gives.
#ifndef SONORM_TESTS_WAVBYTES_H
#define SONORM_TESTS_WAVBYTES_H

#include <cstdint>
#include <optional>
#include <string>

namespace wav {

constexpr std::uint32_t riffextra = 36; // canonical header bytes the RIFF size counts

inline std::string le16(std::uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}
inline std::string le32(std::uint32_t value) {
    return le16(static_cast<std::uint16_t>(value)) + le16(static_cast<std::uint16_t>(value >> 16));
}
// A chunk header that declares size, without a body.
inline std::string header(const char* id, std::uint32_t size) {
    return std::string(id, 4) + le32(size);
}
// A whole chunk: header with the body's size, then the body (no pad byte).
inline std::string chunk(const char* id, const std::string& body) {
    return header(id, static_cast<std::uint32_t>(body.size())) + body;
}
inline std::string fmtbody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                           std::uint32_t bytespersecond, std::uint16_t blockalign,
                           std::uint16_t bits, const std::string& extra = "") {
    return le16(tag) + le16(channels) + le32(rate) + le32(bytespersecond) + le16(blockalign) +
           le16(bits) + extra;
}
// A consistent PCM "fmt " body of 16 bytes, and the chunk holding it.
inline std::string pcmbody(std::uint16_t channels = 2, std::uint16_t bits = 16,
                           std::uint32_t rate = 44100) {
    std::uint16_t align = static_cast<std::uint16_t>(channels * (bits / 8));
    return fmtbody(1, channels, rate, rate * align, align, bits);
}
inline std::string pcmfmt(std::uint16_t channels = 2, std::uint16_t bits = 16,
                          std::uint32_t rate = 44100) {
    return chunk("fmt ", pcmbody(channels, bits, rate));
}
inline std::string fact(std::uint32_t count) {
    return chunk("fact", le32(count));
}
// riffsize defaults to the size of the chunks the RIFF chunk holds.
inline std::string riffwave(const std::string& chunks, std::optional<std::uint32_t> riffsize = {}) {
    return "RIFF" + le32(riffsize.value_or(static_cast<std::uint32_t>(4 + chunks.size()))) +
           "WAVE" + chunks;
}
// The canonical file of data; datasize defaults to data's size.
inline std::string canonical(const std::string& data, const std::string& body16 = pcmbody(),
                             std::optional<std::uint32_t> datasize = {}) {
    std::uint32_t size = datasize.value_or(static_cast<std::uint32_t>(data.size()));
    return riffwave(chunk("fmt ", body16) + header("data", size), size + riffextra) + data;
}
// A typical input whose conversion is canonical(data): an 18-byte "fmt " body, LIST, fact, data.
inline std::string decorated(const std::string& data) {
    return riffwave(chunk("fmt ", pcmbody() + "xx") + chunk("LIST", "INFOISFT") +
                    fact(static_cast<std::uint32_t>(data.size() / 4)) + chunk("data", data));
}
// count bytes of a pattern that differs from block to block.
inline std::string samples(std::size_t count, unsigned seed = 1) {
    std::string bytes(count, '\0');
    std::uint32_t state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

} // namespace wav

#endif
