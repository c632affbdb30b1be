// Writer of the canonical output: 44 header bytes, then the sample data byte for byte.
#ifndef SONORM_WAVEWRITER_H
#define SONORM_WAVEWRITER_H

#include "FileIo.h"
#include "Result.h"
#include "WaveLayout.h"

#include <cstdint>

class WaveSource;

class WaveWriter {
public:
    // One copy block, allocated once per write. Its memory is used only by blocks the kernel
    // cannot move from file to file (filemove), so on the usual path it is never touched.
    static constexpr std::uint32_t blocksize = 0xA00000; // 10 MiB

    // source must have opened successfully and not been read since; its data is pulled
    // through source.read. The output stays on disk as far as it was written. A source without
    // a format record (never opened) records 0x00010015 and nothing is created.
    bool write(Result& result, WaveSource& source, const char* name);
    // The same into out, a file open for writing and empty, which stays open: its owner closes
    // it (and decides what a failed close means).
    bool write(Result& result, WaveSource& source, FileHandle out);

    // The 44 bytes the output of source would start with, without writing anything; false when
    // the source holds no format record.
    bool composeheader(const WaveSource& source, std::uint8_t (&header)[wave::headersize]);

private:
    bool compose(const WaveSource& source);
    void fill(Result& result, WaveSource& source, FileHandle out);
    void copydata(Result& result, WaveSource& source, FileHandle out, std::uint8_t* buffer);
    bool takeback(Result& result, WaveSource& source, FileHandle out, std::uint64_t blockstart,
                  std::uint32_t moved);

    std::uint8_t riff[wave::riffheadersize];
    std::uint8_t fmt[wave::fmtchunksize];
    std::uint8_t data[wave::chunkheadersize];
};

#endif
