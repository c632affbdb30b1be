#include "WaveFacts.h"

#include "WaveLayout.h"

#include <algorithm>
#include <cstdio>

using namespace wave;

namespace {

std::string printableid(const std::uint8_t* id) {
    std::string out;
    for (std::size_t i = 0; i < idsize; ++i) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", id[i]);
        bool plain = id[i] >= firstprintable && id[i] <= lastprintable && id[i] != '\\';
        out += plain ? std::string(1, static_cast<char>(id[i])) : std::string(hex);
    }
    return out;
}

} // namespace

WaveFacts::WaveFacts(std::function<void(std::uint64_t)> onprogress)
    : progress(std::move(onprogress)) {}

void WaveFacts::chunkread(const std::uint8_t* header, std::uint64_t offset) {
    walked.push_back(ChunkEntry{printableid(header), get32(header + chunksizeat), offset});
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
    // The walk ends once both are seen: the last of each is the one the conversion takes.
    std::size_t fmt = 0;
    std::size_t data = 0;
    for (std::size_t i = 0; i < walked.size(); ++i) {
        fmt = walked[i].id == fmtid ? i : fmt;
        data = walked[i].id == dataid ? i : data;
    }
    std::uint64_t end = riffheadersize;
    for (std::size_t i = 0; i < walked.size(); ++i) {
        if (i != fmt && i != data) {
            dropped.push_back(walked[i]);
        }
        // A repaired data size is what the conversion copies.
        end = std::max(end, walked[i].offset + chunkheadersize +
                                (i == data ? datasize : walked[i].size));
    }
    fmtextra = walked[fmt].size > fmtbodysize ? walked[fmt].size - std::uint32_t{fmtbodysize} : 0;
    trailing = filesize > end ? filesize - end : 0;
    canonical = !repairs.any() && walked.size() == 2 && fmt == 0 &&
                walked[fmt].size == fmtbodysize &&
                get32(source.riffheader() + riffsizeat) == datasize + riffsizeextra &&
                filesize == headersize + std::uint64_t{datasize};
}
