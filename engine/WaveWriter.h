// Writer of the canonical output: 44 header bytes, then the sample data byte for byte.
#ifndef SONORM_WAVEWRITER_H
#define SONORM_WAVEWRITER_H

#include "Result.h"

#include <cstdint>

class WaveSource;

class WaveWriter {
public:
    bool write(Result& result, const WaveSource& source, const char* name);

private:
    std::uint8_t riff[12];
    std::uint8_t fmt[24];
    std::uint8_t data[8];
};

#endif
