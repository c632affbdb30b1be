#include "CanonicalHeader.h"

#include "WaveSource.h"
#include "WaveWriter.h"

#include <cstdio>
#include <cstring>

using namespace wave;

CanonicalHeader canonicalheader(const WaveSource& source) {
    CanonicalHeader header{};
    std::uint8_t bytes[headersize] = {};
    WaveWriter writer;
    if (writer.composeheader(source, bytes)) {
        std::memcpy(header.data(), bytes, headersize);
    }
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
