#include "WaveFacts.h"

#include "WaveLayout.h"

#include <algorithm>
#include <cstdio>

using namespace wave;

namespace {

// Formatted only where a byte needs it: every chunk header of every file passes here.
std::string printableid(const std::uint8_t* id) {
    std::string out;
    for (std::size_t i = 0; i < idsize; ++i) {
        if (id[i] >= firstprintable && id[i] <= lastprintable && id[i] != '\\') {
            out += static_cast<char>(id[i]);
            continue;
        }
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", id[i]);
        out += hex;
    }
    return out;
}

} // namespace

WaveFacts::WaveFacts(std::function<void(std::uint64_t)> onprogress)
    : progress(std::move(onprogress)) {}

// The walk reads headers in file order, so a chunk beyond a full list is only counted; an
// earlier "fmt " or "data" is dropped when a later one comes, and goes in its place by offset.
void WaveFacts::chunkread(const std::uint8_t* header, std::uint64_t offset) {
    ++walked;
    const std::uint32_t size = get32(header + chunksizeat);
    std::optional<ChunkEntry>* kept = sameid(header, fmtid)    ? &fmtchunk
                                      : sameid(header, dataid) ? &datachunk
                                                               : nullptr;
    if (kept == nullptr && dropped.size() == maxlisted) {
        ++moredropped;
        end = std::max(end, offset + chunkheadersize + size);
    } else if (kept == nullptr) {
        drop(ChunkEntry{printableid(header), size, offset});
    } else {
        if (*kept) {
            drop(**kept);
        }
        *kept = ChunkEntry{printableid(header), size, offset};
    }
}

void WaveFacts::drop(ChunkEntry chunk) {
    end = std::max(end, chunk.offset + chunkheadersize + chunk.size);
    auto at = std::upper_bound(
        dropped.begin(), dropped.end(), chunk.offset,
        [](std::uint64_t offset, const ChunkEntry& listed) { return offset < listed.offset; });
    dropped.insert(at, std::move(chunk));
    if (dropped.size() > maxlisted) {
        dropped.pop_back();
        ++moredropped;
    }
}

void WaveFacts::dataread(std::uint32_t count) {
    if (progress) {
        progress(count);
    }
}

void WaveFacts::settle(const WaveSource& source, std::uint64_t size) {
    const std::uint8_t* body = source.formatrecord() + chunkheadersize;
    formattag = get16(body + tagat);
    channels = get16(body + channelsat);
    rate = get32(body + rateat);
    bits = get16(body + bitsat);
    blockalign = get16(body + blockalignat);
    bytespersecond = get32(body + bytespersecondat);
    // An open that succeeded has checked channels and bits: the frame is never empty. A "fact"
    // count is not what the output holds.
    frame = std::uint32_t{channels} * (bits / 8u);
    samples = source.datachunksize() / frame;
    alignagrees = blockalign == frame && bytespersecond == std::uint64_t{rate} * frame;
    datasize = source.datachunksize();
    datastart = source.datastartpos();
    filesize = size;
    repairs = source.repairs();
    // A repaired data size is what the conversion copies.
    const std::uint64_t last = std::max({end, fmtchunk->offset + chunkheadersize + fmtchunk->size,
                                         datachunk->offset + chunkheadersize + datasize});
    fmtextra = fmtchunk->size > fmtbodysize ? fmtchunk->size - std::uint32_t{fmtbodysize} : 0;
    trailing = filesize > last ? filesize - last : 0;
    canonical = !repairs.any() && walked == 2 && fmtchunk->offset == riffheadersize &&
                fmtchunk->size == fmtbodysize &&
                get32(source.riffheader() + riffsizeat) == datasize + riffsizeextra &&
                filesize == headersize + std::uint64_t{datasize};
}
