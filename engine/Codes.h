// Every status code the engine records, and the table that turns a code into a message string
// and a severity. Code word: kind << 24 | facility << 16 | number.
#ifndef SONORM_CODES_H
#define SONORM_CODES_H

#include <cstdint>

namespace codes {

constexpr std::uint32_t kindshift = 24;
constexpr std::uint32_t facilityshift = 16;
constexpr std::uint32_t numbermask = 0xFFFF;
constexpr std::uint32_t fieldmask = 0xFF;

// Kinds: what the system error number of a record is.
constexpr std::uint32_t kindnone = 0;      // no system error number (syserr 0)
constexpr std::uint32_t kindlasterror = 1; // platform last-error number
constexpr std::uint32_t kindwavein = 2;    // wave-input device error number
constexpr std::uint32_t kindwaveout = 3;   // wave-output device error number

constexpr std::uint32_t facilityengine = 1;

constexpr std::uint32_t make(std::uint32_t kind, std::uint32_t number) {
    return kind << kindshift | facilityengine << facilityshift | number;
}
constexpr std::uint32_t kindof(std::uint32_t code) {
    return code >> kindshift & fieldmask;
}
constexpr std::uint32_t facilityof(std::uint32_t code) {
    return code >> facilityshift & fieldmask;
}
constexpr std::uint32_t numberof(std::uint32_t code) {
    return code & numbermask;
}

// Reader (WaveSource).
constexpr std::uint32_t seeknotopen = make(kindnone, 0x01);
constexpr std::uint32_t seekrange = make(kindnone, 0x02);
constexpr std::uint32_t seekfailed = make(kindlasterror, 0x03);
constexpr std::uint32_t alreadyopen = make(kindnone, 0x04);
constexpr std::uint32_t openfailed = make(kindlasterror, 0x05);
constexpr std::uint32_t riffreadfailed = make(kindlasterror, 0x06);
constexpr std::uint32_t badriff = make(kindnone, 0x07);
constexpr std::uint32_t badwave = make(kindnone, 0x08);
constexpr std::uint32_t chunkheaderfailed = make(kindlasterror, 0x09);
constexpr std::uint32_t fmtreadfailed = make(kindlasterror, 0x0A);
constexpr std::uint32_t factreadfailed = make(kindlasterror, 0x0B);
constexpr std::uint32_t datapositionfailed = make(kindlasterror, 0x0C);
constexpr std::uint32_t notpcm = make(kindnone, 0x0D);
constexpr std::uint32_t badchannels = make(kindnone, 0x0E);
constexpr std::uint32_t badbits = make(kindnone, 0x0F);
constexpr std::uint32_t badrate = make(kindnone, 0x10);
constexpr std::uint32_t badsamplecount = make(kindnone, 0x11);
// A "fmt " body shorter than the 16 bytes every check reads: it cannot describe PCM.
constexpr std::uint32_t fmttooshort = make(kindnone, 0x12);
constexpr std::uint32_t closenotopen = make(kindnone, 0x13);
constexpr std::uint32_t closefailed = make(kindlasterror, 0x14);
constexpr std::uint32_t readnotopen = make(kindnone, 0x15);
constexpr std::uint32_t readfailed = make(kindlasterror, 0x16);
// Never recorded any more: the "fmt " record once held the whole body and could not always be
// allocated; now the reader keeps a fixed part of it. The number stays taken, for no other use.
constexpr std::uint32_t fmtnomemory = make(kindlasterror, 0x17);
// Only when repairs are allowed: the data up to the end of the file is more than a canonical
// header can describe (wave::maxcanonicaldata).
constexpr std::uint32_t datatoolarge = make(kindnone, 0x19);

// Writer (WaveWriter). Numbers 1 to 6 repeat the reader's; three words are even identical.
constexpr std::uint32_t createfailed = make(kindlasterror, 0x01);
constexpr std::uint32_t writerifffailed = make(kindlasterror, 0x02);
constexpr std::uint32_t writefmtfailed = make(kindlasterror, 0x03);
constexpr std::uint32_t writedatafailed = make(kindlasterror, 0x04);
constexpr std::uint32_t writeblockfailed = make(kindlasterror, 0x05);
constexpr std::uint32_t outclosefailed = make(kindlasterror, 0x06);
// The copy buffer cannot be allocated; syserr is the platform's out-of-memory number.
constexpr std::uint32_t buffernomemory = make(kindlasterror, 0x18);

} // namespace codes

struct CodeMessage {
    unsigned stringid; // string-table id of the message
    bool severe;       // stop icon when true, warning icon otherwise
};

CodeMessage messageforcode(std::uint32_t code);

#endif
