// System texts through FormatMessageA and the wave-device error texts of winmm.
#include "SystemText.h"

#include "UniqueHandle.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <new>

static_assert(formatallocatebuffer == FORMAT_MESSAGE_ALLOCATE_BUFFER, "flag values");
static_assert(formatignoreinserts == FORMAT_MESSAGE_IGNORE_INSERTS, "flag values");
static_assert(formatfromsystem == FORMAT_MESSAGE_FROM_SYSTEM, "flag values");

namespace {

// Neutral language, default sub-language: the user's default language.
constexpr DWORD userlanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
static_assert(userlanguage == 0x400, "language of system texts");
constexpr DWORD englishlanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

DWORD preferredlanguage = userlanguage;

} // namespace

void systemtextsinenglish() {
    preferredlanguage = englishlanguage;
}

OwnedText formatmessagetext(std::uint32_t flags, const void* source, std::uint32_t id,
                            std::va_list* arguments) {
    char* system = nullptr;
    auto format = [&](DWORD language) {
        return FormatMessageA(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER, source, id, language,
                              reinterpret_cast<LPSTR>(&system), 0, arguments);
    };
    DWORD length = format(preferredlanguage);
    if ((length == 0 || system == nullptr) && preferredlanguage != userlanguage) {
        length = format(userlanguage); // the system has no English text of id
    }
    if (length == 0 || system == nullptr) {
        return nullptr;
    }
    UniqueLocal owned(system);
    return copytext(system);
}

OwnedText maketextwaveerr(std::uint32_t error, WaveSide side) {
    OwnedText text(new (std::nothrow) char[wavetextsize]);
    if (!text) {
        return nullptr;
    }
    text[0] = '\0';
    MMRESULT answer = side == WaveSide::input
                          ? waveInGetErrorTextA(error, text.get(), UINT{wavetextsize})
                          : waveOutGetErrorTextA(error, text.get(), UINT{wavetextsize});
    const char* fixed = nullptr;
    switch (answer) {
    case MMSYSERR_NODRIVER:
        fixed = wavenodriver;
        break;
    case MMSYSERR_NOMEM:
        fixed = wavenomem;
        break;
    case MMSYSERR_BADERRNUM:
        fixed = wavebaderrnum;
        break;
    default:
        break;
    }
    if (fixed != nullptr) {
        std::memcpy(text.get(), fixed, std::strlen(fixed) + 1);
    }
    text[wavetextsize - 1] = '\0';
    return text;
}
