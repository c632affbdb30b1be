// The identity strings of the version block: their keys, query paths and defaults.
#ifndef TESSEL_VERSIONTEXT_H
#define TESSEL_VERSIONTEXT_H

#include <cstddef>
#include <cstdint>

constexpr std::size_t verquerysize = 260;

// The five strings, in the order they are read.
enum VersionField { vercompany, verinternal, verfileversion, verproduct, verlegal, verfieldcount };

// "CompanyName", "InternalName", "FileVersion", "ProductName", "LegalCopyright".
const char* verkey(VersionField field);

// Value used when the block has none: "Norvex", modname, "CurrentVersion", modname,
// "All rights reserved.".
const char* verdefault(VersionField field, const char* modname);

// "\StringFileInfo\LLLLCCCC\<key>" (upper-case hexadecimal) into buf[size]; false (buf empty)
// when it does not fit.
bool composeverquery(char* buf, std::size_t size, std::uint16_t language, std::uint16_t codepage,
                     const char* key);

#endif
