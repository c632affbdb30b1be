#include "Codes.h"

#include "ResourceIds.h"

namespace {

struct CodeEntry {
    std::uint32_t code;
    CodeMessage message;
};

// Content checks of the input and the 4 GiB limit are not severe; interface misuse is.
constexpr CodeEntry codetable[] = {
    {codes::seeknotopen, {IDS_NOT_OPENED, true}},
    {codes::createfailed, {IDS_NOT_OPENED, true}},
    {codes::seekrange, {IDS_SEEK_OVER_4G, false}},
    {codes::alreadyopen, {IDS_ALREADY_OPEN, true}},
    {codes::badriff, {IDS_BAD_RIFF, false}},
    {codes::badwave, {IDS_BAD_WAVE, false}},
    {codes::notpcm, {IDS_PCM_ONLY, false}},
    {codes::badchannels, {IDS_BAD_CHANNELS, false}},
    {codes::badbits, {IDS_BAD_BITS, false}},
    {codes::badrate, {IDS_BAD_RATE, false}},
    {codes::badsamplecount, {IDS_BAD_SAMPLE_COUNT, false}},
    {codes::fmttooshort, {IDS_PCM_ONLY, false}},
    {codes::closenotopen, {IDS_FILE_NOT_OPEN, true}},
};

} // namespace

CodeMessage messageforcode(std::uint32_t code) {
    for (const CodeEntry& entry : codetable) {
        if (entry.code == code) {
            return entry.message;
        }
    }
    return {IDS_RARE_ERROR, true};
}
