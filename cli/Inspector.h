// --check: what a conversion of a file would do, without writing anything. The verdict and
// the numbers come from the engine's reader; the chunk listing adds what would be dropped.
#ifndef SONORM_CLI_INSPECTOR_H
#define SONORM_CLI_INSPECTOR_H

#include "ChunkLister.h"
#include "Result.h"

#include <cstdint>
#include <string>

struct Inspection {
    bool ok = false;    // a conversion would succeed
    Result result;      // otherwise the failure it would record
    std::string report; // and its report text
    std::uint64_t filesize = 0;
    std::uint16_t formattag = 0;
    std::uint16_t channels = 0;
    std::uint16_t bits = 0;
    std::uint32_t rate = 0;
    std::uint32_t samples = 0;
    std::uint32_t datasize = 0;
    std::uint64_t datastart = 0;
    bool canonical = false; // the file already is the conversion's output
    ChunkListing chunks;
};

// Opens name with the engine's reader. When the declared data runs past the end of the file,
// the data is read through the reader as a conversion would, so the failure reported is the
// one the conversion would record.
Inspection inspectfile(const std::string& name);

#endif
