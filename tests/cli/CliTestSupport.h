// Shared helpers of the sonorm-cli tests: WAV files built byte by byte, temporary folders,
// whole-file reads and writes.
#ifndef SONORM_TESTS_CLI_CLITESTSUPPORT_H
#define SONORM_TESTS_CLI_CLITESTSUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

// Builds a RIFF/WAVE file from chunks in the order given; the RIFF size is computed.
class WavBuilder {
public:
    WavBuilder& chunk(const std::string& id, const std::string& body);
    // A "fmt " chunk with extra body bytes beyond the 16 that a conversion keeps.
    WavBuilder& fmt(std::uint16_t channels = 2, std::uint32_t rate = 44100, std::uint16_t bits = 16,
                    std::uint16_t tag = 1, std::size_t extra = 0);
    WavBuilder& data(const std::string& samples);
    // A "data" chunk that declares more bytes than it holds.
    WavBuilder& shortdata(std::uint32_t declared, const std::string& samples);
    WavBuilder& list(const std::string& text = "INFOISFT");
    std::string bytes() const;

private:
    std::string body;
};

std::string le32bytes(std::uint32_t value);
std::string le16bytes(std::uint16_t value);
std::string samples(std::size_t count, unsigned seed = 1);
// What a conversion of a file built with fmt(channels, rate, bits) and data(d) gives.
std::string canonicalwav(const std::string& d, std::uint16_t channels = 2,
                         std::uint32_t rate = 44100, std::uint16_t bits = 16);
// A typical input: fmt with 2 extra bytes, LIST, fact, data.
std::string decoratedwav(const std::string& d);

std::string readfile(const std::string& name);
void writefile(const std::string& name, const std::string& bytes);
bool fileexists(const std::string& name);
std::int64_t modtime(const std::string& name);
// Sets the modification (and access) time well in the past, in the platform's units.
void backdate(const std::string& name);

// A fresh folder removed with its contents when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return root; }
    std::string file(const std::string& relative) const;
    // Names in folder (relative to the root when empty), sorted.
    std::vector<std::string> list(const std::string& folder = std::string()) const;

private:
    std::string root;
};

#endif
