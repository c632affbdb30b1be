// System texts from strerror. There are no wave devices here, so every wave-device number is
// one the platform does not know.
#include "SystemText.h"

#include <cstring>

OwnedText formatmessagetext(std::uint32_t flags, const void*, std::uint32_t id, std::va_list*) {
    if ((flags & formatfromsystem) == 0) {
        return nullptr;
    }
    // strerror invents "Unknown error N" for numbers it has no text for; those have none.
    if (strerrordesc_np(static_cast<int>(id)) == nullptr) {
        return nullptr;
    }
    char text[256];
    return copytext(strerror_r(static_cast<int>(id), text, sizeof text));
}

void systemtextsinenglish() {}

OwnedText maketextwaveerr(std::uint32_t, WaveSide) {
    return copytext(wavebaderrnum);
}
