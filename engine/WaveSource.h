// Reader of the input WAV file: walks the chunks to "fmt " and "data", checks the format and
// leaves the file at the first sample byte.
#ifndef SONORM_WAVESOURCE_H
#define SONORM_WAVESOURCE_H

#include "FileIo.h"
#include "Result.h"

#include <cstdint>

class WaveSource {
public:
    WaveSource();
    virtual ~WaveSource();
    WaveSource(const WaveSource&) = delete;
    WaveSource& operator=(const WaveSource&) = delete;

    bool open(Result& result, const char* name);
    bool read(Result& result, void* buffer, std::uint32_t count);
    bool close(Result& result);
    bool seek(Result& result, std::int64_t distance, SeekOrigin origin);
    // Current position and the platform error number (0 when the position was obtained).
    std::uint64_t tell(std::uint32_t& error) const;
    bool readexact(void* buffer, std::uint32_t count);

    bool isopen() const { return file != nofile; }
    const std::uint8_t* riffheader() const { return riff; }
    // The whole "fmt " chunk: id, size, body; nullptr when none was read.
    const std::uint8_t* formatrecord() const { return format; }
    const std::uint8_t* datachunkid() const { return dataid; }
    std::uint32_t datachunksize() const { return datasize; }
    std::uint32_t totalsamples() const { return samplecount; }
    std::uint64_t datastartpos() const { return datastart; }

private:
    FileHandle file;
    std::uint8_t riff[12];
    std::uint8_t* format;
    std::uint8_t dataid[4];
    std::uint32_t datasize;
    std::uint32_t samplecount;
    std::uint64_t datastart;
};

#endif
