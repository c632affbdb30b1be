#include "ChunkLister.h"

#include "FileSystem.h"
#include "WaveLayout.h"

#include <cstdio>
#include <cstring>
#include <fstream>

using namespace wave;

namespace {

constexpr unsigned char firstprintable = 0x20;
constexpr unsigned char lastprintable = 0x7E;

std::string printableid(const std::uint8_t* id) {
    std::string out;
    for (std::size_t i = 0; i < idsize; ++i) {
        unsigned char c = id[i];
        if (c >= firstprintable && c <= lastprintable && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

// Positioned reads through a stream (64-bit offsets on every platform).
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& name) : in(name, std::ios::binary) {}

    bool isopen() const { return in.is_open(); }
    // Reads count bytes at offset; false when fewer are there.
    bool readat(std::uint64_t offset, void* buffer, std::size_t count) {
        in.clear();
        in.seekg(static_cast<std::streamoff>(offset));
        in.read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
        return in.gcount() == static_cast<std::streamsize>(count);
    }

private:
    std::ifstream in;
};

} // namespace

bool listchunks(const std::string& name, ChunkListing& listing) {
    listing = ChunkListing{};
    FileStat st;
    if (!fsstat(name, st)) {
        return false;
    }
    ReadOnlyFile file(name);
    if (!file.isopen()) {
        return false;
    }
    std::uint8_t riff[riffheadersize];
    if (!file.readat(0, riff, sizeof riff)) {
        return true;
    }
    listing.riffwave = sameid(riff, riffid) && sameid(riff + formtypeat, waveid);
    if (!listing.riffwave) {
        return true;
    }
    std::uint64_t pos = riffheadersize;
    long usedfmt = -1;
    long useddata = -1;
    bool readerdone = false; // the reader stops once it has seen both "fmt " and "data"
    while (pos < st.size) {
        if (st.size - pos < chunkheadersize) {
            listing.trailing = st.size - pos;
            break;
        }
        if (listing.chunks.size() >= maxchunks) {
            listing.cut = true;
            break;
        }
        std::uint8_t header[chunkheadersize];
        if (!file.readat(pos, header, sizeof header)) {
            return false;
        }
        ChunkEntry entry;
        entry.id = printableid(header);
        entry.size = get32(header + idsize);
        entry.offset = pos;
        if (!readerdone) {
            if (sameid(header, fmtid)) {
                usedfmt = static_cast<long>(listing.chunks.size());
            } else if (sameid(header, dataid)) {
                useddata = static_cast<long>(listing.chunks.size());
            }
            readerdone = usedfmt >= 0 && useddata >= 0;
        }
        listing.chunks.push_back(entry);
        pos += chunkheadersize + static_cast<std::uint64_t>(entry.size);
        if (pos > st.size) {
            listing.overrun = true;
        }
    }
    if (usedfmt >= 0) {
        ChunkEntry& fmt = listing.chunks[static_cast<std::size_t>(usedfmt)];
        fmt.used = true;
        listing.fmtextra = fmt.size > fmtbodysize ? fmt.size - fmtbodysize : 0;
    }
    if (useddata >= 0) {
        listing.chunks[static_cast<std::size_t>(useddata)].used = true;
    }
    return true;
}

std::vector<ChunkEntry> droppedchunks(const ChunkListing& listing) {
    std::vector<ChunkEntry> out;
    for (const ChunkEntry& entry : listing.chunks) {
        if (!entry.used) {
            out.push_back(entry);
        }
    }
    return out;
}
