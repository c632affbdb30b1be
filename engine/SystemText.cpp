#include "SystemText.h"

#include <cstring>
#include <new>

OwnedText copytext(const char* text) {
    std::size_t size = std::strlen(text) + 1;
    OwnedText copy(new (std::nothrow) char[size]);
    if (copy) {
        std::memcpy(copy.get(), text, size);
    }
    return copy;
}

OwnedText maketextlasterr(std::uint32_t error) {
    OwnedText text =
        formatmessagetext(formatfromsystem | formatignoreinserts, nullptr, error, nullptr);
    return text ? std::move(text) : copytext(lasterrfallback);
}
