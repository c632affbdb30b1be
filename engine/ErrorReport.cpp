#include "ErrorReport.h"

#include "TextStep.h"
#include "Codes.h"
#include "ResourceIds.h"
#include "SystemText.h"

#include <cstdio>
#include <cstring>

namespace {

// "[255,65535,255,4294967295]" is the longest suffix: 26 characters.
constexpr std::size_t suffixsize = 32;
static_assert(suffixsize < reportsize, "the suffix always fits the report");

// The system's text for the record's error number, for codes whose string is the rare error.
OwnedText systemtext(const Result& result) {
    switch (codes::kindof(result.code)) {
    case codes::kindlasterror:
        return maketextlasterr(result.syserr);
    case codes::kindwavein:
        return maketextwaveerr(result.syserr, WaveSide::input);
    case codes::kindwaveout:
        return maketextwaveerr(result.syserr, WaveSide::output);
    default:
        return nullptr;
    }
}

} // namespace

void fitreport(char* buf, const char* text, bool blank, const char* suffix) {
    std::size_t suffixlength = std::strlen(suffix);
    if (suffixlength > suffixsize - 1) {
        suffixlength = suffixsize - 1; // callers pass the short numeric suffix only
    }
    std::size_t blanklength = blank ? 1 : 0;
    // Room for the text: the buffer less terminator, blank and suffix.
    std::size_t room = reportsize - 1 - suffixlength - blanklength;
    const char* end = text;
    for (;;) {
        const char* next = nextnativechar(end);
        if (next == end || static_cast<std::size_t>(next - text) > room) {
            break;
        }
        end = next;
    }
    std::size_t pos = static_cast<std::size_t>(end - text);
    std::memcpy(buf, text, pos);
    if (blank) {
        buf[pos++] = ' ';
    }
    std::memcpy(buf + pos, suffix, suffixlength);
    pos += suffixlength;
    buf[pos] = '\0';
}

bool composereport(const Result& result, StringLoader load, void* context, char* buf,
                   bool& severe) {
    buf[0] = '\0';
    severe = false;
    if (result.code == 0) {
        return false;
    }
    CodeMessage message = messageforcode(result.code);
    severe = message.severe;

    char loaded[reportsize];
    int length = load != nullptr ? load(context, message.stringid, loaded, int{reportsize}) : 0;
    if (length <= 0) {
        loaded[0] = '\0';
    }
    loaded[reportsize - 1] = '\0';

    char suffix[suffixsize];
    std::snprintf(suffix, sizeof suffix, "[%u,%u,%u,%u]",
                  static_cast<unsigned>(codes::facilityof(result.code)),
                  static_cast<unsigned>(codes::numberof(result.code)),
                  static_cast<unsigned>(codes::kindof(result.code)),
                  static_cast<unsigned>(result.syserr));

    // A system text replaces the loaded string and is set off from the suffix by one blank.
    OwnedText text;
    if (message.stringid == IDS_RARE_ERROR) {
        text = systemtext(result);
    }
    if (text) {
        fitreport(buf, text.get(), true, suffix);
    } else {
        fitreport(buf, loaded, false, suffix);
    }
    return true;
}
