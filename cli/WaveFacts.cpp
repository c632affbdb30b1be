#include "WaveFacts.h"

#include "WaveLayout.h"

#include <algorithm>
#include <cstdio>

using namespace wave;

namespace {

constexpr unsigned char firstprintable = 0x20;
constexpr unsigned char lastprintable = 0x7E;

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
    : progress(std::move(onprogress)), next(riffheadersize) {}

// The reader skips each body by exactly its declared size, so the next header's offset follows.
void WaveFacts::chunkread(const std::uint8_t* header) {
    ChunkEntry entry{printableid(header), get32(header + chunksizeat), next};
    next += chunkheadersize + std::uint64_t{entry.size};
    walked.push_back(entry);
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
    samples = source.totalsamples();
    datasize = source.datachunksize();
    datastart = source.datastartpos();
    filesize = size;
    // The walk ends once both are seen: the last of each is the one the conversion takes.
    std::size_t fmt = 0;
    std::size_t data = 0;
    std::uint64_t end = riffheadersize;
    for (std::size_t i = 0; i < walked.size(); ++i) {
        fmt = walked[i].id == fmtid ? i : fmt;
        data = walked[i].id == dataid ? i : data;
        end = std::max(end, walked[i].offset + chunkheadersize + walked[i].size);
    }
    for (std::size_t i = 0; i < walked.size(); ++i) {
        if (i != fmt && i != data) {
            dropped.push_back(walked[i]);
        }
    }
    fmtextra = walked[fmt].size > fmtbodysize ? walked[fmt].size - std::uint32_t{fmtbodysize} : 0;
    trailing = filesize > end ? filesize - end : 0;
    canonical = walked.size() == 2 && fmt == 0 && walked[fmt].size == fmtbodysize &&
                get32(source.riffheader() + riffsizeat) == datasize + riffsizeextra &&
                filesize == headersize + std::uint64_t{datasize};
}
