#include "VersionText.h"

#include "TextBuf.h"

namespace {

constexpr int hexdigits16 = 4;

} // namespace

const char* verkey(VersionField field) {
    switch (field) {
    case vercompany:
        return "CompanyName";
    case verinternal:
        return "InternalName";
    case verfileversion:
        return "FileVersion";
    case verproduct:
        return "ProductName";
    case verlegal:
        return "LegalCopyright";
    default:
        return "";
    }
}

const char* verdefault(VersionField field, const char* modname) {
    switch (field) {
    case vercompany:
        return "Norvex";
    case verfileversion:
        return "CurrentVersion";
    case verlegal:
        return "All rights reserved.";
    case verinternal:
    case verproduct:
    default:
        return modname;
    }
}

bool composeverquery(char* buf, std::size_t size, std::uint16_t language, std::uint16_t codepage,
                     const char* key) {
    return TextBuf(buf, size)
        .add("\\StringFileInfo\\")
        .addhex(language, hexdigits16)
        .addhex(codepage, hexdigits16)
        .add('\\')
        .add(key)
        .ok();
}
