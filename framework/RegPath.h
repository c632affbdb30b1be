// Composition of a settings key path: "Software\" + up to four components joined with "\".
#ifndef TESSEL_REGPATH_H
#define TESSEL_REGPATH_H

#include <cstddef>

constexpr std::size_t regpathsize = 260;

// Writes into dest[size]: "Software\" when prefix is set, then c1 (always, even when empty),
// then "\" and each of c2, c3, c4 that is neither null nor empty. False, with dest empty, when
// c1 is null or the path does not fit.
bool makeregpath(char* dest, std::size_t size, bool prefix, const char* c1,
                 const char* c2 = nullptr, const char* c3 = nullptr, const char* c4 = nullptr);

#endif
