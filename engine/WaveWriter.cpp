#include "WaveWriter.h"

#include "Codes.h"
#include "FileIo.h"
#include "WaveSource.h"

#include <cstring>
#include <memory>
#include <new>

// The header pieces as the output has them: the input's ids and PCM fields, "fmt " size 16 and
// the RIFF size computed from the data size (modulo 2^32).
bool WaveWriter::compose(const WaveSource& source) {
    const std::uint8_t* format = source.formatrecord();
    if (format == nullptr) {
        return false;
    }
    std::memcpy(riff, source.riffheader(), sizeof riff);
    std::memcpy(fmt, format, sizeof fmt);
    std::memcpy(data, source.datachunkid(), wave::idsize);
    wave::put32(data + wave::chunksizeat, source.datachunksize());
    wave::put32(fmt + wave::chunksizeat, wave::fmtbodysize);
    wave::put32(riff + wave::riffsizeat, source.datachunksize() + wave::riffsizeextra);
    return true;
}

bool WaveWriter::composeheader(const WaveSource& source, std::uint8_t (&header)[wave::headersize]) {
    if (!compose(source)) {
        return false;
    }
    std::memcpy(header, riff, sizeof riff);
    std::memcpy(header + sizeof riff, fmt, sizeof fmt);
    std::memcpy(header + sizeof riff + sizeof fmt, data, sizeof data);
    return true;
}

// Block by block, each first moved inside the kernel. The first block the kernel does not move
// whole (it cannot move between these files, the input ends early, or a call failed without
// saying on which side) is taken back and read and written through the buffer, as is every
// block after it: so a short input writes nothing of its block, and a failure is recorded as
// the read's or the write's.
void WaveWriter::copydata(Result& result, WaveSource& source, FileHandle out,
                          std::uint8_t* buffer) {
    const std::uint32_t datasize = source.datachunksize();
    std::uint32_t remaining = datasize;
    std::uint32_t block = blocksize;
    bool inkernel = true;
    while (remaining != 0) {
        if (block > remaining) {
            block = remaining;
        }
        if (inkernel) {
            std::uint32_t moved = 0;
            if (source.move(out, block, moved)) {
                remaining -= block;
                continue;
            }
            inkernel = false;
            std::uint64_t blockstart = wave::headersize + std::uint64_t{datasize - remaining};
            if (moved != 0 && !takeback(result, source, out, blockstart, moved)) {
                return;
            }
        }
        if (!source.read(result, buffer, block)) {
            return;
        }
        if (!filewrite(out, buffer, block)) {
            result.fail(codes::writeblockfailed, filelasterror());
            return;
        }
        remaining -= block;
    }
}

// Both files back to where the block started: the input position, the output's size.
bool WaveWriter::takeback(Result& result, WaveSource& source, FileHandle out,
                          std::uint64_t blockstart, std::uint32_t moved) {
    if (!source.back(result, moved)) {
        return false;
    }
    if (!filecut(out, blockstart)) {
        return result.fail(codes::writeblockfailed, filelasterror());
    }
    return true;
}

// The copy buffer, the three header pieces and the data: both forms of write.
void WaveWriter::fill(Result& result, WaveSource& source, FileHandle out) {
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[blocksize]);
    if (!buffer) {
        result.fail(codes::buffernomemory, nomemoryerror());
    } else if (!filewrite(out, riff, sizeof riff)) {
        result.fail(codes::writerifffailed, filelasterror());
    } else if (!filewrite(out, fmt, sizeof fmt)) {
        result.fail(codes::writefmtfailed, filelasterror());
    } else if (!filewrite(out, data, sizeof data)) {
        result.fail(codes::writedatafailed, filelasterror());
    } else {
        copydata(result, source, out, buffer.get());
    }
}

bool WaveWriter::write(Result& result, WaveSource& source, FileHandle out) {
    if (!compose(source)) {
        result.fail(codes::readnotopen);
        return false;
    }
    fill(result, source, out);
    return result.ok();
}

bool WaveWriter::write(Result& result, WaveSource& source, const char* name) {
    // Without a format record the source never opened: nothing to write, as a read would say.
    if (!compose(source)) {
        result.fail(codes::readnotopen);
        return false;
    }
    // Where the platform has no share modes, writing onto the open input is refused here, before
    // the create would truncate it.
    if (source.holds(name)) {
        result.fail(codes::createfailed, filelasterror());
        return false;
    }
    FileHandle out = filecreatewrite(name);
    if (out == nofile) {
        result.fail(codes::createfailed, filelasterror());
        return false;
    }
    fill(result, source, out);
    if (!fileclose(out)) {
        result.fail(codes::outclosefailed, filelasterror());
    }
    return result.ok();
}
