// What a conversion would write in front of the data, and whether a file already is exactly
// that: such a file would be reproduced byte for byte, so rewriting it is pointless.
#ifndef SONORM_CLI_CANONICALHEADER_H
#define SONORM_CLI_CANONICALHEADER_H

#include "WaveLayout.h"

#include <array>
#include <cstdint>
#include <string>

class WaveSource;

using CanonicalHeader = std::array<std::uint8_t, wave::headersize>;

// The 44 header bytes the writer composes from an opened source.
CanonicalHeader canonicalheader(const WaveSource& source);

// True when name (opened by source) starts with canonicalheader(source) and holds nothing but
// the data after it (filesize = 44 + data size).
bool iscanonicalfile(const WaveSource& source, const std::string& name, std::uint64_t filesize);

#endif
