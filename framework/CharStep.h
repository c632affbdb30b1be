// Steps one character of the system's narrow (ANSI) code page: one byte, or two for a
// double-byte character, so that a second byte is never mistaken for a separator or quote.
// Natively this is code page 932, not UTF-8 (compare the engine's nextnativechar): the
// framework's command-line logic is built and tested there on the texts Windows gives it.
#ifndef TESSEL_CHARSTEP_H
#define TESSEL_CHARSTEP_H

// The position of the next character after p; p itself at the terminating NUL. A lead byte
// followed by NUL counts as one byte. Windows: CharNextA. Elsewhere: code page 932 rules
// (lead bytes 0x81-0x9F and 0xE0-0xFC).
const char* nextansichar(const char* p);

inline char* nextansichar(char* p) {
    return const_cast<char*>(nextansichar(static_cast<const char*>(p)));
}

#endif
