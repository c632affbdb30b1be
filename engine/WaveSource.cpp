#include "WaveSource.h"

#include "Codes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::int64_t maxseek = 0xFFFFFFFF;

} // namespace

WaveSource::WaveSource()
    : file(nofile), riff{}, format{}, hasformat(false), dataid{}, datasize(0), samplecount(0),
      datastart(0), atdatastart(false) {}

WaveSource::~WaveSource() = default;

// Clears what an earlier open of this reader may have left, so the walk starts from nothing.
void WaveSource::reset() {
    std::memset(riff, 0, sizeof riff);
    hasformat = false;
    std::memset(dataid, 0, sizeof dataid);
    datasize = 0;
    samplecount = 0;
    datastart = 0;
    atdatastart = false;
    fixes = WaveRepairs();
}

bool WaveSource::open(Result& result, const char* name) {
    if (isopen()) {
        return result.fail(codes::alreadyopen);
    }
    reset();
    FileHandle opened = fileopenread(name);
    if (opened == nofile) {
        return result.fail(codes::openfailed, filelasterror());
    }
    return open(result, opened);
}

bool WaveSource::open(Result& result, FileHandle opened) {
    if (isopen()) {
        fileclose(opened);
        return result.fail(codes::alreadyopen);
    }
    reset();
    file = opened;
    if (walk(result) && check(result)) {
        return true;
    }
    // A failing close here must not replace the failure that caused it.
    Result cleanup;
    close(cleanup);
    return false;
}

bool WaveSource::walk(Result& result) {
    if (!readexact(riff, wave::riffheadersize)) {
        return result.fail(codes::riffreadfailed, filelasterror());
    }
    if (!wave::sameid(riff, wave::riffid)) {
        return result.fail(codes::badriff);
    }
    if (!wave::sameid(riff + wave::formtypeat, wave::waveid)) {
        return result.fail(codes::badwave);
    }
    // Bodies are skipped by exactly their declared size: strictly, no pad byte after an odd size.
    std::uint64_t offset = wave::riffheadersize; // of the next chunk header
    bool odd = false;
    do {
        std::uint8_t header[wave::chunkheadersize];
        if (!readexact(header, wave::chunkheadersize)) {
            return result.fail(codes::chunkheaderfailed, filelasterror());
        }
        // Leniently, after an odd size: writers that pad and writers that do not are told apart
        // by where the next id is text.
        if (odd && !wave::textid(header) && wave::textid(header + 1)) {
            std::memmove(header, header + 1, wave::chunkheadersize - 1);
            if (!readexact(header + wave::chunkheadersize - 1, 1)) {
                return result.fail(codes::chunkheaderfailed, filelasterror());
            }
            ++fixes.padbytes;
            ++offset;
        }
        if (observer != nullptr) {
            observer->chunkread(header, offset);
        }
        std::uint32_t size = wave::get32(header + wave::chunksizeat);
        offset += wave::chunkheadersize + std::uint64_t{size};
        odd = lenient && size % 2 != 0;
        bool ok;
        if (wave::sameid(header, wave::fmtid)) {
            ok = readformat(result, header, size);
        } else if (wave::sameid(header, wave::factid) && size == wave::factbodysize) {
            ok = readfact(result);
        } else if (wave::sameid(header, wave::dataid)) {
            ok = takedata(result, header, size);
        } else {
            ok = seek(result, size, SeekOrigin::current);
        }
        if (!ok) {
            return false;
        }
    } while (!hasformat || datastart == 0);
    return true;
}

