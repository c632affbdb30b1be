// Cutting and composing the module's paths: directory, base name, ".exe" and help paths.
#ifndef TESSEL_PATHTEXT_H
#define TESSEL_PATHTEXT_H

#include <cstddef>

constexpr std::size_t moddirsize = 270;   // module path, then its directory
constexpr std::size_t modnamesize = 260;  // file name, then its base name
constexpr std::size_t modpathsize = 260;  // the rebuilt "<dir>\<name>.exe"
constexpr std::size_t helppathsize = 324; // "<dir>\<name>.hlp" with an optional ">window"

constexpr char pathseparator = '\\';
constexpr char extseparator = '.';

// Writes the terminating NUL at the last sep of text, found by stepping whole characters so
// that the second byte of a double-byte character never counts. Text without sep stays whole.
// Returns whether it was cut.
bool cutatlast(char* text, char sep);

// "<dir>\<name><ext>" into buf[size]; false (buf empty) when it does not fit.
bool composefilepath(char* buf, std::size_t size, const char* dir, const char* name,
                     const char* ext);

// "<dir>\<name>.hlp", followed by ">" and window when window is given; false (buf empty) when
// it does not fit.
bool composehelppath(char* buf, std::size_t size, const char* dir, const char* name,
                     const char* window);

#endif
