#include "CanonicalHeader.h"

#include "WaveSource.h"

#include <cstdio>
#include <cstring>

using namespace wave;

namespace {
// Where the writer's three pieces and their size fields sit in the canonical header.
constexpr std::size_t fmtpieceat = riffheadersize;
constexpr std::size_t datapieceat = riffheadersize + fmtchunksize;
} // namespace

CanonicalHeader canonicalheader(const WaveSource& source) {
    CanonicalHeader header{};
    std::uint8_t* p = header.data();
    std::memcpy(p, source.riffheader(), riffheadersize);
    put32(p + riffsizeat, source.datachunksize() + riffsizeextra);
    std::memcpy(p + fmtpieceat, source.formatrecord(), fmtchunksize);
    put32(p + fmtpieceat + chunksizeat, fmtbodysize);
    std::memcpy(p + datapieceat, source.datachunkid(), idsize);
    put32(p + datapieceat + chunksizeat, source.datachunksize());
    return header;
}

bool iscanonicalfile(const WaveSource& source, const std::string& name, std::uint64_t filesize) {
    if (source.formatrecord() == nullptr ||
        filesize != headersize + static_cast<std::uint64_t>(source.datachunksize())) {
        return false;
    }
    CanonicalHeader expected = canonicalheader(source);
    CanonicalHeader actual{};
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (f == nullptr) {
        return false;
    }
    std::size_t got = std::fread(actual.data(), 1, actual.size(), f);
    std::fclose(f);
    return got == actual.size() && actual == expected;
}
