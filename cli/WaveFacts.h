// What the engine's reader found in a file, gathered while it walks (as its WaveWatcher): from
// the chunk headers it read, what a conversion keeps, what it drops and whether the file already
// is the conversion's output. A check and a conversion see the same walk.
#ifndef SONORM_CLI_WAVEFACTS_H
#define SONORM_CLI_WAVEFACTS_H

#include "WaveSource.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ChunkEntry {
    std::string id; // the four id bytes, unprintable ones as "\xNN"
    std::uint32_t size = 0;
    std::uint64_t offset = 0; // of the chunk header
};

class WaveFacts : public WaveWatcher {
public:
    // Dropped chunks listed at most; the rest are counted, so a walk over millions of chunks
    // costs reads, not memory.
    static constexpr std::size_t maxlisted = 256;

    // progress is told of each block of sample data the reader delivers.
    explicit WaveFacts(std::function<void(std::uint64_t)> progress);
    void chunkread(const std::uint8_t* header, std::uint64_t offset) override;
    void dataread(std::uint32_t count) override;
    // The numbers, once source has opened; filesize as the file system gives it.
    void settle(const WaveSource& source, std::uint64_t filesize);

    std::vector<ChunkEntry> dropped; // chunks the reader walked and the conversion drops
    std::uint64_t moredropped = 0;   // dropped chunks after the maxlisted in dropped
    std::uint16_t formattag = 0;
    std::uint16_t channels = 0;
    std::uint16_t bits = 0;
    std::uint32_t rate = 0;
    std::uint32_t frame = 0;          // channels × bits / 8
    std::uint16_t blockalign = 0;     // as the file declares them, copied as they are
    std::uint32_t bytespersecond = 0; // even where channels, bits and rate disagree
    std::uint32_t samples = 0;        // the frames the output holds: data bytes / frame
    std::uint32_t datasize = 0;
    std::uint64_t datastart = 0;
    std::uint64_t filesize = 0;
    std::uint32_t fmtextra = 0; // "fmt " body bytes beyond the 16 that are kept
    std::uint64_t trailing = 0; // bytes after the chunks the reader walked, never read
    bool canonical = false;     // the file is byte for byte what a conversion would write
    bool alignagrees = false;   // block align and bytes per second are those of the format
    WaveRepairs repairs;        // what a conversion with repairs allowed changes

private:
    void drop(ChunkEntry chunk);

    std::function<void(std::uint64_t)> progress;
    std::optional<ChunkEntry> fmtchunk, datachunk; // the last of each: what the conversion keeps
    std::uint64_t walked = 0;                      // chunk headers read
    std::uint64_t end = wave::riffheadersize;      // of the dropped chunks
};

#endif
