// Byte layout of RIFF/WAVE files: chunk ids, sizes and field offsets, all numbers little-endian.
#ifndef SONORM_WAVELAYOUT_H
#define SONORM_WAVELAYOUT_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace wave {

constexpr std::size_t idsize = 4;
constexpr std::size_t chunkheadersize = 8; // id, 32-bit size
constexpr std::size_t chunksizeat = 4;

// RIFF header: "RIFF", RIFF size, form type "WAVE".
constexpr std::size_t riffheadersize = 12;
constexpr std::size_t riffsizeat = 4;
constexpr std::size_t formtypeat = 8;

// The first 16 bytes of a "fmt " body: everything PCM needs, and all the output keeps.
constexpr std::size_t fmtbodysize = 16;
constexpr std::size_t tagat = 0;
constexpr std::size_t channelsat = 2;
constexpr std::size_t rateat = 4;
constexpr std::size_t bytespersecondat = 8;
constexpr std::size_t blockalignat = 12;
constexpr std::size_t bitsat = 14;
constexpr std::size_t fmtchunksize = chunkheadersize + fmtbodysize; // 24

constexpr std::size_t headersize = riffheadersize + fmtchunksize + chunkheadersize; // 44
// RIFF size of the canonical file = data size + everything after the RIFF size field but the data.
constexpr std::uint32_t riffsizeextra = headersize - chunkheadersize; // 36

constexpr std::uint16_t formatpcm = 1;
constexpr std::uint32_t factbodysize = 4;

// The largest data size a canonical header describes: its RIFF size (36 + data) is 32-bit.
constexpr std::uint32_t maxcanonicaldata = 0xFFFFFFFF - riffsizeextra;
// The data size that writers streaming into a pipe leave, never knowing the real one.
constexpr std::uint32_t streameddatasize = 0xFFFFFFFF;

// WAVE_FORMAT_EXTENSIBLE: the 16 PCM bytes, then the extension size, valid bits per sample,
// channel mask and the sub-format GUID.
constexpr std::uint16_t formatextensible = 0xFFFE;
constexpr std::size_t extensionsizeat = 16;
constexpr std::size_t validbitsat = 18;
constexpr std::size_t subformatat = 24;
constexpr std::size_t guidsize = 16;
constexpr std::size_t extensiblebodysize = subformatat + guidsize;        // 40
constexpr std::uint16_t extensionsize = extensiblebodysize - validbitsat; // 22, after its own field
// KSDATAFORMAT_SUBTYPE_PCM as stored in the file.
constexpr std::uint8_t pcmsubformat[guidsize] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

constexpr char riffid[] = "RIFF";
constexpr char waveid[] = "WAVE";
constexpr char fmtid[] = "fmt ";
constexpr char factid[] = "fact";
constexpr char dataid[] = "data";

inline bool sameid(const std::uint8_t* bytes, const char* id) {
    return std::memcmp(bytes, id, idsize) == 0;
}

// Chunk ids are four printable ASCII characters; anything else is not where a header starts.
constexpr std::uint8_t firstprintable = 0x20;
constexpr std::uint8_t lastprintable = 0x7E;
inline bool textid(const std::uint8_t* bytes) {
    return std::all_of(bytes, bytes + idsize,
                       [](std::uint8_t c) { return c >= firstprintable && c <= lastprintable; });
}

inline std::uint16_t get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline void put16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void put32(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
    p[3] = static_cast<std::uint8_t>(value >> 24);
}

} // namespace wave

#endif
