// Test helpers: WAV bytes built in memory, and a temporary folder to write them into.
#ifndef SONORM_TESTS_WAVBUILDER_H
#define SONORM_TESTS_WAVBUILDER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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
// A consistent PCM "fmt " chunk.
std::string pcmfmt(std::uint16_t channels = 2, std::uint16_t bits = 16, std::uint32_t rate = 44100);
std::string fact(std::uint32_t samples);
// "RIFF", the RIFF size of the chunks (or riffsize when given), "WAVE", the chunks.
std::string riffwave(const std::string& chunks);
std::string riffwave(const std::string& chunks, std::uint32_t riffsize);
// count bytes of a pattern that differs from block to block.
std::string samples(std::size_t count, unsigned seed = 1);

} // namespace wav

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return root; }
    std::string path(const std::string& name) const;
    std::string write(const std::string& name, const std::string& bytes) const;
    // A sparse file of size bytes holding the given pieces at their offsets.
    std::string writesparse(const std::string& name, std::uint64_t size,
                            const std::vector<std::pair<std::uint64_t, std::string>>& pieces) const;
    static std::string read(const std::string& file);
    static bool exists(const std::string& file);

private:
    std::string root;
};

#endif
