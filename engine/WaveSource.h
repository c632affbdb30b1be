// Reader of the input WAV file: walks the chunks to "fmt " and "data", checks the format and
// leaves the file at the first sample byte.
#ifndef SONORM_WAVESOURCE_H
#define SONORM_WAVESOURCE_H

#include "FileIo.h"
#include "Result.h"
#include "WaveLayout.h"

#include <cstdint>

// Told what a reader reads, for reports: the chunk headers its walk reads and the sample data
// it delivers. Watching changes nothing the reader does.
class WaveWatcher {
public:
    virtual ~WaveWatcher() = default;
    // An 8-byte chunk header at offset, in file order.
    virtual void chunkread(const std::uint8_t* header, std::uint64_t offset) = 0;
    // count bytes of sample data delivered by read or moved whole by move.
    virtual void dataread(std::uint32_t count) = 0;
};

// What an open with repairs allowed changed to take the file; nothing on a strict open.
struct WaveRepairs {
    bool datasize = false;          // the data size was taken from the end of the file
    std::uint32_t declaredsize = 0; // with datasize: the size the file declares
    std::uint32_t padbytes = 0;     // pad bytes skipped after odd-sized chunks
    bool extensible = false;        // WAVE_FORMAT_EXTENSIBLE PCM taken as format 1
    bool any() const { return datasize || padbytes != 0 || extensible; }
};

class WaveSource {
public:
    // Of a "fmt " body only what the checks and the writer read is kept, the rest is skipped:
    // memory is the same whatever size a file declares.
    static constexpr std::size_t keptformatbody = wave::extensiblebodysize;

    WaveSource();
    // Does no file work (the owner closes after a successful open).
    virtual ~WaveSource();
    WaveSource(const WaveSource&) = delete;
    WaveSource& operator=(const WaveSource&) = delete;

    // True only on full success; then the reader is open and positioned at the data start.
    bool open(Result& result, const char* name);
    // The same on a file already open for reading and positioned at its start (a copy of a
    // stream), which the reader owns from this call on: close closes it, a failed open too.
    bool open(Result& result, FileHandle opened);
    // Exactly count bytes of sample data from the current position.
    bool read(Result& result, void* buffer, std::uint32_t count);
    // Moves exactly count bytes of sample data from the current position to out without the
    // process touching them (filemove); true only when all came. Records nothing: moved says how
    // many went, and the caller takes them back (back) to read the block instead.
    bool move(FileHandle out, std::uint32_t count, std::uint32_t& moved);
    // Moves the position count bytes back, as before a move of count bytes.
    bool back(Result& result, std::uint32_t count);
    bool close(Result& result);
    // Distance 0 to 0xFFFFFFFF from the start or the current position.
    bool seek(Result& result, std::int64_t distance, SeekOrigin origin);
    // Current position and the platform error number (0 when the position was obtained).
    std::uint64_t tell(std::uint32_t& error) const;
    // One platform read; true only when exactly count bytes came. Records nothing.
    bool readexact(void* buffer, std::uint32_t count);
    // True when name is the file this reader holds open (see filesameasopen).
    bool holds(const char* name) const;

    // Opt-in leniency from the next open on (the program never allows it): a data size never
    // finalised (0 with data following that is no chunk header, 0xFFFFFFFF, past the end of the
    // file) when "data" is the last chunk the walk reads, pad bytes after odd-sized chunks, and
    // WAVE_FORMAT_EXTENSIBLE around 8/16-bit mono or stereo PCM. Everything else is refused as in
    // a strict open.
    void allowrepairs(bool allow) { lenient = allow; }
    const WaveRepairs& repairs() const { return fixes; }

    // Reports to watcher (none: nullptr) from the next open on; the watcher outlives the reader.
    void watch(WaveWatcher* watcher) { observer = watcher; }

    bool isopen() const { return file != nofile; }
    // The open input, for a caller that examines it (identity, times, attributes); nofile when
    // closed.
    FileHandle handle() const { return file; }
    const std::uint8_t* riffheader() const { return riff; }
    // The "fmt " chunk as far as it is kept: id, declared size and the first keptformatbody
    // body bytes (zeros past a shorter body); nullptr when none was read.
    const std::uint8_t* formatrecord() const { return hasformat ? format : nullptr; }
    const std::uint8_t* datachunkid() const { return dataid; }
    std::uint32_t datachunksize() const { return datasize; }
    std::uint32_t totalsamples() const { return samplecount; }
    std::uint64_t datastartpos() const { return datastart; }

private:
    bool walk(Result& result);
    bool readformat(Result& result, const std::uint8_t* header, std::uint32_t size);
    bool readfact(Result& result);
    bool takedata(Result& result, const std::uint8_t* header, std::uint32_t size);
    bool check(Result& result);
    void takeextensible();
    bool takefilelength(Result& result, std::uint32_t frame);
    bool chunkfollows(std::uint64_t available);
    void reset();

    FileHandle file;
    std::uint8_t riff[wave::riffheadersize];
    std::uint8_t format[wave::chunkheadersize + keptformatbody];
    bool hasformat; // a "fmt " chunk was read into format
    std::uint8_t dataid[wave::idsize];
    std::uint32_t datasize;
    std::uint32_t samplecount;
    std::uint64_t datastart; // 0: no "data" chunk seen yet
    bool atdatastart;        // the walk ended on the data start, no seek back needed
    WaveWatcher* observer = nullptr;
    bool lenient = false;
    WaveRepairs fixes;
};

#endif
