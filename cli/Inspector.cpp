#include "Inspector.h"

#include "CanonicalHeader.h"
#include "FileSystem.h"
#include "ReportText.h"
#include "WaveLayout.h"
#include "WaveSource.h"
#include "WaveWriter.h"

#include <vector>

using namespace wave;

namespace {

// Read in the writer's copy blocks, so a read fails at the same place as in a conversion.
void readalldata(Result& result, WaveSource& source, std::uint32_t datasize) {
    std::vector<std::uint8_t> buffer(WaveWriter::blocksize);
    std::uint32_t remaining = datasize;
    std::uint32_t block = WaveWriter::blocksize;
    while (remaining != 0) {
        if (block > remaining) {
            block = remaining;
        }
        if (!source.read(result, buffer.data(), block)) {
            return;
        }
        remaining -= block;
    }
}

} // namespace

Inspection inspectfile(const std::string& name) {
    Inspection info;
    WaveSource source;
    if (source.open(info.result, name.c_str())) {
        const std::uint8_t* body = source.formatrecord() + chunkheadersize;
        info.formattag = get16(body + tagat);
        info.channels = get16(body + channelsat);
        info.rate = get32(body + rateat);
        info.bits = get16(body + bitsat);
        info.samples = source.totalsamples();
        info.datasize = source.datachunksize();
        info.datastart = source.datastartpos();
        FileStat st;
        if (fsstat(name, st)) {
            info.filesize = st.size;
        }
        info.canonical = iscanonicalfile(source, name, info.filesize);
        if (info.datastart + info.datasize > info.filesize) {
            readalldata(info.result, source, info.datasize);
        }
        source.close(info.result);
    }
    info.ok = info.result.ok();
    if (!info.ok) {
        info.report = reporttext(info.result);
        info.canonical = false;
    }
    listchunks(name, info.chunks);
    return info;
}