bool WaveSource::readformat(Result& result, const std::uint8_t* header, std::uint32_t size) {
    std::memset(format, 0, sizeof format); // a later "fmt " chunk replaces an earlier one
    std::memcpy(format, header, wave::chunkheadersize);
    hasformat = true;
    const std::uint32_t kept = std::min(size, std::uint32_t{keptformatbody});
    if (!readexact(format + wave::chunkheadersize, kept)) {
        return result.fail(codes::fmtreadfailed, filelasterror());
    }
    // Moving past the end is no failure: the last declared byte is read, so a body that ends
    // early fails as reading all of it would.
    const std::uint32_t rest = size - kept;
    std::uint8_t last = 0;
    if (rest != 0 && (!fileseek(file, std::int64_t{rest} - 1, SeekOrigin::current) ||
                      !readexact(&last, sizeof last))) {
        return result.fail(codes::fmtreadfailed, filelasterror());
    }
    return true;
}

bool WaveSource::readfact(Result& result) {
    std::uint8_t body[wave::factbodysize];
    if (!readexact(body, wave::factbodysize)) {
        return result.fail(codes::factreadfailed, filelasterror());
    }
    samplecount = wave::get32(body);
    return true;
}

bool WaveSource::takedata(Result& result, const std::uint8_t* header, std::uint32_t size) {
    std::memcpy(dataid, header, wave::idsize);
    datasize = size;
    std::uint32_t error = 0;
    std::uint64_t position = tell(error);
    if (error != 0) {
        return result.fail(codes::datapositionfailed, error);
    }
    datastart = position;
    // With the format known the walk ends here, at the data start, where check leaves the reader:
    // skipping the body only to come back would cost two seeks per file.
    atdatastart = hasformat;
    if (atdatastart) {
        return result.ok(); // what the saved seek would answer
    }
    return seek(result, size, SeekOrigin::current);
}

bool WaveSource::check(Result& result) {
    // Every check below reads the first 16 body bytes; a shorter body is not read past its end.
    if (wave::get32(format + wave::chunksizeat) < wave::fmtbodysize) {
        return result.fail(codes::fmttooshort);
    }
    if (lenient) {
        takeextensible();
    }
    const std::uint8_t* body = format + wave::chunkheadersize;
    std::uint16_t tag = wave::get16(body + wave::tagat);
    std::uint16_t channels = wave::get16(body + wave::channelsat);
    std::uint32_t rate = wave::get32(body + wave::rateat);
    std::uint16_t bits = wave::get16(body + wave::bitsat);

    if (tag != wave::formatpcm) {
        return result.fail(codes::notpcm);
    }
    if (channels != 1 && channels != 2) {
        return result.fail(codes::badchannels);
    }
    if (bits != 8 && bits != 16) {
        return result.fail(codes::badbits);
    }
    if (rate == 0) {
        return result.fail(codes::badrate);
    }
    const std::uint32_t frame = std::uint32_t{channels} * (bits / 8u);
    if (lenient && !takefilelength(result, frame)) {
        return false;
    }
    if (samplecount == 0) {
        samplecount = datasize / frame;
    }
    if (samplecount == 0) {
        return result.fail(codes::badsamplecount);
    }
    // A start beyond the seek range fails here even when the walk already stands on it.
    if (atdatastart && datastart <= maxseek) {
        return true;
    }
    return seek(result, static_cast<std::int64_t>(datastart), SeekOrigin::begin);
}

// The sub-format, sizes and bits of plain PCM: the record is rewritten as format 1, so the
// checks and the writer see PCM. Any other EXTENSIBLE stays, to be refused as not PCM.
void WaveSource::takeextensible() {
    std::uint8_t* body = format + wave::chunkheadersize;
    std::uint16_t channels = wave::get16(body + wave::channelsat);
    std::uint16_t bits = wave::get16(body + wave::bitsat);
    if (wave::get32(format + wave::chunksizeat) < wave::extensiblebodysize ||
        wave::get16(body + wave::tagat) != wave::formatextensible ||
        wave::get16(body + wave::extensionsizeat) < wave::extensionsize ||
        (channels != 1 && channels != 2) || (bits != 8 && bits != 16) ||
        wave::get16(body + wave::validbitsat) != bits ||
        std::memcmp(body + wave::subformatat, wave::pcmsubformat, wave::guidsize) != 0) {
        return;
    }
    wave::put16(body + wave::tagat, wave::formatpcm);
    fixes.extensible = true;
}

