// A read-only walk over a RIFF/WAVE file's chunks for reporting: which chunks the conversion
// uses and which it drops. It follows the reader's rules (a body is skipped by exactly its
// declared size, no pad byte) and goes on past the point where the reader stops, so the
// chunks after "fmt " and "data" are listed too. It decides nothing about the file's validity.
#ifndef SONORM_CLI_CHUNKLISTER_H
#define SONORM_CLI_CHUNKLISTER_H

#include <cstdint>
#include <string>
#include <vector>

struct ChunkEntry {
    std::string id; // the four id bytes, unprintable ones as "\xNN"
    std::uint32_t size = 0;
    std::uint64_t offset = 0; // of the chunk header
    bool used = false;        // the "fmt " or "data" chunk the conversion takes
};

struct ChunkListing {
    bool riffwave = false; // the file starts with a RIFF/WAVE header
    std::vector<ChunkEntry> chunks;
    std::uint32_t fmtextra = 0; // bytes of the used "fmt " body beyond the 16 that are kept
    std::uint64_t trailing = 0; // bytes at the end too short for a chunk header
    bool overrun = false;       // the last chunk's body runs past the end of the file
    bool cut = false;           // the listing stopped at maxchunks
};

constexpr std::size_t maxchunks = 4096;

// False only when the file cannot be opened or read; listing holds what was found.
bool listchunks(const std::string& name, ChunkListing& listing);

// The chunks a conversion drops.
std::vector<ChunkEntry> droppedchunks(const ChunkListing& listing);

#endif
