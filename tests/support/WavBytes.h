// WAV files built byte by byte: chunks in any order, any field value, and the canonical file
// a conversion of them gives.
#ifndef SONORM_TESTS_WAVBYTES_H
#define SONORM_TESTS_WAVBYTES_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace wav {

std::string le16(std::uint16_t value);
std::string le32(std::uint32_t value);
// A chunk header that declares size, without a body.
std::string header(const char* id, std::uint32_t size);
// A whole chunk: header with the body's size, then the body (no pad byte).
std::string chunk(const char* id, const std::string& body);
// A "fmt " body of 16 bytes, then extra bytes.
std::string fmtbody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                    std::uint32_t bytespersecond, std::uint16_t blockalign, std::uint16_t bits,
                    const std::string& extra = "");
// A consistent PCM "fmt " body of 16 bytes, and the chunk holding it.
std::string pcmbody(std::uint16_t channels = 2, std::uint16_t bits = 16,
                    std::uint32_t rate = 44100);
std::string pcmfmt(std::uint16_t channels = 2, std::uint16_t bits = 16, std::uint32_t rate = 44100);
std::string fact(std::uint32_t samples);
// "RIFF", the RIFF size of the chunks (or riffsize when given), "WAVE", the chunks.
std::string riffwave(const std::string& chunks);
std::string riffwave(const std::string& chunks, std::uint32_t riffsize);
// The canonical file: 44 header bytes for body16 and datasize (data's size when not given),
// then data.
std::string canonical(const std::string& data, const std::string& body16 = pcmbody());
std::string canonical(const std::string& data, const std::string& body16, std::uint32_t datasize);
// A typical input whose conversion is canonical(data): an 18-byte "fmt " body, LIST, fact
// (data's size / 4), data.
std::string decorated(const std::string& data);
// count bytes of a pattern that differs from block to block.
std::string samples(std::size_t count, unsigned seed = 1);

} // namespace wav

#endif