// When the walk ended on the data chunk, a size its writer never finalised (0 with bytes
// following that are no chunk header, the streamed 0xFFFFFFFF, or past the end of the file)
// becomes the bytes up to the end of the file in whole frames. Sizes a canonical header cannot
// describe are refused.
bool WaveSource::takefilelength(Result& result, std::uint32_t frame) {
    if (atdatastart) {
        std::uint64_t end = 0;
        if (!filesize(file, end)) {
            return result.fail(codes::datapositionfailed, filelasterror());
        }
        const std::uint64_t available = end > datastart ? end - datastart : 0;
        if ((datasize == 0 && available != 0 && !chunkfollows(available)) ||
            datasize == wave::streameddatasize || datasize > available) {
            const std::uint64_t whole = available - available % frame;
            if (whole > wave::maxcanonicaldata) {
                return result.fail(codes::datatoolarge);
            }
            fixes.datasize = true;
            fixes.declaredsize = datasize;
            datasize = static_cast<std::uint32_t>(whole);
        }
    }
    if (datasize > wave::maxcanonicaldata) {
        return result.fail(codes::datatoolarge);
    }
    return true;
}

// A size of 0 before a well-formed chunk header (a text id, as the pad-byte rule reads it, and a
// size that fits in the rest of the file) ends an empty data chunk, left to the strict checks.
bool WaveSource::chunkfollows(std::uint64_t available) {
    atdatastart = false; // the header is read here: the check seeks back to the data start
    std::uint8_t header[wave::chunkheadersize];
    return readexact(header, wave::chunkheadersize) && wave::textid(header) &&
           wave::chunkheadersize + std::uint64_t{wave::get32(header + wave::chunksizeat)} <=
               available;
}

bool WaveSource::read(Result& result, void* buffer, std::uint32_t count) {
    if (!isopen()) {
        return result.fail(codes::readnotopen);
    }
    if (!readexact(buffer, count)) {
        result.fail(codes::readfailed, filelasterror());
    } else if (observer != nullptr) {
        observer->dataread(count);
    }
    return result.ok();
}

bool WaveSource::move(FileHandle out, std::uint32_t count, std::uint32_t& moved) {
    moved = 0;
    if (!isopen() || !filemove(file, out, count, moved) || moved != count) {
        return false; // a block taken back is read, and reported by read
    }
    if (observer != nullptr) {
        observer->dataread(count);
    }
    return true;
}

bool WaveSource::back(Result& result, std::uint32_t count) {
    if (!fileseek(file, -std::int64_t{count}, SeekOrigin::current)) {
        return result.fail(codes::seekfailed, filelasterror());
    }
    return true;
}

bool WaveSource::close(Result& result) {
    if (!isopen()) {
        return result.fail(codes::closenotopen);
    }
    if (!fileclose(file)) {
        result.fail(codes::closefailed, filelasterror());
    }
    file = nofile;
    hasformat = false;
    return result.ok();
}

bool WaveSource::seek(Result& result, std::int64_t distance, SeekOrigin origin) {
    if (!isopen()) {
        return result.fail(codes::seeknotopen);
    }
    if (distance < 0 || distance > maxseek) {
        return result.fail(codes::seekrange);
    }
    if (!fileseek(file, distance, origin)) {
        result.fail(codes::seekfailed, filelasterror());
    }
    return result.ok();
}

std::uint64_t WaveSource::tell(std::uint32_t& error) const {
    std::uint64_t position = 0;
    error = filetell(file, position) ? 0 : filelasterror();
    return position;
}

bool WaveSource::readexact(void* buffer, std::uint32_t count) {
    std::uint32_t done = 0;
    if (!fileread(file, buffer, count, done)) {
        return false;
    }
    if (done != count) {
        markendoffile();
        return false;
    }
    return true;
}

bool WaveSource::holds(const char* name) const {
    return isopen() && filesameasopen(file, name);
}
